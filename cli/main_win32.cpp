// The Windows entry: a windowed program (no console), started with the wide command line.
#include <windows.h>
#include <objidl.h>  // before gdiplus.h, which uses IStream without including it
#include <gdiplus.h>

#include "../ui/win32/win32_main_window.h"
#include "command_line_win32.h"
#include "console_companion.h"
#include "program_entry.h"

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int showCommand) {
    // Started by lumibox.com: share its console, so Ctrl+C and Ctrl+Break typed there reach
    // this process as console events. Output already goes to the handles it was given.
    if (GetEnvironmentVariableW(kConsoleCompanionVariable, nullptr, 0) > 0) AttachConsole(ATTACH_PARENT_PROCESS);
    // GDI+ runs around everything else: the icon export and the window draw with it, and
    // it is shut down last, after the socket library. Stopped only if it started.
    const Gdiplus::GdiplusStartupInput gdiplusInput;  // version 1, no debug callback
    ULONG_PTR gdiplusToken = 0;
    const bool gdiplusStarted = Gdiplus::GdiplusStartup(&gdiplusToken, &gdiplusInput, nullptr) == Gdiplus::Ok;

    // The narrow command line is not used: the wide one holds every name as typed.
    const int exitCode = runProgram(processArguments(), [&](DmxUniverseState& state, WindowChoice choice) {
        // The windows transmit with the CID made here.
        if (choice == WindowChoice::Network) return runNetworkWindow(instance, showCommand, state);
        return runMainWindow(instance, showCommand, state);
    });

    if (gdiplusStarted) Gdiplus::GdiplusShutdown(gdiplusToken);
    return exitCode;
}
