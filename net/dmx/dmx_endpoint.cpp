#include "dmx_endpoint.h"

#include <string>

#include "../../core/packet_codec.h"
#include "datagram_feed.h"
#include "dmx_control_ids.h"
#include "receive_endpoint.h"
#include "endpoint_socket.h"

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

SocketHandle openEndpoint(DmxNetworkEngine& engine, const DmxUniverseState& state, const DmxView& view) {
    Ipv4Address local;  // 0.0.0.0 (all interfaces) when the field does not convert
    localAddressOf(view, local);
    return openEndpointSocket(engine, local, protocolPort(state.protocol), prepareTransmitEndpoint);
}

namespace {

// Receiving from the feed: the endpoint is a socket bound to nothing, which never holds
// a datagram, so that everything that asks "is RX on?" still asks the endpoint.
bool startFeedReceive(DmxEndpoints& endpoints) {
    endpoints.receiveEndpoint = openUdpSocket();
    if (endpoints.receiveEndpoint == kInvalidSocket) return false;
    setNonBlocking(endpoints.receiveEndpoint, true);
    endpoints.feedNext = endpoints.feed->written;
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
        view.setControlText(kDmxStartRxButton, kDmxStopRxCaption);
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
    view.setControlText(kDmxStartRxButton, kDmxStopRxCaption);
    updateNetworkFieldLock(engine, view);
}

void stopReceive(DmxNetworkEngine& engine, const DmxView& view) {
    closeReceiveEndpoint(engine);
    engine.lastArrivalTime = 0;
    view.setControlText(kDmxStartRxButton, kDmxStartRxCaption);
    updateNetworkFieldLock(engine, view);
}

void updateNetworkFieldLock(const DmxEndpoints& endpoints, const DmxView& view) {
    const bool bothClosed = endpoints.receiveEndpoint == kInvalidSocket && endpoints.transmitEndpoint == kInvalidSocket;
    for (int id : {kDmxProtocolSelector, kDmxUniverseField, kDmxLocalIpv4Field, kDmxTargetField}) {
        view.enableControl(id, bothClosed);
    }
}
