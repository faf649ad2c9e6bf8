#pragma once
// The lumibox a test drives: the Linux binary, or lumibox.exe when the Windows build's ctest
// runs the same test under wine (LUMIBOX_WINDOWS_BINARY, cli/tests/win32_exe_tests.cmake).
// lumibox.exe runs through lumibox.com, as from a console, in a process group of its own:
// SIGINT to the group is how wine hands a console's programs Ctrl+C.
#include <csignal>
#include <string>
#include <vector>

#include "wine_program.h"

inline const std::string kWindowsProgram = environmentText("LUMIBOX_WINDOWS_BINARY");
inline bool drivesWindowsProgram() { return !kWindowsProgram.empty(); }
inline std::string windowsCompanion() { return kWindowsProgram.substr(0, kWindowsProgram.size() - 4) + ".com"; }

// A file name as the program under test takes it.
inline std::string programPath(const std::string& path) {
    return drivesWindowsProgram() && path.starts_with('/') ? windowsPath(path) : path;
}

inline RunningBinary startProgram(const std::string& linuxBinary, std::vector<std::string> args, ChildOptions options = {}) {
    if (!drivesWindowsProgram()) return startBinary(linuxBinary, args, options);
    args.insert(args.begin(), windowsCompanion());
    options.wrapper.insert(options.wrapper.begin(), {"/usr/bin/setsid", "-w"});
    return startBinary(environmentText("WINE"), args, options);
}

inline int runProgram(const std::string& linuxBinary, const std::vector<std::string>& args, int timeoutMs = 20000) {
    return drivesWindowsProgram() ? runWindowsProgram(windowsCompanion(), args, timeoutMs)
                                  : runBinary(linuxBinary, args, timeoutMs);
}

inline BinaryRun runProgramCapturing(const std::string& linuxBinary, std::vector<std::string> args) {
    if (!drivesWindowsProgram()) return runBinaryCapturing(linuxBinary, args);
    args.insert(args.begin(), windowsCompanion());
    return runBinaryCapturing(environmentText("WINE"), args);
}

// SIGINT or SIGTERM: lumibox.exe gets Ctrl+C for either. SIGKILL ends the whole group.
inline void stopProgram(RunningBinary& running, int signal) {
    if (!drivesWindowsProgram()) return signalBinary(running, signal);
    signalBinaryGroup(running, signal == SIGKILL ? SIGKILL : SIGINT);
}
