// The MIDI command-line modes through the real lumibox binary, against a JACK server
// with the dummy driver and our peer standing in for a device.
#include <gtest/gtest.h>

#include <sys/stat.h>

#include <chrono>
#include <string>
#include <thread>
#include <vector>

#include "core/tests/run_binary.h"
#include "jack_peer.h"
#include "midi_cli_cases.h"
#include "midi_test_ports.h"

namespace {

constexpr int kArrivalTimeoutMs = 5000;
const std::string kBinary = LUMIBOX_BINARY;
// Ports with a quote, a backslash, a tab, a line break, an accent and a byte that is not UTF-8.
const std::string kOddName = "odd \"q\" \\ \t\n\xC3\xA9 \xFF";
const std::string kOddNameJson = "odd \\\"q\\\" \\\\ \\u0009\\u000a\xC3\xA9 \xEF\xBF\xBD";

std::vector<uint32_t> wordsOf(const std::vector<JackPeerEvent>& events) {
    std::vector<uint32_t> words;
    for (const JackPeerEvent& e : events) words.push_back(e.word);
    return words;
}

bool fileExists(const std::string& path) {
    struct stat info;
    return stat(path.c_str(), &info) == 0;
}

// Runs lumibox through the shell so that its own output and environment can be set.
int runWithShell(const std::string& script, const std::vector<std::string>& args) {
    std::vector<std::string> shellArgs = {"-c", script, kBinary};
    shellArgs.insert(shellArgs.end(), args.begin(), args.end());
    return runBinary("/bin/sh", shellArgs);
}

struct MidiCli : ::testing::Test {
    JackPeer peer;
    std::string dir;

