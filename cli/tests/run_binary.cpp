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

RunningBinary startBinary(const std::string& binary, const std::vector<std::string>& args, const std::string& directory) {
    std::vector<char*> argv;
    argv.push_back(const_cast<char*>(binary.c_str()));
    for (const std::string& a : args) argv.push_back(const_cast<char*>(a.c_str()));
    argv.push_back(nullptr);
    const pid_t pid = fork();
    if (pid == 0) {
        const int devNull = open("/dev/null", O_RDWR);
        dup2(devNull, 1);
        dup2(devNull, 2);
        if (!directory.empty() && chdir(directory.c_str()) != 0) _exit(126);
        execv(binary.c_str(), argv.data());
        _exit(127);
    }
    return RunningBinary{pid};
}

int waitForExit(RunningBinary& running, int timeoutMs) {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    int status = 0;
    while (true) {
        const pid_t done = waitpid(running.pid, &status, WNOHANG);
        if (done == running.pid) break;
        if (std::chrono::steady_clock::now() >= deadline) {
            kill(running.pid, SIGKILL);
            waitpid(running.pid, &status, 0);
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
