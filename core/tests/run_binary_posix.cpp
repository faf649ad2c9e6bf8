#include "run_binary.h"

#include <fcntl.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <thread>

namespace {

RunningBinary startWithStreams(const std::string& binary, const std::vector<std::string>& args,
                               const std::string& directory, const char* outputPath, const char* errorPath) {
    std::vector<char*> argv;
    argv.push_back(const_cast<char*>(binary.c_str()));
    for (const std::string& a : args) argv.push_back(const_cast<char*>(a.c_str()));
    argv.push_back(nullptr);
    const pid_t pid = fork();
    if (pid == 0) {
        const int output = open(outputPath, O_WRONLY | O_CREAT | O_TRUNC, 0600);
        const int error = open(errorPath, O_WRONLY | O_CREAT | O_TRUNC, 0600);
        if (output < 0 || error < 0) _exit(125);
        dup2(output, 1);
        dup2(error, 2);
        if (!directory.empty() && chdir(directory.c_str()) != 0) _exit(126);
        execv(binary.c_str(), argv.data());
        _exit(127);
    }
    return RunningBinary{static_cast<long>(pid)};
}

}  // namespace

RunningBinary startBinary(const std::string& binary, const std::vector<std::string>& args, const std::string& directory) {
    return startWithStreams(binary, args, directory, "/dev/null", "/dev/null");
}

BinaryRun runBinaryCapturing(const std::string& binary, const std::vector<std::string>& args,
                             const std::string& outputPath, int timeoutMs) {
    const std::string dir = makeTempDirectory();
    const std::string output = outputPath.empty() ? dir + "/stdout" : outputPath;
    RunningBinary running = startWithStreams(binary, args, "", output.c_str(), (dir + "/stderr").c_str());
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

std::string makeTempDirectory() {
    char pattern[] = "/tmp/lumibox-test-XXXXXX";
    const char* made = mkdtemp(pattern);
    return made ? made : "/tmp";
}
