#include <linux/sock_diag.h>
#include <sys/socket.h>

#include "socket_drops.h"

bool receiveQueueDrops(SocketHandle socket, uint64_t& drops) {
    uint32_t meminfo[SK_MEMINFO_VARS] = {};
    socklen_t length = sizeof meminfo;
    if (getsockopt(static_cast<int>(socket), SOL_SOCKET, SO_MEMINFO, meminfo, &length) != 0 || length <= sizeof(uint32_t) * SK_MEMINFO_DROPS)
        return false;
    drops = meminfo[SK_MEMINFO_DROPS];
    return true;
}
