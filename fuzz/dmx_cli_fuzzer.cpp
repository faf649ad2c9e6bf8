// The DMX command-line modes end to end over the scripted network and clock: any
// argument vector, failing sockets, short sends, and datagrams arriving late or not at
// all. Exit code, every datagram sent and the capture file are checked against a model
// of the modes; every socket opened must be closed again.
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <fstream>
#include <optional>
#include <sstream>

#include "cli/dmx_cli.h"
#include "core/packet_codec.h"
#include "fake_network.h"
#include "fuzz_packets.h"
#include "fuzz_target.h"
#include "reference_rules.h"

namespace {

const char* const kWords[] = {"--self-test", "--send", "--listen", "--protocol", "sACN", "Art-Net", "--universe", "100",
                              "0", "63999", "64000", "32767", "32768", "--local", "127.0.0.3", "127.0.0.1", "1.2.3",
                              "--target", "239.255.0.100", "--channel", "1", "512", "513", "--value", "255", "-1", "256",
                              "--pulse", "30", "29", "60000", "60001", "200", "34", "--output", "12abc", " 7", "x", ""};
constexpr std::size_t kWordCount = sizeof kWords / sizeof kWords[0];
// Captures go to a private folder, whatever the arguments say: "--output <that file>"
// always comes first after the mode word, so it is the option's value.
const std::string& capturePath() {
    static const std::string path = [] {
        char pattern[] = "/tmp/lumibox-fuzz-XXXXXX";
        FUZZ_CHECK(mkdtemp(pattern) != nullptr);
        static std::string folder = pattern;
        std::atexit([] {
            unlink((folder + "/capture.json").c_str());
            rmdir(folder.c_str());
        });
        return folder + "/capture.json";
    }();
    return path;
}

std::string readFile(const std::string& name) {
    std::ifstream file(name, std::ios::binary);
    std::stringstream bytes;
    bytes << file.rdbuf();
    return bytes.str();
}

bool fileExists(const std::string& name) {
    struct stat info {};
    return stat(name.c_str(), &info) == 0;
}

std::string expectedCapture(int32_t universe, const std::string& packet, const DmxPacketInfo& info) {
    std::string json = "{\"universe\":" + std::to_string(universe) + ",\"sequence\":" + std::to_string(info.sequence) + ",\"levels\":[";
    for (int slot = 0; slot < kDmxSlotCount; ++slot) {
        const int level = slot < info.slotCount ? static_cast<uint8_t>(packet[static_cast<std::size_t>(info.dataOffset + slot)]) : 0;
        json += (slot ? "," : "") + std::to_string(level);
    }
    return json + "]}";
}

// --send: every datagram and the exit code.
int checkSender(const ArgumentVector& args, DmxProtocol protocol, int32_t universe, const std::deque<long>& sendScript) {
    Ipv4Address target;
    if (!parseIpv4(referenceOption(args, "--target", "127.0.0.1"), target)) return 2;
    const auto channel = referenceDecimal(referenceOption(args, "--channel", "1"));
    const auto value = referenceDecimal(referenceOption(args, "--value", "255"));
    const auto pulse = referenceDecimal(referenceOption(args, "--pulse", "200"));
    if (!channel || !value || !pulse) return 2;
    if (*channel < 1 || *channel > 512 || *pulse < 30 || *pulse > 60000 || *value < 0 || *value > 255) return 2;

    const std::vector<FakeSentDatagram>& sent = fakeNetwork().sent;
    const std::size_t atLevel = static_cast<std::size_t>((*pulse + 32) / 33);
    FUZZ_CHECK(sent.size() == atLevel + 2);
    bool allWhole = true;
    for (std::size_t i = 0; i < sent.size(); ++i) {
        const FakeSentDatagram& d = sent[i];
        FUZZ_CHECK(d.to == target && d.port == (protocol == DmxProtocol::Sacn ? kSacnPort : kArtNetPort));
        DmxPacketInfo info;
        FUZZ_CHECK(parseDmxPacket(reinterpret_cast<const uint8_t*>(d.bytes.data()), d.bytes.size(), protocol, info));
        FUZZ_CHECK(info.universe == universe && info.slotCount == kDmxSlotCount);
        const int sequence = static_cast<int>((i + 1) % 256);
        FUZZ_CHECK(info.sequence == (protocol == DmxProtocol::ArtNet && sequence == 0 ? 1 : sequence));
        const bool inPulse = i >= 1 && i <= atLevel;
        for (int slot = 1; slot <= kDmxSlotCount; ++slot) {
            const int level = static_cast<uint8_t>(d.bytes[static_cast<std::size_t>(info.dataOffset + slot - 1)]);
            FUZZ_CHECK(level == (inPulse && slot == *channel ? *value : 0));
        }
        const long scripted = i < sendScript.size() ? sendScript[i] : -2;
        allWhole = allWhole && scripted == -2;
    }
    return allWhole ? 0 : 5;
}

// --listen: the first acceptable datagram within 5000 ms of fake time, or 7.
int checkListener(DmxProtocol protocol, int32_t universe, std::deque<FakeDatagram> incoming,
                  uint64_t start) {
    uint64_t now = start;
    while (now < start + 5000) {
        if (incoming.empty()) {
            now += 100;
            continue;
        }
        FakeDatagram& next = incoming.front();
        if (next.delayMs > 100) {
            now += 100;
            next.delayMs -= 100;
            continue;
        }
        now += next.delayMs;
        FakeDatagram d = std::move(next);
        incoming.pop_front();
        if (d.error || d.bytes.empty()) continue;
        if (d.bytes.size() > 1500) d.bytes.resize(1500);
        DmxPacketInfo info;
        if (!parseDmxPacket(reinterpret_cast<const uint8_t*>(d.bytes.data()), d.bytes.size(), protocol, info) ||
            info.universe != universe)
            continue;
        FUZZ_CHECK(readFile(capturePath()) == expectedCapture(universe, d.bytes, info));
        return 0;
    }
    FUZZ_CHECK(!fileExists(capturePath()));
    return 7;
}

ArgumentVector argumentsFrom(FuzzReader& in) {
    ArgumentVector args = {"lumibox"};
    const std::size_t count = 1 + in.below(12);
    for (std::size_t i = 0; i < count; ++i) {
        const uint8_t choice = in.byte();
        args.push_back(choice < 240 ? kWords[choice % kWordCount] : in.text());
    }
    args.insert(args.begin() + 2, {"--output", capturePath()});
    return args;
}

FakeDatagram incomingFrom(FuzzReader& in) {
    FakeDatagram d;
    const uint8_t kind = in.byte();
    d.delayMs = (kind & 0x80) ? in.below(8) * 50u : 0;
    if ((kind & 3) == 0) {
        d.bytes = in.text();
    } else if ((kind & 3) == 1) {
        d.error = true;
    } else {
        DmxUniverseState sender;
        sender.protocol = in.flag() ? DmxProtocol::ArtNet : DmxProtocol::Sacn;
        static constexpr int32_t kUniverses[] = {100, 1, 63999, 0, 32767, 101};
        sender.universe = kUniverses[in.below(6)];
        sender.sequence = in.byte();
        const uint8_t level = in.byte();
        for (std::size_t i = 0; i < sender.levels.size(); ++i) sender.levels[i] = static_cast<uint8_t>(level * i);
        d.bytes = builtPacket(sender, (kind & 4) ? static_cast<int>(in.below(513)) : kDmxSlotCount);
    }
    return d;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size) {
    resetFakeNetwork();
    unlink(capturePath().c_str());
    FuzzReader in(data, size);
    const ArgumentVector args = argumentsFrom(in);
    FakeNetwork& network = fakeNetwork();
    const uint8_t faults = in.byte();
    network.failOpen = (faults & 0x0F) == 1;
    network.failBind = (faults & 0x0F) == 2;
    for (std::size_t i = 0, n = in.below(4); i < n; ++i) {
        const uint8_t result = in.byte();
        network.sendResults.push_back(result < 128 ? -2 : result < 192 ? -1 : result - 192);
    }
    for (std::size_t i = 0, n = in.below(12); i < n && !in.empty(); ++i) network.incomingForNextSocket.push_back(incomingFrom(in));
    const std::deque<long> sendScript = network.sendResults;
    const std::deque<FakeDatagram> incoming = network.incomingForNextSocket;
    const uint64_t start = network.now;

    DmxUniverseState state;
    const int code = runDmxCommandLine(args, state);
    FUZZ_CHECK(network.sockets.empty());

    int expected = 2;
    const DmxProtocol protocol = referenceOption(args, "--protocol", "sACN") == "sACN" ? DmxProtocol::Sacn : DmxProtocol::ArtNet;
    const auto universe = referenceDecimal(referenceOption(args, "--universe", "100"));
    const bool universeValid = universe && *universe >= (protocol == DmxProtocol::Sacn ? 1 : 0) &&
                               *universe <= (protocol == DmxProtocol::Sacn ? 63999 : 32767);
    Ipv4Address local;
    if (!universeValid) {
        expected = 2;
    } else if (args[1] == "--self-test") {
        expected = *universe == 0 || *universe > 32767 ? 10 : 0;
        FUZZ_CHECK(network.nextHandle == 100);  // no socket for the self-test
    } else if (network.failOpen) {
        expected = 3;
    } else if (!parseIpv4(referenceOption(args, "--local", "127.0.0.3"), local) || network.failBind) {
        expected = 4;
    } else if (args[1] == "--send") {
        expected = checkSender(args, protocol, *universe, sendScript);
    } else if (args[1] == "--listen") {
        expected = checkListener(protocol, *universe, incoming, start);
    }
    if (args[1] != "--send" || expected == 2) FUZZ_CHECK(network.sent.empty());
    if (args[1] != "--listen" || expected != 0) FUZZ_CHECK(!fileExists(capturePath()));
    FUZZ_CHECK(code == expected);
    return 0;
}

std::vector<std::string> fuzzSeeds() {
    const auto word = [](const char* text) {
        for (std::size_t i = 0; i < kWordCount; ++i) {
            if (std::string(kWords[i]) == text) return static_cast<uint8_t>(i);
        }
        return uint8_t{0};
    };
    std::vector<std::string> seeds;
    const std::vector<std::vector<const char*>> commands = {
        {"--self-test"},
        {"--self-test", "--protocol", "Art-Net", "--universe", "0"},
        {"--send", "--pulse", "30", "--channel", "512", "--value", "1"},
        {"--send", "--protocol", "Art-Net", "--target", "239.255.0.100"},
        {"--listen", "--output", "x"},
        {"--listen", "--protocol", "Art-Net", "--universe", "32767", "--local", "127.0.0.1"},
    };
    for (const auto& command : commands) {
        FuzzWriter seed;
        seed.byte(static_cast<uint8_t>(command.size() - 1));
        for (const char* text : command) seed.byte(word(text));
        seed.byte(0).byte(1).byte(200);  // no fault; one short send
        // Incoming: a late datagram of another universe, then a short packet, then a full one.
        seed.byte(3).byte(0x82).byte(3).byte(0).byte(5).byte(1).byte(6).byte(1).byte(0).byte(7).byte(9).byte(24);
        seed.byte(2).byte(0).byte(0).byte(42).byte(3);
        seeds.push_back(seed.str());
    }
    return seeds;
}
