// The socket layer's own promises, which each platform file keeps in its own way: the
// receive time-out and non-blocking mode, the interface list and joining on an interface.
// Runs inside a private network namespace (lo only).
#include <gtest/gtest.h>

#include <chrono>

#include "socket_helpers.h"

namespace {

using Clock = std::chrono::steady_clock;

long long millisecondsSince(Clock::time_point start) {
    return std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - start).count();
}

struct BoundSocket {
    SocketHandle handle = openUdpSocket();
    BoundSocket() { EXPECT_TRUE(bindSocket(handle, ip("127.0.0.1"), 0)) << lastSocketError(); }
    ~BoundSocket() { closeSocket(handle); }
};

// Upper bounds are generous (a loaded machine); they catch a time-out read in seconds.
TEST(SocketLayer, EmptyReceivesEndAfterTheTimeOutOrAtOnce) {
    struct Case { const char* what; bool nonBlocking; int timeoutMs; long long atLeastMs; };
    const Case cases[] = {
        {"blocking, 100 ms time-out", false, 100, 90},
        {"non-blocking", true, 0, 0},
    };
    for (const Case& c : cases) {
        BoundSocket s;
        if (c.nonBlocking) {
            ASSERT_TRUE(setNonBlocking(s.handle, true));
        }
        if (c.timeoutMs > 0) {
            ASSERT_TRUE(setReceiveTimeout(s.handle, c.timeoutMs));
        }
        uint8_t buffer[16];
        Ipv4Address sender;
        const Clock::time_point start = Clock::now();
        EXPECT_EQ(receiveDatagramFrom(s.handle, buffer, sizeof buffer, sender), -1) << c.what;
        const long long elapsed = millisecondsSince(start);
        EXPECT_GE(elapsed, c.atLeastMs) << c.what;
        EXPECT_LT(elapsed, 5000) << c.what;
    }
}

TEST(SocketLayer, InterfaceListHasLoopbackWithoutBroadcast) {
    const std::vector<LocalInterfaceAddress> list = listInterfaceAddresses();
    const LocalInterfaceAddress* loopback = nullptr;
    for (const LocalInterfaceAddress& item : list) {
        if (item.address == ip("127.0.0.1")) loopback = &item;
    }
    ASSERT_NE(loopback, nullptr) << list.size() << " addresses listed";
    EXPECT_NE(loopback->interfaceIndex, 0u);
    EXPECT_EQ(loopback->broadcast, Ipv4Address{});
}

TEST(SocketLayer, JoinsAGroupOnAnInterfaceByIndex) {
    unsigned loopbackIndex = 0;
    for (const LocalInterfaceAddress& item : listInterfaceAddresses()) {
        if (item.address == ip("127.0.0.1")) loopbackIndex = item.interfaceIndex;
    }
    ASSERT_NE(loopbackIndex, 0u);
    Peer receiver("0.0.0.0", 5568);
    ASSERT_TRUE(joinMulticastGroupOnInterface(receiver.handle, ip("239.255.0.7"), loopbackIndex)) << lastSocketError();
    EXPECT_FALSE(joinMulticastGroupOnInterface(receiver.handle, ip("239.255.0.8"), 0xFFFF)) << "no such interface";
    Peer source("127.0.0.1");
    source.send({1, 2, 3}, "239.255.0.7", 5568);
    EXPECT_EQ(receiver.next(), (std::vector<uint8_t>{1, 2, 3}));
}

}  // namespace
