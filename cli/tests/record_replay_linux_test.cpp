// --record and --replay through the real binary. A second namespace joined by a veth pair
// (10.78.0.1 here, 10.78.0.2 there) carries the traffic across an interface; tshark
// captures the wire and dissects the files, and npm sacn is a source we did not write.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <csignal>
#include <cstdlib>
#include <fstream>
#include <optional>
#include <nlohmann/json.hpp>

#include "cli/tests/peer_namespace_linux.h"
#include "cli/tests/program_under_test.h"
#include "cli/tests/tshark_capture.h"
#include "core/packet_codec.h"
#include "core/pcapng_blocks.h"
#include "core/captured_frame.h"
#include "net/capture/replay_run.h"
#include "net/socket/tests/socket_helpers.h"

namespace {

const std::string kBinary = LUMIBOX_BINARY;
const std::string kSource = LUMIBOX_SOURCE_DIR;
using Rows = std::vector<std::vector<std::string>>;

int sendFromPeer(const PeerNamespace& peer, const char* protocol, const char* universe, const char* target) {
    return peer.run({kBinary, "--send", "--protocol", protocol, "--universe", universe, "--local", "10.78.0.2",
                     "--target", target, "--pulse", "100"});
}

std::vector<std::string> column(const Rows& rows, std::size_t index) {
    std::vector<std::string> values;
    for (const auto& row : rows) values.push_back(row.size() > index ? row[index] : "");
    return values;
}

std::string hexOf(const uint8_t* bytes, std::size_t length) {
    std::string text;
    for (std::size_t i = 0; i < length; ++i) text += {"0123456789abcdef"[bytes[i] >> 4], "0123456789abcdef"[bytes[i] & 15]};
    return text;
}

// A receiver on 127.0.0.1 for what --replay --target 127.0.0.1 sends to one port.
struct LoopbackReceiver {
    SocketHandle handle = openUdpSocket();
    explicit LoopbackReceiver(uint16_t port) {
        EXPECT_TRUE(bindSocket(handle, Ipv4Address{{127, 0, 0, 1}}, port));
        setNonBlocking(handle, true);
    }
    ~LoopbackReceiver() { closeSocket(handle); }
    std::vector<std::string>& drainInto(std::vector<std::string>& payloads) const {
        uint8_t buffer[2048];
        for (long n; (n = receiveDatagram(handle, buffer, sizeof buffer)) >= 0;)
            payloads.push_back(hexOf(buffer, static_cast<std::size_t>(n)));
        return payloads;
    }
};

void put32le(std::vector<uint8_t>& bytes, std::size_t at, uint32_t value) {
    for (int i = 0; i < 4; ++i) bytes[at + static_cast<std::size_t>(i)] = static_cast<uint8_t>(value >> (8 * i));
}

std::vector<uint8_t> sacnToLoopback() {
    const DmxPacket packet = buildDmxPacket(DmxUniverseState());
    std::vector<uint8_t> datagram;
    appendIpv4UdpPacket(datagram, {{127, 0, 0, 2}, {127, 0, 0, 1}, 5568, 5568, {packet.begin(), packet.size()}});
    return datagram;
}

constexpr uint64_t kFirstStampUs = 1700000000000000;

// Section header and interface; then two packets one second apart, whose blocks start at
// the returned offsets.
std::vector<uint8_t> validPcapng(std::size_t& first, std::size_t& second) {
    std::vector<uint8_t> file;
    appendSectionHeaderBlock(file, "test");
    appendInterfaceDescriptionBlock(file, kLinkTypeRawIp, 65535);
    first = file.size();
    appendEnhancedPacketBlock(file, kFirstStampUs, sacnToLoopback());
    second = file.size();
    appendEnhancedPacketBlock(file, kFirstStampUs + 1000000, sacnToLoopback());
    return file;
}

void putStamp(std::vector<uint8_t>& file, std::size_t block, uint64_t us) {
    put32le(file, block + 12, static_cast<uint32_t>(us >> 32));
    put32le(file, block + 16, static_cast<uint32_t>(us));
}

// Classic pcap, microseconds, raw IP, one packet.
std::vector<uint8_t> validPcap() {
    std::vector<uint8_t> file(24 + 16);
    const std::vector<uint8_t> packet = sacnToLoopback();
    for (auto [at, value] : {std::pair{0, 0xA1B2C3D4u}, {4, 0x00040002u}, {16, 65535u}, {20, 101u}, {24, 1700000000u},
                             {32, static_cast<uint32_t>(packet.size())}, {36, static_cast<uint32_t>(packet.size())}})
        put32le(file, static_cast<std::size_t>(at), value);
    file.insert(file.end(), packet.begin(), packet.end());
    return file;
}

struct RecordReplay : ::testing::Test {
    PeerNamespace peer;
    std::string dir = makeTempDirectory();
    void SetUp() override {
        if (!peer.ready) GTEST_SKIP() << "no second namespace with a veth pair here";
    }
};

}  // namespace

