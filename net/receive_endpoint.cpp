#include "receive_endpoint.h"

#include <string>
#include <vector>

// Why the receive endpoint is not simply bound to the Local IPv4 address: Linux delivers
// multicast and broadcast only to sockets bound to 0.0.0.0 (or to that very group), so the
// endpoint is bound to 0.0.0.0 and the Local IPv4 field is honoured by where the group is
// joined and by checking each datagram's destination and arrival interface instead.
//
// Why the transmit endpoint is read as well: it shares the port, and Linux hands a unicast
// datagram to one socket only, the more specific bind or else the one bound last, so while
// both are open unicast to this host can land on the transmit endpoint. Broadcast and
// multicast go to every socket that matches, so from there only unicast is taken.

namespace {

constexpr Ipv4Address kAnyAddress{};
constexpr Ipv4Address kLimitedBroadcast{{255, 255, 255, 255}};
// More than a full default receive buffer of the smallest datagrams; bounds the work
// should a flood keep the queue from running dry.
constexpr int kMaxDiscardedDatagrams = 2048;

bool isMulticast(Ipv4Address address) { return address.bytes[0] >= 224 && address.bytes[0] <= 239; }

void failBind(DmxNetworkEngine& engine, int code) { engine.networkMessage = "UDP bind failed: " + std::to_string(code); }

// The bind a platform without this restriction would make, done on a throw-away socket so
// that an address no interface has fails as it would there (EADDRNOTAVAIL).
bool probeBind(DmxNetworkEngine& engine, Ipv4Address local, uint16_t port) {
    const SocketHandle probe = openUdpSocket();
    if (probe == kInvalidSocket) return false;
    setReuseAddress(probe, true);
    const bool bound = bindSocket(probe, local, port);
    const int code = lastSocketError();
    closeSocket(probe);
    if (!bound) failBind(engine, code);
    return bound;
}

ReceiveScope scopeFor(Ipv4Address local) {
    ReceiveScope scope;
    if (local == kAnyAddress) return scope;
    scope.everyInterface = false;
    scope.localAddress = local;
    for (const LocalInterfaceAddress& item : listInterfaceAddresses()) {
        if (item.address != local) continue;
        scope.interfaceIndex = item.interfaceIndex;
        scope.broadcastAddress = item.broadcast;
        break;
    }
    return scope;
}

}  // namespace

SocketHandle openReceiveEndpoint(DmxNetworkEngine& engine, const DmxUniverseState& state, Ipv4Address local) {
    const uint16_t port = protocolPort(state.protocol);
    const bool scoped = local != kAnyAddress;
    if (scoped && !probeBind(engine, local, port)) return kInvalidSocket;

    const SocketHandle socket = openUdpSocket();
    if (socket == kInvalidSocket) return kInvalidSocket;
    setReuseAddress(socket, true);
    setBroadcast(socket, true);
    setMulticastAll(socket, false);
    if (scoped) setReceiveDestination(socket, true);
    if (!bindSocket(socket, kAnyAddress, port)) {
        const int code = lastSocketError();
        closeSocket(socket);
        failBind(engine, code);
        return kInvalidSocket;
    }
    setNonBlocking(socket, true);
    engine.receiveScope = scopeFor(local);
    return socket;
}

bool joinReceiveGroup(SocketHandle socket, Ipv4Address group, Ipv4Address local) {
    if (local != kAnyAddress) return joinMulticastGroup(socket, group, local);
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

bool isInReceiveScope(const ReceiveScope& scope, const DatagramDestination& destination) {
    if (scope.everyInterface) return true;
    if (destination.address == scope.localAddress) return true;
    // The kernel passes only groups this socket joined, on the interface it joined them on.
    if (isMulticast(destination.address)) return true;
    const bool broadcast = destination.address == kLimitedBroadcast ||
                           (scope.broadcastAddress != kAnyAddress && destination.address == scope.broadcastAddress);
    return broadcast && scope.interfaceIndex != 0 && destination.interfaceIndex == scope.interfaceIndex;
}

long receiveScopedDatagram(const DmxNetworkEngine& engine, uint8_t* buffer, std::size_t capacity,
                           Ipv4Address& sender, bool& inScope) {
    inScope = true;
    if (engine.receiveScope.everyInterface) return receiveDatagramFrom(engine.receiveEndpoint, buffer, capacity, sender);
    DatagramDestination destination;
    const long length = receiveDatagramTo(engine.receiveEndpoint, buffer, capacity, sender, destination);
    if (length >= 0) inScope = isInReceiveScope(engine.receiveScope, destination);
    return length;
}

long receiveTransmitEndpointDatagram(const DmxNetworkEngine& engine, uint8_t* buffer, std::size_t capacity,
                                     Ipv4Address& sender, bool& inScope) {
    DatagramDestination destination;
    const long length = receiveDatagramTo(engine.transmitEndpoint, buffer, capacity, sender, destination);
    // The kernel's own address for the datagram equals its destination exactly when it was
    // unicast to this host (127.0.0.0/8 or an interface address); never for broadcast or
    // multicast. Without the destination (zero) nothing is taken.
    const bool unicastToHost = destination.address != kAnyAddress && destination.address == destination.localAddress;
    inScope = unicastToHost && isInReceiveScope(engine.receiveScope, destination);
    return length;
}

void discardWaitingDatagrams(SocketHandle socket) {
    uint8_t byte = 0;
    for (int i = 0; i < kMaxDiscardedDatagrams; ++i) {
        if (receiveDatagram(socket, &byte, 1) < 0) return;
    }
}
