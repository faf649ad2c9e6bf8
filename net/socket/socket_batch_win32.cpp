// The batch read and send of the socket layer on Windows Sockets, which has no recvmmsg or
// sendmmsg and stamps no arrivals: loops of single calls, each arrival stamped when read.
#include <winsock2.h>

#include "../../core/clock.h"
#include "socket_layer.h"
#include "socket_win32.h"

int receiveDatagrams(SocketHandle socket, ReceivedDatagram* datagrams, int count) {
    int received = 0;
    for (; received < count; ++received) {
        ReceivedDatagram& d = datagrams[received];
        const long length = receiveDatagramWithPort(socket, d.buffer, d.capacity, d.sender, d.senderPort, d.destination);
        if (length < 0) {
            const bool nothingWaiting = WSAGetLastError() == WSAEWOULDBLOCK;
            return received > 0 || nothingWaiting ? received : -1;
        }
        d.length = static_cast<std::size_t>(length);
        d.arrivalUs = monotonicMicroseconds();
    }
    return received;
}

bool prepareBatchReceive(SocketHandle socket) {
    const int queueBytes = 4 << 20;
    setsockopt(static_cast<SOCKET>(socket), SOL_SOCKET, SO_RCVBUF, reinterpret_cast<const char*>(&queueBytes), sizeof queueBytes);
    return false;  // no arrival stamps
}

std::size_t sendDatagrams(SocketHandle socket, const OutgoingDatagram* datagrams, std::size_t count) {
    std::size_t whole = 0;
    for (std::size_t i = 0; i < count; ++i) {
        const OutgoingDatagram& d = datagrams[i];
        whole += sendDatagram(socket, d.data, d.length, d.to, d.port) == static_cast<long>(d.length);
    }
    return whole;
}
