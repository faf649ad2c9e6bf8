// The MIDI command-line modes through the real lumibox binary, against a JACK server
// with the dummy driver and our peer standing in for a device.
#include <gtest/gtest.h>


#include <chrono>
#include <csignal>
#include <cstdio>
#include <filesystem>
#include <fstream>
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
const std::string kFullFileSystemTool = LUMIBOX_SOURCE_DIR "/tools/on-full-filesystem.sh";
// Ports with a quote, a backslash, a tab, a line break, an accent and a byte that is not UTF-8.
const std::string kOddName = "odd \"q\" \\ \t\n\xC3\xA9 \xFF";
const std::string kOddNameJson = "odd \\\"q\\\" \\\\ \\u0009\\u000a\xC3\xA9 \xEF\xBF\xBD";

std::vector<uint32_t> wordsOf(const std::vector<JackPeerEvent>& events) {
    std::vector<uint32_t> words;
    for (const JackPeerEvent& e : events) words.push_back(e.word);
    return words;
}

bool fileExists(const std::string& path) {
    std::error_code error;
    return std::filesystem::exists(path, error);
}

// Runs lumibox through the shell so that its own output and environment can be set.
int runWithShell(const std::string& script, const std::vector<std::string>& args) {
    std::vector<std::string> shellArgs = {"-c", script, kBinary};
    shellArgs.insert(shellArgs.end(), args.begin(), args.end());
    return runBinary("/bin/sh", shellArgs);
}

// Index of the named port in one list ("inputs" or "outputs") of a --midi-list file; -1 if absent.
int listedIndex(const std::string& json, const std::string& list, const std::string& name) {
    const size_t start = json.find("\"" + list + "\":[");
    const size_t entry = json.find(",\"name\":\"" + name + "\"}", start);
    if (start == std::string::npos || entry == std::string::npos) return -1;
    const size_t index = json.rfind("{\"index\":", entry);
    if (index == std::string::npos || index < start) return -1;
    return std::stoi(json.substr(index + 9));
}