TEST_F(RecordReplay, RoundTripKeepsEveryDatagramAndReplaysThePayloadsInOrder) {
    const std::string file = dir + "/show.pcapng";
    RunningBinary record = startProgram(kBinary, {"--record", "--local", "10.78.0.1", "--universes", "1", "--output", programPath(file)});
    const EndsWithTheTest guard{record};
    ASSERT_TRUE(waitFor([] { return hostIsMemberOf("239.255.0.1"); }));
    TsharkCapture wire = startTsharkCapture("rra", 42);
    ASSERT_EQ(peer.run({"/usr/bin/env", "NODE_PATH=" + kSource + "/build-npm/node_modules", "/usr/bin/node",
                        kSource + "/tools/sacn-send.js", "1", "30", "10.78.0.2"}), 0);
    ASSERT_EQ(sendFromPeer(peer, "sACN", "2", "10.78.0.1"), 0);  // 6 packets each
    ASSERT_EQ(sendFromPeer(peer, "Art-Net", "3", "10.78.0.1"), 0);
    ASSERT_TRUE(finishTsharkCapture(wire));
    stopProgram(record, SIGTERM);
    ASSERT_EQ(waitForExit(record, 10000), 0);

    // Wireshark finds in the file what it saw on the wire, addresses and ports included.
    const std::string fields =
        "-e ip.src -e ip.dst -e udp.srcport -e udp.dstport -e acn.dmx.universe -e artnet.output.universe -e udp.payload";
    const Rows recorded = dissectFields({.process = {}, .pcap = file, .log = {}}, fields + " -o ip.check_checksum:TRUE -e ip.checksum.status");
    const Rows onTheWire = dissectFields(wire, fields);
    ASSERT_EQ(recorded.size(), 42u);
    for (std::size_t i = 0; i < recorded.size(); ++i) {
        EXPECT_EQ(std::vector<std::string>(recorded[i].begin(), recorded[i].end() - 1), onTheWire[i]) << i;
        EXPECT_EQ(recorded[i].back(), "1") << "a correct IPv4 header checksum, row " << i;
    }
    EXPECT_EQ(std::ranges::count(column(recorded, 4), "1"), 30) << "every datagram of npm sacn";

    // Sent back from the peer: the same payloads reach this side, in the same order.
    TsharkCapture replayed = startTsharkCapture("rra", 42);
    EXPECT_EQ(peer.run({kBinary, "--replay", file, "--local", "10.78.0.2", "--speed", "4"}), 0);
    ASSERT_TRUE(finishTsharkCapture(replayed));
    EXPECT_EQ(column(dissectFields(replayed, "-e udp.payload"), 0), column(recorded, 6));

    // Sent from this side to the peer, where the Linux --scan counts every datagram.
    const std::string lines = dir + "/scan.jsonl";
    RunningBinary scan = startBinary("/usr/bin/nsenter", {peer.enter, kBinary, "--scan", "--local", "10.78.0.2", "--follow",
                                                          "--listen-ms", "0", "--interval-ms", "200", "--output", lines});
    const EndsWithTheTest scanGuard{scan};
    ASSERT_TRUE(waitFor([&] { return !readWholeFile(lines).empty(); }, 20000));
    EXPECT_EQ(runProgram(kBinary, {"--replay", programPath(file), "--local", "10.78.0.1", "--target", "10.78.0.2", "--speed", "4"}), 0);
    const auto heard = [&] {
        const std::string text = readWholeFile(lines);
        const std::size_t last = text.rfind('\n', text.size() - 2);
        const auto line = nlohmann::json::parse(text.substr(last == std::string::npos ? 0 : last + 1), nullptr, false);
        return line.is_object() ? line.value("datagrams", -1) : -1;  // -1 also for a line still being written
    };
    EXPECT_TRUE(waitFor([&] { return heard() == 42; }, 10000)) << heard();
    signalBinary(scan, SIGTERM);
    EXPECT_EQ(waitForExit(scan, 10000), 0);
}

