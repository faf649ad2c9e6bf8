#include "run_binary.h"

#include <fcntl.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <thread>

RunningBinary startBinary(const std::string& binary, const std::vector<std::string>& args, const std::string& directory) {
    ChildOptions options;
    options.directory = directory;
    return startBinary(binary, args, options);
}

RunningBinary startBinary(const std::string& binary, const std::vector<std::string>& args, const ChildOptions& options) {
    std::vector<char*> argv;
    for (const std::string& a : options.wrapper) argv.push_back(const_cast<char*>(a.c_str()));
    argv.push_back(const_cast<char*>(binary.c_str()));
    for (const std::string& a : args) argv.push_back(const_cast<char*>(a.c_str()));
    argv.push_back(nullptr);
    const pid_t pid = fork();
    if (pid == 0) {
        const int output = options.standardOutput >= 0
                               ? options.standardOutput
                               : open(options.outputPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
        const int error = options.standardError >= 0 ? options.standardError
                                                     : open(options.errorPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
        if (output < 0 || error < 0) _exit(125);
        dup2(output, 1);
        dup2(error, 2);
        signal(SIGPIPE, SIG_DFL);
        if (options.fileSizeLimit >= 0) {
            signal(SIGXFSZ, SIG_IGN);
            const rlimit limit{static_cast<rlim_t>(options.fileSizeLimit), static_cast<rlim_t>(options.fileSizeLimit)};
            if (setrlimit(RLIMIT_FSIZE, &limit) != 0) _exit(125);
        }
        if (!options.directory.empty() && chdir(options.directory.c_str()) != 0) _exit(126);
        execv(argv[0], argv.data());
        _exit(127);
    }
    return RunningBinary{static_cast<long>(pid)};
}

BinaryRun runBinaryCapturing(const std::string& binary, const std::vector<std::string>& args,
                             const std::string& outputPath, int timeoutMs) {
    const std::string dir = makeTempDirectory();
    const std::string output = outputPath.empty() ? dir + "/stdout" : outputPath;
    ChildOptions options;
    options.outputPath = output;
    options.errorPath = dir + "/stderr";
    RunningBinary running = startBinary(binary, args, options);
    BinaryRun run;
    run.exitCode = waitForExit(running, timeoutMs);
    if (outputPath.empty()) run.standardOutput = readWholeFile(output);
    run.standardError = readWholeFile(dir + "/stderr");
    return run;
}

int waitForExit(RunningBinary& running, int timeoutMs) {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    const auto pid = static_cast<pid_t>(running.pid);
    int status = 0;
    while (true) {
        const pid_t done = waitpid(pid, &status, WNOHANG);
        if (done == pid) break;
        if (std::chrono::steady_clock::now() >= deadline) {
            kill(pid, SIGKILL);
            waitpid(pid, &status, 0);
            return -1;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    if (WIFEXITED(status)) return WEXITSTATUS(status);
    return 128 + WTERMSIG(status);
}

std::optional<int> exitCodeIfEnded(RunningBinary& running) {
    int status = 0;
    if (waitpid(running.pid, &status, WNOHANG) != running.pid) return std::nullopt;
    if (WIFEXITED(status)) return WEXITSTATUS(status);
    return 128 + WTERMSIG(status);
}

int runBinary(const std::string& binary, const std::vector<std::string>& args, int timeoutMs, const std::string& directory) {
    RunningBinary running = startBinary(binary, args, directory);
    return waitForExit(running, timeoutMs);
}

std::string readWholeFile(const std::string& path) {
    std::ifstream file(path, std::ios::binary);
    std::stringstream content;
    content << file.rdbuf();
    return content.str();
}

int runBinary(const std::string& binary, const std::vector<std::string>& args, const ChildOptions& options, int timeoutMs) {
    RunningBinary running = startBinary(binary, args, options);
    return waitForExit(running, timeoutMs);
}

std::vector<std::string> directoryEntries(const std::string& path) {
    std::vector<std::string> names;
    std::error_code error;
    for (const auto& entry : std::filesystem::directory_iterator(path, error)) names.push_back(entry.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
}

int pipeWithoutReader() {
    int ends[2] = {-1, -1};
    if (pipe2(ends, O_CLOEXEC) != 0) return -1;
    close(ends[0]);
    return ends[1];
}

int appendingDescriptor(const std::string& path) { return open(path.c_str(), O_WRONLY | O_APPEND | O_CLOEXEC); }

void closeDescriptor(int descriptor) {
    if (descriptor >= 0) close(descriptor);
}

void signalBinary(RunningBinary& running, int signal) { kill(static_cast<pid_t>(running.pid), signal); }

void signalBinaryGroup(RunningBinary& running, int signal) { kill(static_cast<pid_t>(-running.pid), signal); }

std::string makeTempDirectory() {
    char pattern[] = "/tmp/lumibox-test-XXXXXX";
    const char* made = mkdtemp(pattern);
    return made ? made : "/tmp";
}

bool waitFor(const std::function<bool()>& ready, int timeoutMs, int stepMs) {
    const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    while (std::chrono::steady_clock::now() < end) {
        if (ready()) return true;
        std::this_thread::sleep_for(std::chrono::milliseconds(stepMs));
    }
    return ready();
}
