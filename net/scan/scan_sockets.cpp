// What the scan's sockets do the same on every platform.
#include "scan_sockets.h"

void closeScanSockets(ScanSockets& set) {
    for (auto socket = set.sockets.rbegin(); socket != set.sockets.rend(); ++socket) closeSocket(socket->handle);
    set.sockets.clear();
    set.pollSocket = kInvalidSocket;
}
