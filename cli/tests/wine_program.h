#pragma once
// Windows programs under wine, started by a Linux test that itself runs through
// `tools/wine-run.sh <prefix> --host`: the network namespace, the prefix and the running
// wine server are that script's, and $WINE is the loader that starts each program.
#include <cstdio>
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
// The programs run this way never end with 1, but wine now and then ends one with 1
// and no message (seen twice in CI runs under load, never in hundreds of runs here);
// such a run is repeated once, and the log says so.
inline int runWindowsProgram(const std::string& exe, const std::vector<std::string>& args, int timeoutMs = 30000,
                             const std::string& directory = "") {
    for (int attempt = 1;; ++attempt) {
        RunningBinary running = startWindowsProgram(exe, args, directory);
        const int exitCode = waitForExit(running, timeoutMs);
        if (exitCode != 1 || attempt == 2) return exitCode;
        std::fprintf(stderr, "note: wine ended %s with 1 and no message; running it once more\n", exe.c_str());
    }
}

// A Linux path as a Windows program under wine names it: drive Z: is the root.
inline std::string windowsPath(const std::string& linuxPath) {
    std::string path = "Z:" + linuxPath;
    for (char& c : path)
        if (c == '/') c = '\\';
    return path;
}
