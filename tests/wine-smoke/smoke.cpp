// Self-check of the Wine layer: exercises what the Windows test programs rely
// on (console output, exit codes, threads, windows without an X server,
// run-time DLL loading), then exits with the code given as its argument.
//
//   wine_smoke EXIT_CODE    checks everything, exits EXIT_CODE (0 if absent)
//   wine_smoke raise        dies of an unhandled exception, to show that a
//                           crash ends the run instead of waiting in a debugger
//
// A failed check prints why and exits 200, never a requested code.
#include <windows.h>

#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <thread>

namespace {

constexpr int kCheckFailed = 200;
constexpr DWORD kSmokeException = 0xE0000042;

bool fail(const char* what)
{
  std::fprintf(stderr, "wine-smoke: FAILED: %s (GetLastError %lu)\n", what,
               static_cast<unsigned long>(GetLastError()));
  return false;
}

bool check_threads()
{
  std::atomic<long> total{0};
  auto count = [&total](long from) {
    for (long i = from; i < from + 100000; ++i) total.fetch_add(i % 7, std::memory_order_relaxed);
  };
  std::thread first(count, 0);
  std::thread second(count, 100000);
  first.join();
  second.join();
  long expected = 0;
  for (long i = 0; i < 200000; ++i) expected += i % 7;
  return total.load() == expected || fail("two threads did not add up");
}

bool check_window()
{
  HINSTANCE instance = GetModuleHandleA(nullptr);
  WNDCLASSA wc{};
  wc.lpfnWndProc = DefWindowProcA;
  wc.hInstance = instance;
  wc.lpszClassName = "WineSmokeWindow";
  if (!RegisterClassA(&wc)) return fail("RegisterClassA");
  HWND window = CreateWindowExA(0, wc.lpszClassName, "wine smoke", WS_OVERLAPPEDWINDOW,
                                10, 10, 200, 100, nullptr, nullptr, instance, nullptr);
  if (!window) return fail("CreateWindowExA");
  ShowWindow(window, SW_SHOW);
  UpdateWindow(window);
  MSG msg;
  while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageA(&msg);
  if (!DestroyWindow(window)) return fail("DestroyWindow");
  return !IsWindow(window) || fail("window still exists after DestroyWindow");
}

// The DLL is looked up next to the program so that the current directory
// does not matter.
bool check_dll()
{
  char path[MAX_PATH];
  DWORD length = GetModuleFileNameA(nullptr, path, MAX_PATH);
  if (length == 0 || length == MAX_PATH) return fail("GetModuleFileNameA");
  std::string dll(path, length);
  dll.erase(dll.find_last_of("\\/") + 1);
  dll += "wine_smoke_lib.dll";
  HMODULE module = LoadLibraryA(dll.c_str());
  if (!module) return fail(("LoadLibraryA " + dll).c_str());
  using AddFn = int (*)(int, int);
  auto add = reinterpret_cast<AddFn>(reinterpret_cast<void*>(GetProcAddress(module, "smoke_add")));
  bool ok = true;
  if (!add)
    ok = fail("GetProcAddress smoke_add");
  else if (add(40, 2) != 42)
    ok = fail("smoke_add(40, 2) != 42");
  FreeLibrary(module);
  return ok;
}

}  // namespace

int main(int argc, char** argv)
{
  if (argc > 1 && std::strcmp(argv[1], "raise") == 0) {
    std::puts("wine-smoke: raising an unhandled exception");
    std::fflush(stdout);
    RaiseException(kSmokeException, EXCEPTION_NONCONTINUABLE, 0, nullptr);
    return kCheckFailed;
  }
  int exit_code = argc > 1 ? std::atoi(argv[1]) : 0;
  std::printf("wine-smoke: %d-bit, asked to exit with %d\n", static_cast<int>(sizeof(void*) * 8), exit_code);
  bool ok = check_threads();
  ok = check_window() && ok;
  ok = check_dll() && ok;
  if (!ok) return kCheckFailed;
  std::puts("wine-smoke: threads, window and DLL work");
  return exit_code;
}
