// Watches the program's array allocations (new[] and delete[]), which is
// how the drop target makes the name blocks and the list it delivers: a
// test starts watching, runs a drop and then asks which blocks were made,
// how large, and whether they were given back. The test program replaces
// the global array allocation functions for this.
//
// Threading: one thread; tests of one program run one at a time.
#pragma once

#include <cstddef>

namespace stipplewave::test::arrayBlocks {

// Forgets what was seen and records from now on.
void startWatching();
void stopWatching();

// The size a block was made with while watching; 0 when none was made there.
std::size_t sizeMade(const void* block);
bool wasFreed(const void* block);
// Blocks made while watching and not given back.
std::size_t stillHeld();

}  // namespace stipplewave::test::arrayBlocks