TEST_F(RecordReplay, ReplaysATsharkCaptureSkippingWhatIsNotDmxAndLoopsUntilStopped) {
    TsharkCapture wire = startTsharkCapture("rra", 8);  // tshark writes pcapng over Ethernet
    ASSERT_EQ(sendFromPeer(peer, "Art-Net", "5", "10.78.0.1"), 0);
    const std::string others =  // not sACN to 5568; from 6454 to another port
        "const s = require('dgram').createSocket('udp4'); s.bind(6454, '10.78.0.2', () => "
        "s.send('not sACN', 5568, '10.78.0.1', () => s.send('ArtPoll?', 7000, '10.78.0.1', () => s.close())));";
    ASSERT_EQ(peer.run({"/usr/bin/node", "-e", others}), 0);
    ASSERT_TRUE(finishTsharkCapture(wire));
    EXPECT_EQ(readWholeFile(wire.pcap).substr(0, 4), std::string("\x0A\x0D\x0D\x0A", 4));
    std::vector<std::string> artNet;
    for (const auto& row : dissectFields(wire, "-e udp.dstport -e udp.payload"))
        if (row[0] == "6454") artNet.push_back(row[1]);
    ASSERT_EQ(artNet.size(), 6u);

    LoopbackReceiver receiver(kArtNetPort);
    const BinaryRun once = runProgramCapturing(kBinary, {"--replay", programPath(wire.pcap), "--target", "127.0.0.1", "--speed", "10"});
    ASSERT_EQ(once.exitCode, 0) << once.standardError;
    const nlohmann::json summary = nlohmann::json::parse(once.standardOutput);
    for (const auto& [key, count] : {std::pair{"/records", 8}, {"/sent", 6}, {"/skipped/notDmx", 1}, {"/skipped/otherPorts", 1}})
        EXPECT_EQ(summary[nlohmann::json::json_pointer(key)], count) << key;
    std::vector<std::string> received;
    EXPECT_EQ(receiver.drainInto(received), artNet);

    // --loop starts over until SIGTERM, which ends it in order.
    ChildOptions options;
    options.outputPath = dir + "/loop.json";
    RunningBinary loop = startProgram(kBinary, {"--replay", programPath(wire.pcap), "--target", "127.0.0.1", "--speed", "10", "--loop"}, options);
    const EndsWithTheTest guard{loop};
    received.clear();
    ASSERT_TRUE(waitFor([&] { return receiver.drainInto(received).size() >= 3 * artNet.size(); }));
    stopProgram(loop, SIGTERM);
    ASSERT_EQ(waitForExit(loop, 5000), 0);
    for (std::size_t i = 0; i < received.size(); ++i) EXPECT_EQ(received[i], artNet[i % artNet.size()]) << i;
    EXPECT_GE(nlohmann::json::parse(readWholeFile(options.outputPath))["loops"], 3);
}

