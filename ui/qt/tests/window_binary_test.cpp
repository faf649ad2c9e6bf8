// The window path of the real binary: an exit code where no display can be had, and the
// ordinary close when the process is asked to end.
#include <gtest/gtest.h>

#include <csignal>

#include <chrono>
#include <cstdlib>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "core/tests/run_binary.h"

namespace {

void setOrUnset(const char* name, const char* value) {
    if (value != nullptr) {
        setenv(name, value, 1);
    } else {
        unsetenv(name);
    }
}

// Whether the process has a handler of its own for the signal (SigCgt in /proc/<pid>/status).
bool catchesSignal(pid_t pid, int signal) {
    std::istringstream status(readWholeFile("/proc/" + std::to_string(pid) + "/status"));
    for (std::string line; std::getline(status, line);) {
        if (line.rfind("SigCgt:", 0) == 0) return (std::stoull(line.substr(7), nullptr, 16) >> (signal - 1) & 1) != 0;
    }
    return false;
}

// Both window paths: the main window and the Network window.
const std::vector<std::string> kWindowPaths[] = {{}, {"--network"}};

TEST(WindowBinary, WithoutAUsableDisplayEndsWithExitCodeOne) {
    struct Case {
        const char* display;
        const char* platform;
    };
    const Case cases[] = {
        {nullptr, nullptr},      // nothing at all
        {":4097", nullptr},      // a display no server answers
        {":4097", "xcb"},
        {nullptr, "nonesuch"},   // a platform Qt does not have
    };
    for (const Case& c : cases) {
        unsetenv("WAYLAND_DISPLAY");
        setOrUnset("DISPLAY", c.display);
        setOrUnset("QT_QPA_PLATFORM", c.platform);
        for (const auto& args : kWindowPaths) {
            EXPECT_EQ(runBinary(LUMIBOX_BINARY, args, 20000), 1)
                << (c.display ? c.display : "-") << " " << (c.platform ? c.platform : "-") << " " << args.size();
        }
    }
}

// SIGTERM and SIGINT close the window as its close button does: exit code 0.
TEST(WindowBinary, TerminationSignalsCloseTheWindowWithExitCodeZero) {
    unsetenv("DISPLAY");
    unsetenv("WAYLAND_DISPLAY");
    setenv("QT_QPA_PLATFORM", "offscreen", 1);
    for (int signal : {SIGTERM, SIGINT}) {
        for (const auto& args : kWindowPaths) {
            RunningBinary running = startBinary(LUMIBOX_BINARY, args);
            const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(20);
            while (!catchesSignal(running.pid, signal) && std::chrono::steady_clock::now() < deadline)
                std::this_thread::sleep_for(std::chrono::milliseconds(10));
            EXPECT_TRUE(catchesSignal(running.pid, signal)) << signal << " " << args.size();
            signalBinary(running, signal);
            EXPECT_EQ(waitForExit(running, 20000), 0) << signal << " " << args.size();
        }
    }
}

}  // namespace