    void SetUp() override {
        ASSERT_TRUE(openJackPeer(peer, "device", {"in", kOddName}, {"out"})) << "no JACK server: run through ctest";
        dir = makeTempDirectory();
    }
    void TearDown() override { closeJackPeer(peer); }
    std::string path(const std::string& name) const { return dir + "/" + name; }
    std::string sendPort() const { return std::to_string(servicePortIndex(false, peerInputName(peer, 0))); }
    std::string listenPort() const { return std::to_string(servicePortIndex(true, peerOutputName(peer, 0))); }
};

TEST_F(MidiCli, ListWritesThePortsByIndexWithNamesEscaped) {
    const int input = servicePortIndex(true, peerOutputName(peer, 0));
    const int output = servicePortIndex(false, peerInputName(peer, 0));
    const int odd = servicePortIndex(false, peerInputName(peer, 1));
    ASSERT_GE(input, 0);
    ASSERT_GE(output, 0);
    ASSERT_GE(odd, 0);
    ASSERT_EQ(runBinary(kBinary, {"--midi-list", "--output", path("ports.json")}), 0);
    const std::string json = readWholeFile(path("ports.json"));
    const size_t between = json.find("],\"outputs\":[");
    ASSERT_EQ(json.rfind("{\"inputs\":[", 0), 0u) << json;
    ASSERT_NE(between, std::string::npos) << json;
    EXPECT_EQ(json.substr(json.size() - 2), "]}");
    const std::string inputs = json.substr(0, between);
    const std::string outputs = json.substr(between);
    const std::string client = peerInputName(peer, 0).substr(0, peerInputName(peer, 0).find(':'));
    EXPECT_NE(inputs.find("{\"index\":" + std::to_string(input) + ",\"name\":\"" + client + ":out\"}"), std::string::npos)
        << json;
    EXPECT_NE(outputs.find("{\"index\":" + std::to_string(output) + ",\"name\":\"" + client + ":in\"}"), std::string::npos)
        << json;
    EXPECT_NE(outputs.find("{\"index\":" + std::to_string(odd) + ",\"name\":\"" + client + ":" + kOddNameJson + "\"}"),
              std::string::npos)
        << json;
    for (const char c : json) EXPECT_GE(static_cast<unsigned char>(c), 0x20) << "raw control character in " << json;
}

TEST_F(MidiCli, ListWithNoServiceWritesEmptyListsAndPrintsNothing) {
    const std::string script = "JACK_DEFAULT_SERVER=lumibox-nobody-$$ LUMIBOX_MIDI_API=jack exec \"$0\" \"$@\" >\"" +
                               path("out.txt") + "\" 2>\"" + path("err.txt") + "\"";
    ASSERT_EQ(runWithShell(script, {"--midi-list", "--output", path("none.json")}), 0);
    EXPECT_EQ(readWholeFile(path("none.json")), "{\"inputs\":[],\"outputs\":[]}");
    EXPECT_EQ(readWholeFile(path("out.txt")), "");
    EXPECT_EQ(readWholeFile(path("err.txt")), "");
    EXPECT_EQ(runBinary(kBinary, {"--midi-list", "--output", path("missing-dir/ports.json")}), 6);
}

TEST_F(MidiCli, SendWithDefaultsPlaysNote60AndReleasesItAbout200MsLater) {
    ASSERT_EQ(runBinary(kBinary, {"--midi-send", "--port", sendPort()}), 0);
    ASSERT_TRUE(waitForPeerEvents(peer, 2, kArrivalTimeoutMs));
    const std::vector<JackPeerEvent> events = peerEvents(peer);
    EXPECT_EQ(wordsOf(events), (std::vector<uint32_t>{midiWord(0x90, 60, 127), midiWord(0x80, 60, 0)}));
    const double gapMs = static_cast<double>(events[1].arrivedNs - events[0].arrivedNs) / 1e6;
    EXPECT_GE(gapMs, 180.0);  // 200 ms, less up to one 10.7 ms period of the test server
    EXPECT_LT(gapMs, 2000.0);
}

TEST_F(MidiCli, SendOtherTypes) {
    size_t seen = 0;
    for (const MidiSendCase& c : kMidiSendCases) {
        std::vector<std::string> args = {"--midi-send", "--port", sendPort()};
        args.insert(args.end(), c.options.begin(), c.options.end());
        ASSERT_EQ(runBinary(kBinary, args, 10000), 0) << c.options[1];
        ASSERT_TRUE(waitForPeerEvents(peer, seen + c.received.size(), kArrivalTimeoutMs)) << c.options[1];
        std::vector<uint32_t> words = wordsOf(peerEvents(peer));
        EXPECT_EQ(std::vector<uint32_t>(words.begin() + static_cast<long>(seen), words.end()), c.received);
        seen = words.size();
    }
}

TEST_F(MidiCli, SendRefusalsAndWhetherThePortWasOpened) {
    for (const MidiSendRefusal& c : kMidiSendRefusals) {
        const int before = peer.connections.load();
        std::vector<std::string> args = {"--midi-send", "--port", sendPort()};
        args.insert(args.end(), c.options.begin(), c.options.end());
        EXPECT_EQ(runBinary(kBinary, args), 2) << c.options[0] << " " << c.options[1];
        EXPECT_EQ(peer.connections.load() > before, c.opensPort) << c.options[0] << " " << c.options[1];
    }
    EXPECT_EQ(runBinary(kBinary, {"--midi-send"}), 2);  // no --port
    EXPECT_EQ(runBinary(kBinary, {"--midi-send", "--port", "100000"}), 2);
    EXPECT_EQ(runBinary(kBinary, {"--midi-unknown", "--port", sendPort()}), 2);
    EXPECT_TRUE(peerEvents(peer).empty());
}

// Starts a capture, waits for its ready file, lets the peer send, and returns the exit code.
int captureWhilePeerSends(MidiCli& t, const std::vector<std::vector<uint8_t>>& messages, const std::string& listenMs) {
    RunningBinary running = startBinary(kBinary, {"--midi-listen", "--port", t.listenPort(), "--listen-ms", listenMs,
                                                  "--ready-file", t.path("ready"), "--output", t.path("capture.json")});
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
    while (readWholeFile(t.path("ready")) != "ready" && std::chrono::steady_clock::now() < deadline)
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
    EXPECT_EQ(readWholeFile(t.path("ready")), "ready");
    for (const std::vector<uint8_t>& bytes : messages) EXPECT_TRUE(sendFromPeer(t.peer, 0, bytes));
    return waitForExit(running, 20000);
}

TEST_F(MidiCli, ListenCapturesWhatArrivesAfterReadyClockIncluded) {
    const int code = captureWhilePeerSends(*this, {{0x90, 0x3C, 0x7F}, {0x80, 0x3C, 0x00}, {0xF8}, {0xE1, 0x00, 0x40}}, "800");
    ASSERT_EQ(code, 0);
    EXPECT_EQ(readWholeFile(path("capture.json")), "{\"messages\":[8338576,15488,248,4194529]}");
}

TEST_F(MidiCli, ListenKeepsTheFirst512Messages) {
    std::vector<std::vector<uint8_t>> burst;
    for (int i = 0; i < 600; ++i) burst.push_back({0xB0, static_cast<uint8_t>(i % 128), static_cast<uint8_t>(i / 128)});
    ASSERT_EQ(captureWhilePeerSends(*this, burst, "1000"), 0);
    const std::string json = readWholeFile(path("capture.json"));
    size_t entries = 1;
    for (const char c : json) entries += c == ',';
    EXPECT_EQ(entries, 512u);
    EXPECT_EQ(json.rfind("{\"messages\":[176,", 0), 0u);
    // Message 511: controller 127, value 3.
    const std::string last = "," + std::to_string(midiWord(0xB0, 127, 3)) + "]}";
    EXPECT_EQ(json.substr(json.size() - last.size()), last);
}

TEST_F(MidiCli, ListenRangeErrorsWriteNothing) {
    for (const std::vector<std::string>& options : std::vector<std::vector<std::string>>{
             {"--listen-ms", "99"}, {"--listen-ms", "5x"}, {"--listen-ms", "60001"}, {"--listen-ms", ""}}) {
        std::vector<std::string> args = {"--midi-listen", "--port", listenPort(), "--ready-file", path("r"),
                                         "--output", path("c.json")};
        args.insert(args.end(), options.begin(), options.end());
        EXPECT_EQ(runBinary(kBinary, args), 2) << options[1];
    }
    EXPECT_EQ(runBinary(kBinary, {"--midi-listen", "--ready-file", path("r"), "--output", path("c.json")}), 2);
    EXPECT_FALSE(fileExists(path("r")));
    EXPECT_FALSE(fileExists(path("c.json")));
}

TEST_F(MidiCli, ListenAcceptsTheLongestCaptureTime) {
    RunningBinary running = startBinary(kBinary, {"--midi-listen", "--port", listenPort(), "--listen-ms", "60000",
                                                  "--ready-file", path("ready")});
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
    while (readWholeFile(path("ready")) != "ready" && std::chrono::steady_clock::now() < deadline)
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
    EXPECT_EQ(readWholeFile(path("ready")), "ready");
    waitForExit(running, 0);  // accepted and capturing: end it here
}

}  // namespace