// Whatever is wrong with a file, --replay ends with 2 before it sends anything.
TEST(ReplayFile, BadFilesEndWithExitTwoAndNothingSent) {
    std::size_t epb = 0, second = 0;  // the packet blocks
    validPcapng(epb, second);
    constexpr uint64_t kDayUs = 86400000000;
    struct Case {
        const char* name;
        std::function<void(std::vector<uint8_t>&)> change;
        bool pcapng = true;
        int exit = 2;
        std::size_t received = 0;
        uint64_t lastDueUs = 0;  // when the replay schedules the last record, at speed 1
    } cases[] = {
        {"valid pcapng", [](auto&) {}, true, 0, 2, 1000000},
        {"valid pcap", [](auto&) {}, false, 0, 1},
        {"half a second back: at once", [&](auto& f) { putStamp(f, second, kFirstStampUs - 500000); }, true, 0, 2, 0},
        {"microsecond stamps 25 ms apart", [&](auto& f) { putStamp(f, second, kFirstStampUs + 25000); }, true, 0, 2, 25000},
        {"empty", [](auto& f) { f.clear(); }},
        {"no capture file", [](auto& f) { f.assign(100, 'x'); }},
        {"cut inside a packet block", [](auto& f) { f.resize(f.size() - 10); }},
        {"trailing length differs", [](auto& f) { f.back() ^= 0x04; }},
        {"section header's trailing length differs", [](auto& f) { f[f[4] - 4u] ^= 0x04; }},
        {"block longer than the file", [&](auto& f) { put32le(f, epb + 4, 0x7FFFFFF0); }},
        {"block length not a multiple of 4", [&](auto& f) { put32le(f, epb + 4, 0x2A1); }},
        {"captured length beyond its block", [&](auto& f) { put32le(f, epb + 20, 5000); }},
        {"captured longer than on the wire", [&](auto& f) { put32le(f, epb + 24, 20); }},
        {"time stamp beyond the year 2200", [&](auto& f) { putStamp(f, epb, 7258118400000000); }},
        {"an hour back", [&](auto& f) { putStamp(f, second, kFirstStampUs - kDayUs / 24); }},
        {"two days ahead", [&](auto& f) { putStamp(f, second, kFirstStampUs + 2 * kDayUs); }},
        {"huge snap length", [](auto& f) { put32le(f, 16, 0x7FFFFFFF); }, false},
        {"pcap record cut short", [](auto& f) { f.resize(f.size() - 1); }, false},
        {"pcap record longer than on the wire", [](auto& f) { put32le(f, 36, 100); }, false},
    };
    const std::string dir = makeTempDirectory();
    LoopbackReceiver receiver(kSacnPort);
    for (const Case& c : cases) {
        std::vector<uint8_t> bytes = c.pcapng ? validPcapng(epb, second) : validPcap();
        c.change(bytes);
        const std::string path = dir + "/file";
        std::ofstream(path, std::ios::binary | std::ios::trunc).write(reinterpret_cast<const char*>(bytes.data()),
                                                                      static_cast<std::streamsize>(bytes.size()));
        const BinaryRun run = runProgramCapturing(kBinary, {"--replay", programPath(path), "--target", "127.0.0.1", "--speed", "100"});
        std::vector<std::string> received;
        EXPECT_EQ(run.exitCode, c.exit) << c.name << ": " << run.standardError;
        EXPECT_EQ(receiver.drainInto(received).size(), c.received) << c.name;
        EXPECT_EQ(run.standardError.empty(), c.exit == 0) << c.name << ": says why";
        if (c.exit != 0) continue;
        ReplayPlan plan;
        std::string problem;
        int64_t lastNs = 0;
        ASSERT_EQ(checkReplayFile(path, plan, problem), CaptureReadResult::Complete) << c.name;
        readCaptureFile(path, [&](const CaptureRecordView& r) { lastNs = recordStampNs(r); return true; }, problem);
        EXPECT_EQ(replayDeadlineUs(plan, 1000, 0, 0, lastNs), c.lastDueUs) << c.name;
    }
    for (const std::string& path : {dir, dir + "/missing"})
        EXPECT_EQ(runProgram(kBinary, {"--replay", programPath(path), "--target", "127.0.0.1"}), 2) << path;
}

