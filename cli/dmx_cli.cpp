#include "dmx_cli.h"

#include <optional>
#include <string>
#include <vector>

#include "../core/clock.h"
#include "../core/exit_codes.h"
#include "../core/interruption.h"
#include "../core/ipv4_address.h"
#include "../core/json_writer.h"
#include "../core/packet_codec.h"
#include "../net/dmx/receive_endpoint.h"
#include "../core/whole_file.h"
#include "../net/dmx/send_universe.h"
#include "../net/socket/socket_layer.h"
#include "dmx_options.h"
#include "scan_cli.h"
#include "scan_options.h"
#include "serve_cli.h"
#include "serve_options.h"
#include "source_cli.h"
#include "source_options.h"

namespace {

constexpr uint32_t kSettleBeforePulseMs = 40;
constexpr uint64_t kListenWindowMs = 5000;
constexpr int kReceiveTimeoutMs = 100;

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
    if (!parseIpv4(optionValue(args, dmx_options::kTarget), target)) return kInvalidArguments;
    // A value that does not read as a number or lies outside its range ends with 2.
    const auto channel = numericOptionValue(args, dmx_options::kChannel);
    const auto value = numericOptionValue(args, dmx_options::kValue);
    const auto pulse = numericOptionValue(args, dmx_options::kPulse);
    if (!channel || !value || !pulse) return kInvalidArguments;

    const uint16_t port = protocolPort(state.protocol);
    // An interruption cuts the pulse short; the channel still goes back to 0.
    takeInterruptions(true);
    setAllLevels(state, 0);
    bool allWhole = sendUniverse(state, socket, target, port);
    bool pulsing = sleepUnlessInterrupted(kSettleBeforePulseMs);

    setLevelRange(state, *channel, *channel, static_cast<uint8_t>(*value));
    for (int32_t elapsed = 0; pulsing && elapsed < *pulse; elapsed += static_cast<int32_t>(kFramePeriodMs)) {
        allWhole = sendUniverse(state, socket, target, port) && allWhole;
        pulsing = sleepUnlessInterrupted(kFramePeriodMs);
    }
    setLevelRange(state, *channel, *channel, 0);
    allWhole = sendUniverse(state, socket, target, port) && allWhole;
    takeInterruptions(false);
    endIfInterrupted();
    return allWhole ? kSuccess : kSendFailed;
}

std::string captureJson(int32_t universe, int32_t sequence, const uint8_t* levels, int32_t slotCount) {
    JsonWriter json;
    json.open('{');
    json.number("universe", universe);
    json.number("sequence", sequence);
    json.objectKey("levels", '[');
    for (int32_t slot = 0; slot < kDmxSlotCount; ++slot) json.numberElement(slot < slotCount ? levels[slot] : 0);
    json.close(']');
    json.close('}');
    return json.out;
}

// The first datagram within the listening window that carries the universe; false when none came.
bool captureFirstPacket(const std::vector<SocketHandle>& sockets, const DmxUniverseState& state, uint8_t* buffer,
                        std::size_t capacity, DmxPacketInfo& info) {
    const uint64_t deadline = tickCountMs() + kListenWindowMs;
    while (tickCountMs() < deadline) {
        const int ready = waitForDatagram(sockets.data(), sockets.size(), kReceiveTimeoutMs);
        if (ready < 0) continue;
        const long n = receiveDatagram(sockets[static_cast<std::size_t>(ready)], buffer, capacity);
        if (n <= 0) continue;
        if (parseDmxPacket(buffer, static_cast<std::size_t>(n), state.protocol, info) && info.universe == state.universe)
            return true;
    }
    return false;
}

int runListener(const ArgumentVector& args, const DmxUniverseState& state, SocketHandle socket, Ipv4Address local) {
    setReceiveTimeout(socket, kReceiveTimeoutMs);
    // Bound to a unicast address the socket never sees broadcast on Linux: these listeners
    // take the broadcasts of local's interface (Art-Net is mostly broadcast).
    std::vector<SocketHandle> sockets = openBroadcastListeners(local, protocolPort(state.protocol));
    sockets.insert(sockets.begin(), socket);
    uint8_t buffer[kReceiveBufferSize];
    DmxPacketInfo info;
    const bool captured = captureFirstPacket(sockets, state, buffer, sizeof buffer, info);
    for (std::size_t i = 1; i < sockets.size(); ++i) closeSocket(sockets[i]);
    if (!captured) return kNothingReceived;

    const std::string json = captureJson(state.universe, info.sequence, buffer + info.dataOffset, info.slotCount);
    return writeFileWhole(optionValue(args, dmx_options::kOutput), json) ? kSuccess : kOutputNotWritten;
}

}  // namespace

int runDmxCommandLine(const ArgumentVector& args, DmxUniverseState& state) {
    const std::string mode = args.size() > 1 ? args[1] : std::string();
    if (mode == scan_options::kScan) return runScan(args);  // its own options; no --protocol or --universe
    if (mode == serve_options::kServe) return runServe(args);
    if (mode == source_options::kSource) return runSourceMode(args);
    const std::string protocolText = optionValue(args, dmx_options::kProtocol);
    state.protocol = protocolFromText(protocolText.data(), protocolText.size());
    const auto universe = numericOptionValue(args, dmx_options::kUniverse);
    if (!universe || !isUniverseInRange(state.protocol, *universe)) return kInvalidArguments;
    state.universe = *universe;

    if (mode == dmx_options::kSelfTest) return runSelfTest(state);

    const SocketHandle socket = openUdpSocket();
    if (socket == kInvalidSocket) return kSocketNotCreated;
    Ipv4Address local;
    if (!parseIpv4(optionValue(args, dmx_options::kLocal), local) ||
        !bindSocket(socket, local, protocolPort(state.protocol))) {
        closeSocket(socket);
        return kBindFailed;
    }
    int result = kInvalidArguments;
    if (mode == dmx_options::kSend) result = runSender(args, state, socket);
    if (mode == dmx_options::kListen) result = runListener(args, state, socket, local);
    closeSocket(socket);
    return result;
}
