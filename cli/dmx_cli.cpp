#include "dmx_cli.h"

#include <fstream>
#include <optional>
#include <string>

#include "../core/clock.h"
#include "../core/exit_codes.h"
#include "../core/output_file.h"
#include "../core/packet_codec.h"
#include "../net/send_universe.h"
#include "../net/socket_layer.h"

namespace {

constexpr uint32_t kSettleBeforePulseMs = 40;
constexpr uint32_t kFramePeriodMs = 33;
constexpr uint64_t kListenWindowMs = 5000;
constexpr int kReceiveTimeoutMs = 100;
constexpr std::size_t kReceiveBufferSize = 1500;

bool selfTestProtocol(DmxUniverseState& state, DmxProtocol protocol) {
    state.protocol = protocol;
    const DmxPacket packet = buildDmxPacket(state);
    DmxPacketInfo info;
    if (!parseDmxPacket(packet.data(), packet.size(), protocol, info)) return false;
    if (info.slotCount != kDmxSlotCount) return false;
    return packet[static_cast<std::size_t>(info.dataOffset)] == 255 &&
           packet[static_cast<std::size_t>(info.dataOffset) + 511] == 42;
}

int runSelfTest(DmxUniverseState& state) {
    state.levels[0] = 255;
    state.levels[511] = 42;
    for (DmxProtocol protocol : {DmxProtocol::ArtNet, DmxProtocol::Sacn}) {
        if (!selfTestProtocol(state, protocol)) return kSelfTestFailed;
    }
    return kSuccess;
}

int runSender(const ArgumentVector& args, DmxUniverseState& state, SocketHandle socket) {
    Ipv4Address target;
    if (!parseIpv4(optionValue(args, "--target", "127.0.0.1"), target)) return kInvalidArguments;
    const auto channel = numericOptionValue(args, "--channel", "1");
    const auto value = numericOptionValue(args, "--value", "255");
    const auto pulse = numericOptionValue(args, "--pulse", "200");
    if (!channel || !value || !pulse) return kInvalidArguments;
    if (*channel < 1 || *channel > kDmxSlotCount) return kInvalidArguments;
    if (*pulse < 30 || *pulse > 60000) return kInvalidArguments;
    if (*value < 0 || *value > 255) return kInvalidArguments;

    const uint16_t port = protocolPort(state.protocol);
    setAllLevels(state, 0);
    bool allWhole = sendUniverse(state, socket, target, port);
    sleepMs(kSettleBeforePulseMs);

    setLevelRange(state, *channel, *channel, static_cast<uint8_t>(*value));
    for (int32_t elapsed = 0; elapsed < *pulse; elapsed += static_cast<int32_t>(kFramePeriodMs)) {
        allWhole = sendUniverse(state, socket, target, port) && allWhole;
        sleepMs(kFramePeriodMs);
    }
    setLevelRange(state, *channel, *channel, 0);
    allWhole = sendUniverse(state, socket, target, port) && allWhole;
    return allWhole ? kSuccess : kSendFailed;
}

std::string captureJson(int32_t universe, int32_t sequence, const uint8_t* levels, int32_t slotCount) {
    std::string json = "{\"universe\":" + std::to_string(universe) + ",\"sequence\":" + std::to_string(sequence) +
                       ",\"levels\":[";
    for (int32_t slot = 0; slot < kDmxSlotCount; ++slot) {
        if (slot > 0) json += ',';
        json += std::to_string(slot < slotCount ? levels[slot] : 0);
    }
    json += "]}";
    return json;
}

int runListener(const ArgumentVector& args, const DmxUniverseState& state, SocketHandle socket) {
    setReceiveTimeout(socket, kReceiveTimeoutMs);
    const uint64_t deadline = tickCountMs() + kListenWindowMs;
    uint8_t buffer[kReceiveBufferSize];
    DmxPacketInfo info;
    bool captured = false;
    while (!captured && tickCountMs() < deadline) {
        const long n = receiveDatagram(socket, buffer, sizeof buffer);
        if (n <= 0) continue;
        captured = parseDmxPacket(buffer, static_cast<std::size_t>(n), state.protocol, info) &&
                   info.universe == state.universe;
    }
    if (!captured) return kNothingReceived;

    const std::string json = captureJson(state.universe, info.sequence, buffer + info.dataOffset, info.slotCount);
    std::ofstream file = openOutputFile(optionValue(args, "--output", "dmx-capture.json"));
    file.write(json.data(), static_cast<std::streamsize>(json.size()));
    file.close();
    return file.fail() ? kOutputNotWritten : kSuccess;
}

}  // namespace

int runDmxCommandLine(const ArgumentVector& args, DmxUniverseState& state) {
    const std::string mode = args.size() > 1 ? args[1] : std::string();
    const std::string protocolText = optionValue(args, "--protocol", "sACN");
    state.protocol = protocolFromText(protocolText.data(), protocolText.size());
    const auto universe = numericOptionValue(args, "--universe", "100");
    if (!universe || !isUniverseInRange(state.protocol, *universe)) return kInvalidArguments;
    state.universe = *universe;

    if (mode == "--self-test") return runSelfTest(state);

    const SocketHandle socket = openUdpSocket();
    if (socket == kInvalidSocket) return kSocketNotCreated;
    Ipv4Address local;
    if (!parseIpv4(optionValue(args, "--local", "127.0.0.3"), local) ||
        !bindSocket(socket, local, protocolPort(state.protocol))) {
        closeSocket(socket);
        return kBindFailed;
    }
    int result = kInvalidArguments;
    if (mode == "--send") result = runSender(args, state, socket);
    if (mode == "--listen") result = runListener(args, state, socket);
    closeSocket(socket);
    return result;
}
