#include "endpoint_socket.h"
#include "receive_endpoint.h"
#include "../socket/socket_linux.h"

// Why the receive endpoint needs companions: Linux delivers multicast and broadcast only
// to sockets bound to 0.0.0.0 or to that very group or broadcast address, never to one
// bound to a unicast address. So with an interface address A as Local IPv4 the endpoint
// is bound to A, as on other platforms, and takes unicast to A; beside it one socket is
// bound to the sACN group and joined on A's interface, and one each to the interface's
// directed broadcast and to 255.255.255.255, tied to A's interface. Every socket thus
// gets only what belongs to A, and nothing is filtered datagram by datagram. Bound to A
// rather than to 0.0.0.0, the endpoint also leaves the port's other addresses to other
// programs, such as the command-line modes on 127.0.0.3. With 0.0.0.0 one wildcard
// socket takes everything.
//
// Why the transmit endpoint is read as well: it shares the port, and Linux hands a unicast
// datagram to one socket only, the more specific bind or else the one bound last, so while
// both are open unicast to this host can land on the transmit endpoint. Bound to A it gets
// nothing but unicast to A; bound to 0.0.0.0 it gets every broadcast too, which the receive
// endpoint has already taken, so from there only unicast to this host is taken.

namespace {

constexpr Ipv4Address kAnyAddress{};
constexpr Ipv4Address kLimitedBroadcast{{255, 255, 255, 255}};
constexpr std::size_t kGroupCompanion = 0;  // then the broadcast listeners

// Only the groups the socket joins itself, not other programs'.
void prepareReceiveEndpoint(SocketHandle socket, Ipv4Address) { setMulticastAll(socket, false); }

// One datagram from the transmit endpoint bound to 0.0.0.0, as receiveDatagramFrom;
// toHost is true only for unicast to this host: broadcast reaches the receive endpoint
// as well and is to be ignored here.
long receiveUnicastToHost(SocketHandle socket, uint8_t* buffer, std::size_t capacity, Ipv4Address& sender,
                          bool& toHost) {
    DatagramDestination destination;
    const long length = receiveDatagramTo(socket, buffer, capacity, sender, destination);
    // The kernel's own address for the datagram equals its destination exactly when it was
    // unicast to this host (127.0.0.0/8 or an interface address); never for broadcast or
    // multicast. Without the destination (zero) nothing is taken.
    toHost = destination.address != kAnyAddress && destination.address == destination.localAddress;
    return length;
}

SocketHandle openBroadcastListener(Ipv4Address broadcast, uint16_t port, unsigned interfaceIndex) {
    const SocketHandle listener = openUdpSocket();
    if (listener == kInvalidSocket) return kInvalidSocket;
    setReuseAddress(listener, true);
    if (!bindSocketToInterface(listener, interfaceIndex) || !bindSocket(listener, broadcast, port)) {
        closeSocket(listener);
        return kInvalidSocket;
    }
    setNonBlocking(listener, true);
    return listener;
}

bool joinOnEveryInterface(SocketHandle socket, Ipv4Address group) {
    bool joined = joinMulticastGroup(socket, group, kAnyAddress);  // the interface the routes pick
    std::vector<unsigned> done;
    for (const LocalInterfaceAddress& item : listInterfaceAddresses()) {
        bool seen = false;
        for (unsigned index : done) seen = seen || index == item.interfaceIndex;
        if (seen) continue;
        done.push_back(item.interfaceIndex);
        // Fails harmlessly (EADDRINUSE) on the interface the first join already took.
        joined = joinMulticastGroupOnInterface(socket, group, item.interfaceIndex) || joined;
    }
    return joined;
}

}  // namespace

std::vector<SocketHandle> openBroadcastListeners(Ipv4Address local, uint16_t port) {
    std::vector<SocketHandle> listeners;
    if (local == kAnyAddress) return listeners;
    for (const LocalInterfaceAddress& item : listInterfaceAddresses()) {
        if (item.address != local) continue;
        for (const Ipv4Address broadcast : {item.broadcast, kLimitedBroadcast}) {
            if (broadcast == kAnyAddress || (broadcast == kLimitedBroadcast && !listeners.empty() &&
                                             item.broadcast == kLimitedBroadcast))
                continue;
            const SocketHandle listener = openBroadcastListener(broadcast, port, item.interfaceIndex);
            if (listener != kInvalidSocket) listeners.push_back(listener);
        }
        break;
    }
    return listeners;
}

void prepareTransmitEndpoint(SocketHandle socket, Ipv4Address local) {
    // Keep the groups the receive endpoint joins out of this socket's queue; while receiving
    // is on, pollReceive takes the unicast that lands here. Bound to 0.0.0.0 it gets
    // broadcasts as well, told apart by their destination.
    setMulticastAll(socket, false);
    setReceiveDestination(socket, local == kAnyAddress);
}

SocketHandle openReceiveEndpoint(DmxNetworkEngine& engine, const DmxUniverseState& state, Ipv4Address local) {
    const uint16_t port = protocolPort(state.protocol);
    const SocketHandle socket = openEndpointSocket(engine, local, port, prepareReceiveEndpoint);
    if (socket == kInvalidSocket) return kInvalidSocket;
    engine.receiveOnEveryInterface = local == kAnyAddress;
    std::size_t next = kGroupCompanion + 1;
    for (const SocketHandle listener : openBroadcastListeners(local, port)) engine.receiveCompanions[next++] = listener;
    return socket;
}

bool joinReceiveGroup(DmxNetworkEngine& engine, Ipv4Address group, Ipv4Address local, uint16_t port) {
    if (local == kAnyAddress) return joinOnEveryInterface(engine.receiveEndpoint, group);
    const SocketHandle member = openUdpSocket();
    if (member == kInvalidSocket) return false;
    setReuseAddress(member, true);
    setMulticastAll(member, false);
    if (!bindSocket(member, group, port) || !joinMulticastGroup(member, group, local)) {
        closeSocket(member);
        return false;
    }
    setNonBlocking(member, true);
    engine.receiveCompanions[kGroupCompanion] = member;
    return true;
}

std::size_t listReceiveSources(const DmxNetworkEngine& engine, ReceiveSources& sources) {
    std::size_t count = 0;
    sources[count++] = {engine.receiveEndpoint, false};
    for (const SocketHandle companion : engine.receiveCompanions) {
        if (companion != kInvalidSocket) sources[count++] = {companion, false};
    }
    // Unicast that Linux handed to the transmit endpoint sharing the port.
    if (engine.transmitEndpoint != kInvalidSocket) sources[count++] = {engine.transmitEndpoint, engine.receiveOnEveryInterface};
    return count;
}

long receiveFromSource(const ReceiveSource& source, uint8_t* buffer, std::size_t capacity, Ipv4Address& sender,
                       bool& take) {
    take = true;
    if (source.unicastToHostOnly) return receiveUnicastToHost(source.socket, buffer, capacity, sender, take);
    return receiveDatagramFrom(source.socket, buffer, capacity, sender);
}
