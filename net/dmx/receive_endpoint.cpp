// What the receive endpoint does the same on every platform.
#include "receive_endpoint.h"

void closeReceiveEndpoint(DmxEndpoints& endpoints) {
    closeSocket(endpoints.receiveEndpoint);
    endpoints.receiveEndpoint = kInvalidSocket;
    for (SocketHandle& companion : endpoints.receiveCompanions) {
        closeSocket(companion);
        companion = kInvalidSocket;
    }
}
