// lumibox.exe's MIDI command-line modes under wine, end to end. Wine has no MIDI devices:
// the plain program lists none and refuses port 0; a copy of it beside the loop winmm.dll
// (midi/tests/fake_winmm_win32.cpp) sees one input and one output joined by a cable that
// this test can hold itself, on UDP 127.0.0.1 at kCablePort: it plays the device that
// receives what --midi-send sends, and the device that sends to --midi-listen.
// Runs through `tools/wine-run.sh <prefix> --host` (see cli/tests/win32_exe_tests.cmake).
#include <gtest/gtest.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>
#include <thread>
#include <vector>

#include "core/tests/run_binary.h"
#include "midi/tests/midi_cli_cases.h"
#include "net/socket/socket_layer.h"
#include "wine_program.h"

namespace {

const std::string kWindowsBinary = environmentText("LUMIBOX_WINDOWS_BINARY");
const std::string kLoopBinary = environmentText("LUMIBOX_WINDOWS_LOOP_BINARY");
constexpr uint16_t kCablePort = 21928;
constexpr int kArrivalTimeoutMs = 10000;

bool fileExists(const std::string& path) {
    std::error_code error;
    return std::filesystem::exists(path, error);
}

using Clock = std::chrono::steady_clock;

// The device end of the cable: receives the words lumibox.exe sends, with arrival times,
// and sends words to an input lumibox.exe holds open.
struct CableEnd {
    SocketHandle socket = kInvalidSocket;
    std::vector<uint32_t> words;
    std::vector<Clock::time_point> arrivals;

    ~CableEnd() { closeSocket(socket); }
    bool listen() {
        socket = openUdpSocket();
        Ipv4Address loopback;
        parseIpv4("127.0.0.1", loopback);
        return socket != kInvalidSocket && bindSocket(socket, loopback, kCablePort) && setReceiveTimeout(socket, 100);
    }
    bool waitForWords(std::size_t count) {
        const auto deadline = Clock::now() + std::chrono::milliseconds(kArrivalTimeoutMs);
        uint8_t buffer[4096];
        while (words.size() < count && Clock::now() < deadline) {
            const long n = receiveDatagram(socket, buffer, sizeof buffer);
            for (long at = 0; at + 4 <= n; at += 4) {
                uint32_t word;
                std::memcpy(&word, buffer + at, 4);
                words.push_back(word);
                arrivals.push_back(Clock::now());
            }
        }
        return words.size() >= count;
    }
};

// Sends words to whoever holds the cable's input, all in one datagram: one burst.
void sendToInput(const std::vector<uint32_t>& words) {
    const SocketHandle socket = openUdpSocket();
    Ipv4Address loopback;
    parseIpv4("127.0.0.1", loopback);
    std::vector<uint8_t> bytes(words.size() * 4);
    std::memcpy(bytes.data(), words.data(), bytes.size());
    EXPECT_EQ(sendDatagram(socket, bytes.data(), bytes.size(), loopback, kCablePort), static_cast<long>(bytes.size()));
    closeSocket(socket);
}

TEST(ExeMidiCli, WithoutDevicesTheListsAreEmptyAndPortsRefused) {
    ASSERT_FALSE(kWindowsBinary.empty()) << "LUMIBOX_WINDOWS_BINARY is not set: run through ctest";
    const std::string dir = makeTempDirectory();
    const std::string ports = dir + "/ports-\xC3\xBC.json";  // a name beyond ASCII
    ASSERT_EQ(runWindowsProgram(kWindowsBinary, {"--midi-list", "--output", windowsPath(ports)}), 0);
    EXPECT_EQ(readWholeFile(ports), "{\"inputs\":[],\"outputs\":[]}");
    EXPECT_EQ(runWindowsProgram(kWindowsBinary, {"--midi-list", "--output", windowsPath(dir + "/missing/ports.json")}), 6);
    EXPECT_EQ(runWindowsProgram(kWindowsBinary, {"--midi-send", "--port", "0"}), 2);
    EXPECT_EQ(runWindowsProgram(kWindowsBinary, {"--midi-listen", "--port", "0", "--ready-file", windowsPath(dir + "/r"),
                                                 "--output", windowsPath(dir + "/c.json")}),
              2);
    EXPECT_FALSE(fileExists(dir + "/r"));
    EXPECT_FALSE(fileExists(dir + "/c.json"));
}

class ExeMidiLoop : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_FALSE(kLoopBinary.empty()) << "LUMIBOX_WINDOWS_LOOP_BINARY is not set: run through ctest";
        setenv("LUMIBOX_WINMM_LOOP_PORT", std::to_string(kCablePort).c_str(), 1);
        setenv("LUMIBOX_WINMM_LOOP_LOG", windowsPath(path("calls.log")).c_str(), 1);
    }
    std::string path(const std::string& name) const { return dir + "/" + name; }
    int run(std::vector<std::string> args) { return runWindowsProgram(kLoopBinary, args); }
    std::vector<std::string> send(const std::vector<std::string>& options) const {
        std::vector<std::string> args = {"--midi-send", "--port", "0"};
        args.insert(args.end(), options.begin(), options.end());
        return args;
    }
    std::string calls() const { return readWholeFile(path("calls.log")); }

    // Starts a capture and returns once its ready file says it holds the input.
    RunningBinary startCapture(const std::string& listenMs, const std::string& output = "capture.json") {
        RunningBinary running = startWindowsProgram(
            kLoopBinary, {"--midi-listen", "--port", "0", "--listen-ms", listenMs, "--ready-file", windowsPath(path("ready")),
                          "--output", windowsPath(path(output))});
        const auto deadline = Clock::now() + std::chrono::seconds(30);
        while (readWholeFile(path("ready")) != "ready" && Clock::now() < deadline)
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
        EXPECT_EQ(readWholeFile(path("ready")), "ready");
        return running;
    }

    std::string dir = makeTempDirectory();
};

