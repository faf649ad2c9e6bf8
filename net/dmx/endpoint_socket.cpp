#include "endpoint_socket.h"

#include <string>

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
