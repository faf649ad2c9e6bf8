// The receive endpoint on Windows: bound to the Local IPv4 address itself and joined to
// the group on that address. Windows hands such a socket the broadcast of its interface
// and the groups it joined there, so nothing it receives needs sorting out afterwards.
// The transmit endpoint is never read: a unicast datagram Windows hands to it instead of
// to the receive endpoint (both share the port) is lost.
#include "receive_endpoint.h"

#include <string>

SocketHandle openReceiveEndpoint(DmxNetworkEngine& engine, const DmxUniverseState& state, Ipv4Address local) {
    const SocketHandle socket = openUdpSocket();
    if (socket == kInvalidSocket) return kInvalidSocket;
    setReuseAddress(socket, true);
    setBroadcast(socket, true);
    if (!bindSocket(socket, local, protocolPort(state.protocol))) {
        const int code = lastSocketError();
        closeSocket(socket);
        engine.networkMessage = "UDP bind failed: " + std::to_string(code);
        return kInvalidSocket;
    }
    setNonBlocking(socket, true);
    engine.receiveScope = ReceiveScope{};  // whatever reaches the socket is its own
    return socket;
}

bool joinReceiveGroup(SocketHandle socket, Ipv4Address group, Ipv4Address local) {
    return joinMulticastGroup(socket, group, local);  // 0.0.0.0: the interface Windows picks
}

bool isInReceiveScope(const ReceiveScope&, const DatagramDestination&) { return true; }

long receiveScopedDatagram(const DmxNetworkEngine& engine, uint8_t* buffer, std::size_t capacity,
                           Ipv4Address& sender, bool& inScope) {
    inScope = true;
    return receiveDatagramFrom(engine.receiveEndpoint, buffer, capacity, sender);
}

long receiveTransmitEndpointDatagram(const DmxNetworkEngine&, uint8_t*, std::size_t, Ipv4Address&, bool& inScope) {
    inScope = false;
    return -1;
}

void discardWaitingDatagrams(SocketHandle) {}
