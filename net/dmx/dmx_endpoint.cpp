#include "dmx_endpoint.h"

#include <string>

#include "datagram_feed.h"
#include "dmx_control_ids.h"
#include "receive_endpoint.h"
#include "transmit_engine.h"

namespace {

// More than a full default receive buffer of the smallest datagrams; bounds the work
// should a flood keep the queue from running dry.
constexpr int kMaxDiscardedDatagrams = 2048;

bool localAddressOf(const DmxView& view, Ipv4Address& address) {
    return parseIpv4(boundedFieldText(view, kDmxLocalIpv4Field), address);
}

// Drops what the transmit endpoint holds when receiving starts: it arrived while nobody
// was listening, so the receive monitor must not count it.
void discardWaitingDatagrams(SocketHandle socket) {
    uint8_t byte = 0;
    for (int i = 0; i < kMaxDiscardedDatagrams; ++i) {
        if (receiveDatagram(socket, &byte, 1) < 0) return;
    }
}

}  // namespace

Ipv4Address sacnGroupAddress(int32_t universe) {
    Ipv4Address group;
    group.bytes[0] = 239;
    group.bytes[1] = 255;
    group.bytes[2] = static_cast<uint8_t>((universe >> 8) & 0xFF);
    group.bytes[3] = static_cast<uint8_t>(universe & 0xFF);
    return group;
}

bool validateNetworkFields(DmxNetworkEngine& engine, DmxUniverseState& state, const DmxView& view) {
    state.protocol = view.selectorIndex(kDmxProtocolSelector) == 0 ? DmxProtocol::Sacn : DmxProtocol::ArtNet;
    state.universe = fieldInteger(view, kDmxUniverseField, 100);
    if (!isUniverseInRange(state.protocol, state.universe)) {
        engine.networkMessage = "Invalid universe: sACN 1–63999 / Art-Net 0–32767";
        return false;
    }
    Ipv4Address local;
    if (!localAddressOf(view, local)) {
        engine.networkMessage = "Invalid local IPv4";
        return false;
    }
    return true;
}

SocketHandle openEndpointSocket(DmxNetworkEngine& engine, Ipv4Address local, uint16_t port,
                                void (*prepare)(SocketHandle socket, Ipv4Address local)) {
    const SocketHandle socket = openUdpSocket();
    if (socket == kInvalidSocket) return kInvalidSocket;
    setReuseAddress(socket, true);
    setBroadcast(socket, true);
    prepare(socket, local);
    if (!bindSocket(socket, local, port)) {
        const int code = lastSocketError();
        closeSocket(socket);
        engine.networkMessage = "UDP bind failed: " + std::to_string(code);
        return kInvalidSocket;
    }
    setNonBlocking(socket, true);
    return socket;
}

SocketHandle openEndpoint(DmxNetworkEngine& engine, const DmxUniverseState& state, const DmxView& view) {
    Ipv4Address local;  // 0.0.0.0 (all interfaces) when the field does not convert
    localAddressOf(view, local);
    return openEndpointSocket(engine, local, protocolPort(state.protocol), prepareTransmitEndpoint);
}

namespace {

// Receiving from the feed: the endpoint is a socket bound to nothing, which never holds
// a datagram, so that everything that asks "is RX on?" still asks the endpoint.
bool startFeedReceive(DmxNetworkEngine& engine) {
    engine.receiveEndpoint = openUdpSocket();
    if (engine.receiveEndpoint == kInvalidSocket) return false;
    setNonBlocking(engine.receiveEndpoint, true);
    engine.feedNext = engine.feed->written;
    return true;
}

}  // namespace

void toggleReceive(DmxNetworkEngine& engine, DmxUniverseState& state, const DmxView& view) {
    if (engine.receiveEndpoint != kInvalidSocket) {
        stopReceive(engine, view);
        return;
    }
    if (!validateNetworkFields(engine, state, view)) return;
    if (engine.feed) {
        if (!startFeedReceive(engine)) return;
        view.setControlText(kDmxStartRxButton, "Stop RX");
        updateNetworkFieldLock(engine, view);
        return;
    }
    Ipv4Address local;
    localAddressOf(view, local);
    engine.receiveEndpoint = openReceiveEndpoint(engine, state, local);
    if (engine.receiveEndpoint == kInvalidSocket) return;
    if (engine.transmitEndpoint != kInvalidSocket) discardWaitingDatagrams(engine.transmitEndpoint);
    if (state.protocol == DmxProtocol::Sacn &&
        !joinReceiveGroup(engine, sacnGroupAddress(state.universe), local, protocolPort(state.protocol))) {
        engine.networkMessage = "Multicast join failed; unicast RX remains active.";
    }
    view.setControlText(kDmxStartRxButton, "Stop RX");
    updateNetworkFieldLock(engine, view);
}

void stopReceive(DmxNetworkEngine& engine, const DmxView& view) {
    closeReceiveEndpoint(engine);
    view.setControlText(kDmxStartRxButton, "Start RX");
    updateNetworkFieldLock(engine, view);
}

void resetNetwork(DmxNetworkEngine& engine, DmxUniverseState& state, const DmxView& view, uint64_t now) {
    stopTransmit(engine, state, view, now);
    stopReceive(engine, view);
    engine.networkMessage.clear();
}

void updateNetworkFieldLock(const DmxNetworkEngine& engine, const DmxView& view) {
    const bool bothClosed = engine.receiveEndpoint == kInvalidSocket && engine.transmitEndpoint == kInvalidSocket;
    for (int id : {kDmxProtocolSelector, kDmxUniverseField, kDmxLocalIpv4Field, kDmxTargetField}) {
        view.enableControl(id, bothClosed);
    }
}
