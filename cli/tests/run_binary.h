#pragma once
// Run the lumibox binary as a script would: arguments in, exit code out.
#include <optional>
#include <string>
#include <vector>

#include <sys/types.h>

struct RunningBinary {
    pid_t pid = -1;
};

// Starts binary with args in directory (empty = current). The child's output goes to /dev/null.
RunningBinary startBinary(const std::string& binary, const std::vector<std::string>& args, const std::string& directory = "");

// Waits up to timeoutMs; kills the child and returns -1 if it has not ended, else its exit code
// (128 + signal number when it died from a signal).
int waitForExit(RunningBinary& running, int timeoutMs);

// The exit code when the child has ended (reaped), or nothing while it runs.
std::optional<int> exitCodeIfEnded(RunningBinary& running);

int runBinary(const std::string& binary, const std::vector<std::string>& args, int timeoutMs = 20000,
              const std::string& directory = "");

std::string readWholeFile(const std::string& path);
std::string makeTempDirectory();