template <typename Condition>
bool eventually(Condition condition, int timeoutMs = kArrivalTimeoutMs) {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    while (!condition()) {
        if (std::chrono::steady_clock::now() >= deadline) return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
    return true;
}

struct MidiCli : ::testing::Test {
    JackPeer peer;
    std::string dir;

    void SetUp() override {
        ASSERT_TRUE(openJackPeer(peer, "device", {"in", kOddName}, {"out"})) << "no JACK server: run through ctest";
        dir = makeTempDirectory();
        // A lumibox that an earlier test killed stays on the server until JACK notices; its
        // ports would sit before the device's and shift the indexes this test computes.
        ASSERT_TRUE(eventually([&] {
            for (const std::string& name : serverPortNames(peer, 0))
                if (name.rfind("lumibox", 0) == 0) return false;
            return true;
        })) << "a lumibox client stays on the server";
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
    // An empty ALSA configuration knows no sequencer, on any machine.
    { std::ofstream(path("empty-alsa.conf")); }
    const std::string noJack = "JACK_DEFAULT_SERVER=lumibox-nobody-$$ LUMIBOX_MIDI_API=jack";
    const std::string noAlsa = "ALSA_CONFIG_PATH=\"" + path("empty-alsa.conf") + "\" LUMIBOX_MIDI_API=alsa";
    struct Case {
        std::string environment;
        std::vector<std::string> args;
        int expected;
    };
    const Case cases[] = {
        {noJack, {"--midi-list", "--output", path("none.json")}, 0},
        {noAlsa, {"--midi-list", "--output", path("none.json")}, 0},
        {noAlsa, {"--midi-send", "--port", "0"}, 2},
        {noAlsa, {"--midi-listen", "--port", "0", "--output", path("none.json")}, 2},
    };
    for (const Case& c : cases) {
        const std::string script = c.environment + " exec \"$0\" \"$@\" >\"" + path("out.txt") + "\" 2>\"" +
                                   path("err.txt") + "\"";
        const std::string what = c.environment.substr(c.environment.size() - 4) + " " + c.args[0];
        ASSERT_EQ(runWithShell(script, c.args), c.expected) << what;
        EXPECT_EQ(readWholeFile(path("none.json")), "{\"inputs\":[],\"outputs\":[]}") << what;
        EXPECT_EQ(readWholeFile(path("out.txt")), "") << what;
        EXPECT_EQ(readWholeFile(path("err.txt")), "") << what;
    }
    EXPECT_EQ(runBinary(kBinary, {"--midi-list", "--output", path("missing-dir/ports.json")}), 6);
}

// The port list and the capture are written whole or not at all: a write that fails
// part-way ends with 6 and leaves the previous file and nothing else beside it.
TEST_F(MidiCli, OutputFilesAreWrittenWholeOrNotAtAll) {
    enum class Trouble { FileSizeLimit, FullFileSystem, ClosedPipe };
    struct Case {
        std::vector<std::string> args;  // the output option is added
        Trouble trouble;
    };
    const std::vector<Case> cases = {
        {{"--midi-list"}, Trouble::FileSizeLimit},
        {{"--midi-list"}, Trouble::FullFileSystem},
        {{"--midi-list"}, Trouble::ClosedPipe},
        {{"--midi-listen", "--port", listenPort(), "--listen-ms", "100"}, Trouble::FileSizeLimit},
        {{"--midi-listen", "--port", listenPort(), "--listen-ms", "100"}, Trouble::FullFileSystem},
        {{"--midi-listen", "--port", listenPort(), "--listen-ms", "100"}, Trouble::ClosedPipe},
    };
    const std::string previous = "{\"previous\":1}";
    for (const Case& c : cases) {
        const std::string folder = makeTempDirectory();
        const std::string output = folder + "/out.json";
        std::ofstream(output, std::ios::binary) << previous;
        ChildOptions child;
        if (c.trouble == Trouble::FileSizeLimit) child.fileSizeLimit = 10;  // even {"messages":[]} is 15 bytes
        if (c.trouble == Trouble::FullFileSystem) child.wrapper = {kFullFileSystemTool, folder};
        if (c.trouble == Trouble::ClosedPipe) child.standardOutput = pipeWithoutReader();
        std::vector<std::string> args = c.args;
        args.insert(args.end(), {"--output", c.trouble == Trouble::ClosedPipe ? "/dev/stdout" : output});
        RunningBinary running = startBinary(kBinary, args, child);
        closeDescriptor(child.standardOutput);
        EXPECT_EQ(waitForExit(running, 20000), 6) << c.args[0] << " " << static_cast<int>(c.trouble);
        EXPECT_EQ(readWholeFile(output), previous) << c.args[0] << " " << static_cast<int>(c.trouble);
        EXPECT_EQ(directoryEntries(folder), std::vector<std::string>{"out.json"}) << c.args[0];
    }
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

// Sends with options to jack_midi_dump on a JACK server of the test's own, stopped once the
// dump shows the first message; the exit code, -1 when that message never came.
int sendWhileTheServerStops(const std::string& dir, const std::vector<std::string>& options) {
    const std::string tool = LUMIBOX_SOURCE_DIR "/tools/jack-dummy.sh", server = "lumibox-" + dir.substr(dir.rfind('/') + 1);
    if (runBinary(tool, {"start", server, dir + "/jack.pid"}) != 0) return -1;
    ChildOptions onServer;
    onServer.outputPath = dir + "/dump.txt";
    onServer.wrapper = {"/usr/bin/env", "JACK_DEFAULT_SERVER=" + server};
    RunningBinary device = startBinary("/usr/bin/jack_midi_dump", {}, onServer);
    std::vector<std::string> args = {"--midi-send", "--port", "0"};  // the dump's port, once it is listed
    args.insert(args.end(), options.begin(), options.end());
    onServer.outputPath = "/dev/null";
    const bool listed = waitFor([&] { return runBinary(kBinary, {"--midi-list", "--output", dir + "/ports.json"}, onServer) == 0 &&
                                             readWholeFile(dir + "/ports.json").find("\"outputs\":[{") != std::string::npos; });
    RunningBinary send = startBinary(kBinary, args, onServer);
    const bool reached = listed && waitFor([&] { return readWholeFile(dir + "/dump.txt").find("note on") != std::string::npos; });
    runBinary(tool, {"stop", dir + "/jack.pid"});
    const int code = waitForExit(send, 20000);
    waitForExit(device, 5000);
    for (const auto& entry : std::filesystem::directory_iterator("/dev/shm"))  // what the server kept of its clients
        if (entry.path().filename().string().starts_with("jack_sem.0_" + server)) std::filesystem::remove(entry.path());
    return reached ? code : -1;
}

TEST_F(MidiCli, SendRefusalsAndWhetherThePortWasOpened) {
    struct Case {
        std::vector<std::string> options;
        int expected;
        bool opensPort;
        bool refusingService = false;  // JACK's queue reports no room: every message is refused
        bool serverStops = false;      // during the pulse, on a server of its own: the release never leaves
    };
    std::vector<Case> cases;
    for (const MidiSendRefusal& r : kMidiSendRefusals) cases.push_back({r.options, 2, r.opensPort});
    cases.push_back({{"--type", "CC", "--pulse", "30"}, 5, true, true});
    cases.push_back({{"--pulse", "5000"}, 5, false, false, true});
    for (const Case& c : cases) {
        const int before = peer.connections.load();
        std::vector<std::string> args = {"--midi-send", "--port", sendPort()};
        args.insert(args.end(), c.options.begin(), c.options.end());
        const int code = c.refusingService ? runWithShell("LD_PRELOAD=" LUMIBOX_REFUSE_SENDS " exec \"$0\" \"$@\"", args)
                         : c.serverStops   ? sendWhileTheServerStops(dir, c.options)
                                           : runBinary(kBinary, args);
        EXPECT_EQ(code, c.expected) << c.options[0] << " " << c.options[1];
        // JACK reports connections asynchronously: wait until every earlier one is counted.
        ASSERT_TRUE(awaitEarlierConnectionNotices(peer, kArrivalTimeoutMs));
        EXPECT_EQ(peer.connections.load() > before, c.opensPort) << c.options[0] << " " << c.options[1];
    }
    EXPECT_EQ(runBinary(kBinary, {"--midi-send"}), 2);  // no --port
    EXPECT_EQ(runBinary(kBinary, {"--midi-send", "--port", "100000"}), 2);
    EXPECT_EQ(runBinary(kBinary, {"--midi-unknown", "--port", sendPort()}), 2);
    EXPECT_TRUE(peerEvents(peer).empty());
}

TEST_F(MidiCli, SendReachesTheListedPortWhenASlotBeforeItWasFreed) {
    // JACK gives a new port the lowest free slot: a client that leaves frees one before the
    // device's ports, which the sender's own port may then take.
    JackPeer early, late;
    ASSERT_TRUE(openJackPeer(early, "early", {"in"}, {}));
    ASSERT_TRUE(openJackPeer(late, "late", {"in"}, {"out"}));
    closeJackPeer(early);
    ASSERT_EQ(runBinary(kBinary, {"--midi-list", "--output", path("ports.json")}), 0);
    const std::string json = readWholeFile(path("ports.json"));
    const int index = listedIndex(json, "outputs", peerInputName(late, 0));
    ASSERT_GE(index, 0) << json;
    EXPECT_EQ(listedIndex(json, "outputs", peerInputName(peer, 0)), 0) << json;
    EXPECT_EQ(runBinary(kBinary, {"--midi-send", "--port", std::to_string(index), "--pulse", "0"}), 0);
    EXPECT_TRUE(waitForPeerEvents(late, 1, kArrivalTimeoutMs));
    EXPECT_EQ(wordsOf(peerEvents(late)), std::vector<uint32_t>{midiWord(0x90, 60, 127)});
    closeJackPeer(late);
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

TEST_F(MidiCli, ListenFailuresAndWhatTheyWrite) {
    struct Case {
        std::vector<std::string> options;
        int expected;
        bool portTableFull = false;  // the server can make no port for the listener
    };
    const std::vector<Case> cases = {
        {{"--listen-ms", "99"}, 2},
        {{"--listen-ms", "5x"}, 2},
        {{"--listen-ms", "60001"}, 2},
        {{"--listen-ms", ""}, 2},
        {{"--listen-ms", "100"}, 4, true},
        {{"--listen-ms", "100", "--output", path("missing-dir/c.json")}, 6},
    };
    for (const Case& c : cases) {
        std::remove(path("r").c_str());
        JackPeer filler;
        if (c.portTableFull) {
            ASSERT_GT(fillPortTable(filler, "filler"), 0u);
        }
        std::vector<std::string> args = {"--midi-listen", "--port", listenPort()};
        args.insert(args.end(), c.options.begin(), c.options.end());  // first occurrence wins
        args.insert(args.end(), {"--ready-file", path("r"), "--output", path("c.json")});
        EXPECT_EQ(runBinary(kBinary, args), c.expected) << c.options[1];
        closeJackPeer(filler);
        // Only a capture that began writes the ready file.
        EXPECT_EQ(fileExists(path("r")), c.expected == 6) << c.options[1];
        EXPECT_FALSE(fileExists(path("c.json"))) << c.options[1];
    }
    EXPECT_EQ(runBinary(kBinary, {"--midi-listen", "--ready-file", path("r"), "--output", path("c.json")}), 2);
    EXPECT_FALSE(fileExists(path("c.json")));
}

// Interrupted, a send still releases its note or controller and a capture removes its
// ready file; then the process ends by the signal.
TEST_F(MidiCli, InterruptionsReleaseWhatIsHeldAndEndByTheSignal) {
    struct Case {
        std::vector<std::string> args;
        int signal;
        std::vector<uint32_t> received;  // empty: a capture, signalled once ready
    };
    const std::vector<Case> cases = {
        {{"--midi-send", "--port", sendPort(), "--channel", "10", "--pulse", "60000"}, SIGINT,
         {midiWord(0x99, 60, 127), midiWord(0x89, 60, 0)}},
        {{"--midi-send", "--port", sendPort(), "--type", "CC", "--number", "7", "--value", "100", "--pulse", "60000"},
         SIGTERM, {midiWord(0xB0, 7, 100), midiWord(0xB0, 7, 0)}},
        {{"--midi-listen", "--port", listenPort(), "--listen-ms", "60000", "--ready-file", path("ready"), "--output",
          path("c.json")},
         SIGINT, {}},
    };
    std::size_t seen = 0;
    for (const Case& c : cases) {
        RunningBinary running = startBinary(kBinary, c.args);
        const bool started = c.received.empty() ? eventually([&] { return readWholeFile(path("ready")) == "ready"; })
                                                : waitForPeerEvents(peer, seen + 1, kArrivalTimeoutMs);
        EXPECT_TRUE(started) << c.args[0];
        signalBinary(running, c.signal);
        EXPECT_EQ(waitForExit(running, 10000), 128 + c.signal) << c.args[0];
        if (c.received.empty()) {
            EXPECT_FALSE(fileExists(path("ready")));
            EXPECT_FALSE(fileExists(path("c.json")));
            continue;
        }
        ASSERT_TRUE(waitForPeerEvents(peer, seen + c.received.size(), kArrivalTimeoutMs)) << c.args[0];
        const std::vector<uint32_t> words = wordsOf(peerEvents(peer));
        EXPECT_EQ(std::vector<uint32_t>(words.begin() + static_cast<long>(seen), words.end()), c.received);
        seen = words.size();
    }
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
