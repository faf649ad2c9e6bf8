// The receive endpoint on Windows: bound to the Local IPv4 address itself. Windows hands
// such a socket the broadcast of its interface and the groups it joined there, so no
// companion socket is needed. With 0.0.0.0 the group is joined on every interface that is
// up, as on Linux.
//
// Why the transmit endpoint is read as well: it shares the port, and Windows hands a
// unicast datagram to either of two sockets bound to it, so while both are open unicast to
// this host can land there. Broadcast (and, joined or not, multicast under some stacks)
// reaches both sockets, so from the transmit endpoint only unicast to one of the host's
// own addresses is taken, told apart by its destination.
#include <vector>

#include "endpoint_socket.h"
#include "receive_endpoint.h"

namespace {

constexpr Ipv4Address kAnyAddress{};

// The host's addresses, read when receiving starts rather than per datagram: a flood must
// not cost an interface query each.
std::vector<Ipv4Address>& hostAddresses() {
    static std::vector<Ipv4Address> addresses;
    return addresses;
}

void readHostAddresses() {
    std::vector<Ipv4Address>& addresses = hostAddresses();
    addresses.clear();
    for (const LocalInterfaceAddress& item : listInterfaceAddresses()) addresses.push_back(item.address);
}

bool isUnicastToHost(Ipv4Address destination) {
    if (destination.bytes[0] == 127) return true;  // loopback, every address of it
    for (const Ipv4Address& address : hostAddresses()) {
        if (address == destination) return true;
    }
    return false;
}

void prepareReceiveEndpoint(SocketHandle, Ipv4Address) {}

}  // namespace

void prepareTransmitEndpoint(SocketHandle socket, Ipv4Address local) {
    setReceiveDestination(socket, true);
    // Windows sends multicast by the interface of its routes, whatever the bind: the
    // "multicast" target leaves by the Local IPv4 address's interface instead.
    if (local != kAnyAddress) setMulticastInterface(socket, local);
}

SocketHandle openReceiveEndpoint(DmxNetworkEngine& engine, const DmxUniverseState& state, Ipv4Address local) {
    const SocketHandle socket = openEndpointSocket(engine, local, protocolPort(state.protocol), prepareReceiveEndpoint);
    if (socket == kInvalidSocket) return kInvalidSocket;
    engine.receiveOnEveryInterface = local == kAnyAddress;
    readHostAddresses();
    return socket;
}

bool joinReceiveGroup(DmxNetworkEngine& engine, Ipv4Address group, Ipv4Address local, uint16_t) {
    if (local == kAnyAddress) return joinGroupOnEveryInterface(engine.receiveEndpoint, group);
    return joinMulticastGroup(engine.receiveEndpoint, group, local);
}

std::size_t listReceiveSources(const DmxNetworkEngine& engine, ReceiveSources& sources) {
    std::size_t count = 0;
    sources[count++] = {engine.receiveEndpoint, false};
    if (engine.transmitEndpoint != kInvalidSocket) sources[count++] = {engine.transmitEndpoint, true};
    return count;
}

long receiveFromSource(const ReceiveSource& source, uint8_t* buffer, std::size_t capacity, Ipv4Address& sender,
                       bool& take) {
    if (!source.unicastToHostOnly) {
        take = true;
        return receiveDatagramFrom(source.socket, buffer, capacity, sender);
    }
    DatagramDestination destination;
    const long length = receiveDatagramTo(source.socket, buffer, capacity, sender, destination);
    take = isUnicastToHost(destination.address);
    return length;
}

// Windows Firewall asks on the first bind and, on networks classified Public (lighting
// networks often are), drops inbound UDP unless a rule lets it in.
std::string_view quietReceiveHint() {
    return "Nothing received for 5 s: check that Windows Firewall allows inbound UDP 5568 and 6454";
}

// A socket bound to the address already receives its interface's broadcasts.
std::vector<SocketHandle> openBroadcastListeners(Ipv4Address, uint16_t) { return {}; }
