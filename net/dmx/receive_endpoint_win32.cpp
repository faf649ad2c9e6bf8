// The receive endpoint on Windows: bound to the Local IPv4 address itself and joined to
// the group on that address. Windows hands such a socket the broadcast of its interface
// and the groups it joined there, so nothing it receives needs sorting out afterwards and
// no companion socket is needed. The transmit endpoint is never read: a unicast datagram
// Windows hands to it instead of to the receive endpoint (both share the port) is lost.
#include "endpoint_socket.h"
#include "receive_endpoint.h"

namespace {

void prepareReceiveEndpoint(SocketHandle, Ipv4Address) {}

}  // namespace

void prepareTransmitEndpoint(SocketHandle, Ipv4Address) {}

SocketHandle openReceiveEndpoint(DmxNetworkEngine& engine, const DmxUniverseState& state, Ipv4Address local) {
    const SocketHandle socket = openEndpointSocket(engine, local, protocolPort(state.protocol), prepareReceiveEndpoint);
    if (socket == kInvalidSocket) return kInvalidSocket;
    engine.receiveOnEveryInterface = local == Ipv4Address{};
    return socket;
}

bool joinReceiveGroup(DmxNetworkEngine& engine, Ipv4Address group, Ipv4Address local, uint16_t) {
    return joinMulticastGroup(engine.receiveEndpoint, group, local);  // 0.0.0.0: the interface Windows picks
}

std::size_t listReceiveSources(const DmxNetworkEngine& engine, ReceiveSources& sources) {
    sources[0] = {engine.receiveEndpoint, false};
    return 1;
}

long receiveFromSource(const ReceiveSource& source, uint8_t* buffer, std::size_t capacity, Ipv4Address& sender,
                       bool& take) {
    take = true;
    return receiveDatagramFrom(source.socket, buffer, capacity, sender);
}

// A socket bound to the address already receives its interface's broadcasts.
std::vector<SocketHandle> openBroadcastListeners(Ipv4Address, uint16_t) { return {}; }
