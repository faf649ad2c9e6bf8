#pragma once
// Run the lumibox binary as a script would: arguments in, exit code out. The tests that
// drive the binary share it; run_binary_posix.cpp starts processes with fork and exec.
#include <optional>
#include <string>
#include <vector>

struct RunningBinary {
    long pid = -1;  // the process id
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

// A finished run with what the binary wrote to standard output and standard error.
struct BinaryRun {
    int exitCode = -1;
    std::string standardOutput;
    std::string standardError;
};

// Like runBinary, keeping both streams. With outputPath, standard output goes to that file
// instead (for example /dev/full) and standardOutput stays empty.
BinaryRun runBinaryCapturing(const std::string& binary, const std::vector<std::string>& args,
                             const std::string& outputPath = "", int timeoutMs = 20000);

std::string readWholeFile(const std::string& path);
std::string makeTempDirectory();
