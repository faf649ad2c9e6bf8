// A file of its own so that the fuzz targets' fake socket layer takes it from the library too.
#include <cerrno>

#include "socket_layer.h"

int socketErrorCode(SocketError error) {
    switch (error) {
        case SocketError::AddressInUse: return EADDRINUSE;
        case SocketError::AddressNotAvailable: return EADDRNOTAVAIL;
        case SocketError::NetworkUnreachable: return ENETUNREACH;
    }
    return 0;
}
