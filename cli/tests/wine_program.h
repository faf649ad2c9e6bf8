#pragma once
// Windows programs under wine, started by a Linux test that itself runs through
// `tools/wine-run.sh <prefix> --host`: the network namespace, the prefix and the running
// wine server are that script's, and $WINE is the loader that starts each program.
#include <cstdlib>
#include <string>
#include <vector>

#include "core/tests/run_binary.h"

// A setting of the test's environment (ctest passes them); empty when missing.
inline std::string environmentText(const char* name) {
    const char* value = std::getenv(name);
    return value ? value : "";
}

inline RunningBinary startWindowsProgram(const std::string& exe, const std::vector<std::string>& args,
                                         const std::string& directory = "") {
    std::vector<std::string> loaderArgs = {exe};
    loaderArgs.insert(loaderArgs.end(), args.begin(), args.end());
    ChildOptions options;
    options.directory = directory;
    options.standardError = 2;  // wine's own complaints (a program it could not start) reach the test's log
    return startBinary(environmentText("WINE"), loaderArgs, options);
}

// Its exit code, or -1 when it has not ended within timeoutMs (it is then killed).
inline int runWindowsProgram(const std::string& exe, const std::vector<std::string>& args, int timeoutMs = 30000,
                             const std::string& directory = "") {
    RunningBinary running = startWindowsProgram(exe, args, directory);
    return waitForExit(running, timeoutMs);
}

// A Linux path as a Windows program under wine names it: drive Z: is the root.
inline std::string windowsPath(const std::string& linuxPath) {
    std::string path = "Z:" + linuxPath;
    for (char& c : path)
        if (c == '/') c = '\\';
    return path;
}
