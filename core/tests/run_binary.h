#pragma once
// Run the lumibox binary as a script would: arguments in, exit code out. The tests that
// drive the binary share it; run_binary_posix.cpp starts processes with fork and exec.
#include <functional>
#include <optional>
#include <string>
#include <vector>

struct RunningBinary {
    long pid = -1;  // the process id
};

// How the child runs besides its arguments. It always starts with SIGPIPE at its default.
struct ChildOptions {
    std::string directory;     // empty: the current one
    int standardOutput = -1;   // descriptor to give it as standard output; -1: outputPath
    std::string outputPath = "/dev/null";  // file for standard output when no descriptor is given
    std::string errorPath = "/dev/null";   // file for standard error when no descriptor is given
    int standardError = -1;    // descriptor to give it as standard error; -1: errorPath
    long fileSizeLimit = -1;   // RLIMIT_FSIZE in bytes, with SIGXFSZ ignored so writes fail; -1: none
    std::vector<std::string> wrapper;  // a command that runs the binary, with its own arguments first
};

// Starts binary with args in directory (empty = current). The child's output goes to /dev/null.
RunningBinary startBinary(const std::string& binary, const std::vector<std::string>& args, const std::string& directory = "");
RunningBinary startBinary(const std::string& binary, const std::vector<std::string>& args, const ChildOptions& options);

// Waits up to timeoutMs; kills the child and returns -1 if it has not ended, else its exit code
// (128 + signal number when it died from a signal).
int waitForExit(RunningBinary& running, int timeoutMs);

// The exit code when the child has ended (reaped), or nothing while it runs.
std::optional<int> exitCodeIfEnded(RunningBinary& running);

int runBinary(const std::string& binary, const std::vector<std::string>& args, int timeoutMs = 20000,
              const std::string& directory = "");
int runBinary(const std::string& binary, const std::vector<std::string>& args, const ChildOptions& options,
              int timeoutMs = 20000);

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
// Names in a folder, sorted, without "." and "..".
std::vector<std::string> directoryEntries(const std::string& path);
// The write end of a pipe whose read end is already closed (close-on-exec; the child gets a copy).
int pipeWithoutReader();
// A descriptor that appends to path, as a shell's >> opens it (close-on-exec; the child gets a copy).
int appendingDescriptor(const std::string& path);
// Closes a descriptor that pipeWithoutReader or appendingDescriptor gave (the parent's copy).
void closeDescriptor(int descriptor);
// Sends the running child a signal (SIGTERM, SIGINT from <csignal>).
void signalBinary(RunningBinary& running, int signal);
// The same to the process group the child leads (started through setsid), and so to the
// processes it started.
void signalBinaryGroup(RunningBinary& running, int signal);
std::string makeTempDirectory();
// Checks ready every stepMs until it holds or timeoutMs has passed; whether it held.
bool waitFor(const std::function<bool()>& ready, int timeoutMs = 5000, int stepMs = 10);
