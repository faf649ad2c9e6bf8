// The batch read of the socket layer on Windows Sockets, which has no recvmmsg and stamps
// no arrivals: a loop of single receives, each stamped when it is read.
#include <winsock2.h>

#include "../../core/clock.h"
#include "socket_layer.h"

int receiveDatagrams(SocketHandle socket, ReceivedDatagram* datagrams, int count) {
    int received = 0;
    for (; received < count; ++received) {
        ReceivedDatagram& d = datagrams[received];
        const long length = receiveDatagramTo(socket, d.buffer, d.capacity, d.sender, d.destination);
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
