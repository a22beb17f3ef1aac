// The end-to-end gestures on the built module's editor, and what the host
// must have seen after them, the same on every window system.
//
// A Hand moves the real pointer to a point of the editor (`moveTo(x, y)`)
// and presses or lets go of the first button (`button(down)`); `idleFor(ms)`
// runs the host's loop (its events and the editor's idle) for that long.
// Every wait is bounded and ends as soon as the editor has answered, so slow
// emulation stretches a gesture instead of breaking it.
#pragma once

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <thread>

#include "tools/hostlib/Effect.h"

namespace vsthost {

// A click on step 6 of the left input. The button is held until the press
// has been handled: a message can take longer than a quick click lasts.
template <class Hand, class Idle>
void clickStepSix(TestHost& host, Hand& hand, Idle idleFor) {
    hand.moveTo(100, 20);
    hand.button(true);
    for (int waited = 0; waited < 3000 && host.requestsWithOpcode(stipplewave::audioMasterAutomate).empty();
         waited += 50) {
        idleFor(50);
    }
    hand.button(false);
    idleFor(100);
}

// A drag of the randomise slider from its right end towards the left. The
// hand works on its own thread, as a user's does: the slider's drag loop
// holds the user-interface thread until the button goes up.
template <class Hand, class Idle>
void dragRandomizeSliderLeft(TestHost& host, Hand& hand, Idle idleFor) {
    std::atomic<bool> released{false};
    std::thread worker([&host, &hand, &released] {
        hand.moveTo(250, 118);
        hand.button(true);
        // Move only once the drag has begun.
        for (int waited = 0; waited < 3000 && host.requestsWithOpcode(stipplewave::audioMasterBeginEdit).empty();
             waited += 20) {
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
        }
        for (int x = 240; x >= 80; x -= 20) {
            hand.moveTo(x, 118);
            std::this_thread::sleep_for(std::chrono::milliseconds(40));
        }
        hand.button(false);
        released.store(true);
    });
    for (int waited = 0; waited < 10000 && !released.load(); waited += 50) {
        idleFor(50);
    }
    worker.join();
    idleFor(100);
}

// A click that turned step 6 of the left input (parameter 5) off.
inline void expectStepSixTurnedOff(TestHost& host, Effect& effect) {
    EXPECT_EQ(effect.getParameter(5), 0.0f);
    const auto automated = host.requestsWithOpcode(stipplewave::audioMasterAutomate);
    ASSERT_EQ(automated.size(), 1u);
    EXPECT_EQ(automated[0].index, 5);
    EXPECT_EQ(automated[0].opt, 0.0f);
}

// A drag of the randomise slider from its right end towards the left.
inline void expectRandomizeDragBracketed(TestHost& host, Effect& effect) {
    const auto begins = host.requestsWithOpcode(stipplewave::audioMasterBeginEdit);
    const auto ends = host.requestsWithOpcode(stipplewave::audioMasterEndEdit);
    const auto automated = host.requestsWithOpcode(stipplewave::audioMasterAutomate);
    ASSERT_EQ(begins.size(), 1u);
    ASSERT_EQ(ends.size(), 1u);
    EXPECT_EQ(begins[0].index, 33);
    EXPECT_EQ(ends[0].index, 33);
    ASSERT_GE(automated.size(), 2u);
    for (const auto& request : automated) {
        EXPECT_EQ(request.index, 33);
    }
    EXPECT_GT(effect.getParameter(33), 0.5f) << "dragged to the left, towards 1";
    EXPECT_EQ(automated.back().opt, effect.getParameter(33));
}

}  // namespace vsthost
