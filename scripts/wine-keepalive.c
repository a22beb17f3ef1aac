/* Keeps a Wine prefix's session up between test runs (started by
 * scripts/wine-run, never by hand).
 *
 * The first Wine process of a session starts the system services, and the
 * first one that touches a window starts the desktop process; both inherit
 * that process's stderr and outlive it. Were that a test program, the test
 * runner would wait on the test's output pipe until they exit: forever for
 * the services (the wineserver is persistent), seconds per test for the
 * desktop. This program is started first, with its output on /dev/null, so
 * that the services and the desktop hang on to nothing, and it stays a user
 * of the desktop so that the desktop never closes between tests.
 *
 *   wine-keepalive.exe READY_FILE
 * creates READY_FILE (a path on the current drive) once the desktop is up,
 * then waits for the desktop process to end (its X server went away, say).
 * It ends then too, which tells wine-run to start a new session: a desktop
 * process restarted by a test would hold that test's output open for good. */
#include <windows.h>
#include <stdio.h>

int main(int argc, char **argv)
{
    HWND desktop;
    DWORD desktop_pid = 0;
    HANDLE desktop_process;
    FILE *ready;

    if (argc != 2)
        return 2;
    desktop = GetDesktopWindow();
    if (!desktop || !GetWindowThreadProcessId(desktop, &desktop_pid))
        return 3;
    desktop_process = OpenProcess(SYNCHRONIZE, FALSE, desktop_pid);
    if (!desktop_process)
        return 3;
    ready = fopen(argv[1], "w");
    if (!ready)
        return 4;
    fputs("ready\n", ready);
    fclose(ready);
    WaitForSingleObject(desktop_process, INFINITE);
    return 0;
}