TEST_F(ExeMidiLoop, ListNamesTheDevicesEscapedInUtf8) {
    ASSERT_EQ(run({"--midi-list", "--output", windowsPath(path("ports.json"))}), 0);
    EXPECT_EQ(readWholeFile(path("ports.json")),
              "{\"inputs\":[{\"index\":0,\"name\":\"Loop \\\"In\\\" \\\\ \xC3\x84\"}],"
              "\"outputs\":[{\"index\":0,\"name\":\"Loop Out \xC3\xBC\"}]}");
}

// The capture time covers starting the second program under wine on a loaded machine.
TEST_F(ExeMidiLoop, SendWithDefaultsIsCapturedByListenInAnotherProcess) {
    RunningBinary listener = startCapture("10000");
    EXPECT_EQ(run(send({})), 0);
    ASSERT_EQ(waitForExit(listener, 30000), 0);
    EXPECT_EQ(readWholeFile(path("capture.json")), "{\"messages\":[8338576,15488]}");
}

TEST_F(ExeMidiLoop, SendWithDefaultsReleasesTheNoteAbout200MsLater) {
    CableEnd device;
    ASSERT_TRUE(device.listen());
    RunningBinary sender = startWindowsProgram(kLoopBinary, send({}));  // read while it runs, for the times
    ASSERT_TRUE(device.waitForWords(2));
    ASSERT_EQ(waitForExit(sender, 30000), 0);
    EXPECT_EQ(device.words, (std::vector<uint32_t>{midiWord(0x90, 60, 127), midiWord(0x80, 60, 0)}));
    const auto gap = std::chrono::duration_cast<std::chrono::milliseconds>(device.arrivals[1] - device.arrivals[0]);
    EXPECT_GE(gap.count(), 150);  // 200 ms, less what a loaded machine may take to read the first
    EXPECT_LT(gap.count(), 2000);
    EXPECT_EQ(calls(), "out open 0\nout 007F3C90\nout 00003C80\nout close\n");
}

TEST_F(ExeMidiLoop, SendOtherTypes) {
    CableEnd device;
    ASSERT_TRUE(device.listen());
    std::size_t seen = 0;
    for (const MidiSendCase& c : kMidiSendCases) {
        ASSERT_EQ(run(send(c.options)), 0) << c.options[1];
        ASSERT_TRUE(device.waitForWords(seen + c.received.size())) << c.options[1];
        EXPECT_EQ(std::vector<uint32_t>(device.words.begin() + static_cast<long>(seen), device.words.end()), c.received);
        seen = device.words.size();
    }
}

TEST_F(ExeMidiLoop, SendRefusalsAndWhetherThePortWasOpened) {
    for (const MidiSendRefusal& c : kMidiSendRefusals) {
        std::remove(path("calls.log").c_str());
        EXPECT_EQ(run(send(c.options)), 2) << c.options[0] << " " << c.options[1];
        EXPECT_EQ(calls(), c.opensPort ? "out open 0\nout close\n" : "") << c.options[0] << " " << c.options[1];
    }
    EXPECT_EQ(run({"--midi-send"}), 2);  // no --port
    EXPECT_EQ(run({"--midi-send", "--port", "1"}), 2);
    EXPECT_EQ(run({"--midi-unknown", "--port", "0"}), 2);
}

TEST_F(ExeMidiLoop, ListenCapturesWhatArrivesClockIncludedAndClosesTheInput) {
    RunningBinary listener = startCapture("10000");
    EXPECT_EQ(run({"--midi-listen", "--port", "0", "--listen-ms", "100", "--output", windowsPath(path("second.json"))}), 4)
        << "the device is in use";
    sendToInput({midiWord(0x90, 0x3C, 0x7F), midiWord(0x80, 0x3C, 0x00), 0xF8, midiWord(0xE1, 0x00, 0x40)});
    ASSERT_EQ(waitForExit(listener, 30000), 0);
    EXPECT_EQ(readWholeFile(path("capture.json")), "{\"messages\":[8338576,15488,248,4194529]}");
    EXPECT_FALSE(fileExists(path("second.json")));
    // Opened and started before the ready file; stopped, reset and closed before the file.
    const std::string log = calls();
    EXPECT_EQ(log.rfind("in open 0\nin start\nin open refused\n", 0), 0u) << log;
    EXPECT_TRUE(log.ends_with("in stop\nin reset\nin close\n")) << log;

    // Closed, the device takes the next client.
    RunningBinary next = startCapture("100", "next.json");
    EXPECT_EQ(waitForExit(next, 30000), 0);
    EXPECT_EQ(readWholeFile(path("next.json")), "{\"messages\":[]}");
}

TEST_F(ExeMidiLoop, ListenKeepsTheFirst512OfA600MessageBurst) {
    RunningBinary listener = startCapture("3000");
    std::vector<uint32_t> burst;
    for (uint32_t i = 0; i < 600; ++i) burst.push_back(midiWord(0xB0, static_cast<uint8_t>(i % 128), static_cast<uint8_t>(i / 128)));
    sendToInput(burst);
    ASSERT_EQ(waitForExit(listener, 30000), 0);
    std::string expected = "{\"messages\":[";
    for (uint32_t i = 0; i < 512; ++i) expected += (i > 0 ? "," : "") + std::to_string(burst[i]);
    EXPECT_EQ(readWholeFile(path("capture.json")), expected + "]}");
}

}  // namespace