// What --record leaves is a whole file whatever ends it: nothing heard, the time up, a
// file size limit that cuts a write (the blocks that did not fit whole are taken back), or
// the reader of a stream it writes going away. A failed write ends it at once; a stream's
// reader sees each datagram while the recording goes on, and every datagram stays whole.
TEST(RecordFile, EndsAfterItsLastWholeBlock) {
    struct Case {
        const char* name; int datagrams; long fileSizeLimit; int exit; std::size_t packetsInFile;
        std::size_t payload = 0;  // 0: a DMX packet
        const char* listenMs = "1500";
        const char* output = "";  // empty: a file; else this path, with standard output a pipe to reader
        const char* reader = "";
        bool stopOnceSeen = false;
    } cases[] = {
        {"nothing heard", 0, -1, 7, 0},
        {"five datagrams", 5, -1, 0, 5},
        {"a write cut by the size limit", 5, 2000, 6, 0},
        {"a write cut with no time limit", 5, 2000, 6, 0, 0, "0"},
        {"the largest UDP datagram", 1, -1, 0, 1, 65507},
        {"standard output into tshark -i -", 5, -1, 0, 5, 0, "0", "-", "tshark -i - -l -T fields -e udp.length", true},
        {"/dev/stdout into a reader that leaves", 5, -1, 6, 0, 0, "0", "/dev/stdout", "head -c 100 >/dev/null"},
    };
    const std::string dir = makeTempDirectory();
    for (const Case& c : cases) {
        if (drivesWindowsProgram() && std::string_view(c.output).starts_with("/dev/")) continue;  // no such name there
        std::vector<uint8_t> packet = packetBytes(buildDmxPacket(DmxUniverseState()));
        if (c.payload > 0) packet.resize(c.payload);
        const std::string file = dir + "/" + std::to_string(&c - cases) + ".pcapng", seen = file + ".seen";
        ChildOptions options;
        options.fileSizeLimit = c.fileSizeLimit;
        std::optional<RunningBinary> reader;
        std::optional<EndsWithTheTest> readerGuard;
        if (*c.reader) {
            ASSERT_EQ(mkfifo((options.outputPath = file + ".pipe").c_str(), 0600), 0);
            readerGuard.emplace(reader.emplace(startBinary("/bin/sh", {"-c", "<" + options.outputPath + " >" + seen + " " + c.reader})));
        }
        RunningBinary record = startProgram(kBinary, {"--record", "--local", "127.0.0.1", "--listen-ms", c.listenMs, "--output", *c.output ? c.output : programPath(file)}, options);
        const EndsWithTheTest guard{record};
        const Peer source;
        ASSERT_TRUE(waitFor([] { return readWholeFile("/proc/net/udp").find("0100007F:15C0") != std::string::npos; }));
        for (int i = 0; i < c.datagrams; ++i) source.send(packet, "127.0.0.1", kSacnPort);
        if (c.stopOnceSeen) {
            EXPECT_TRUE(waitFor([&] { return std::ranges::count(readWholeFile(seen), '\n') == c.datagrams; }, 30000)) << c.name;
            stopProgram(record, SIGTERM);
        }
        EXPECT_EQ(waitForExit(record, 10000), c.exit) << c.name;
        const BinaryRun read = reader ? BinaryRun{waitForExit(*reader, 20000), readWholeFile(seen), ""}
                                      : runBinaryCapturing("/usr/bin/tshark", {"-r", file, "-T", "fields", "-e", "udp.length"});
        EXPECT_EQ(read.exitCode, 0) << c.name << ": " << read.standardError;
        std::string everyLength;  // tshark's udp.length of each datagram kept whole
        for (std::size_t i = 0; i < c.packetsInFile; ++i) everyLength += std::to_string(packet.size() + 8) + "\n";
        EXPECT_EQ(read.standardOutput, everyLength) << c.name;
        if (c.packetsInFile == 0 && !*c.reader) {  // nothing to send: --loop ends after one pass
            EXPECT_EQ(runProgram(kBinary, {"--replay", programPath(file), "--loop", "--target", "127.0.0.1"}, 10000), 0) << c.name;
        }
    }
}
