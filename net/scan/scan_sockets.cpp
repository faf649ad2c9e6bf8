// What the scan's sockets do the same on every platform.
#include "scan_sockets.h"

void closeScanSockets(ScanSockets& set) {
    for (ScanSocket& socket : set.sockets) closeSocket(socket.handle);
    set.sockets.clear();
    set.pollSocket = kInvalidSocket;
}
