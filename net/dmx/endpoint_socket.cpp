#include "endpoint_socket.h"

#include <string>
#include <vector>

SocketHandle openEndpointSocket(DmxEndpoints& endpoints, Ipv4Address local, uint16_t port,
                                void (*prepare)(SocketHandle socket, Ipv4Address local)) {
    const SocketHandle socket = openUdpSocket();
    if (socket == kInvalidSocket) return kInvalidSocket;
    setReuseAddress(socket, true);
    setBroadcast(socket, true);
    prepare(socket, local);
    if (!bindSocket(socket, local, port)) {
        const int code = lastSocketError();
        closeSocket(socket);
        endpoints.networkMessage = "UDP bind failed: " + std::to_string(code);
        return kInvalidSocket;
    }
    setNonBlocking(socket, true);
    return socket;
}

bool joinGroupOnEveryInterface(SocketHandle socket, Ipv4Address group) {
    bool joined = joinMulticastGroup(socket, group, Ipv4Address{});  // the interface the routes pick
    std::vector<unsigned> done;
    for (const LocalInterfaceAddress& item : listInterfaceAddresses()) {
        bool seen = false;
        for (unsigned index : done) seen = seen || index == item.interfaceIndex;
        if (seen) continue;
        done.push_back(item.interfaceIndex);
        // Fails harmlessly (address in use) on the interface the first join already took.
        joined = joinMulticastGroupOnInterface(socket, group, item.interfaceIndex) || joined;
    }
    return joined;
}
