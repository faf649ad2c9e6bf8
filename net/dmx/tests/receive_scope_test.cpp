// What the receive endpoint takes on Linux for each Local IPv4 setting: 0.0.0.0 receives
// unicast and the group on every interface; an interface address receives unicast to that
// address, broadcast on its interface and the group joined on that interface only.
// Runs inside a private network namespace, to which it adds a veth pair.
#include <gtest/gtest.h>

#include <cstdlib>
#include <sstream>
#include <string>

#include "engine_fixture.h"
#include "net/socket/tests/socket_helpers.h"

namespace {

// Whether /proc/net/igmp lists the group under the named device.
bool isMemberOn(const std::string& device, const char* group) {
    const Ipv4Address a = ip(group);
    char word[16];
    std::snprintf(word, sizeof word, "%02X%02X%02X%02X", a.bytes[3], a.bytes[2], a.bytes[1], a.bytes[0]);
    std::istringstream lines(readText("/proc/net/igmp"));
    std::string line, current;
    while (std::getline(lines, line)) {
        if (line.empty()) continue;
        std::istringstream fields(line);
        std::string first, second;
        fields >> first >> second;
        if (line[0] != '\t' && line[0] != ' ') {
            current = second;
        } else if (current == device && first == word) {
            return true;
        }
    }
    return false;
}

bool hasLocalAddress(const char* address) {
    for (const LocalInterfaceAddress& item : listInterfaceAddresses()) {
        if (item.address == ip(address)) return true;
    }
    return false;
}

struct ReceiveScopeTest : EngineFixture {
    static bool haveVeth;

    static void SetUpTestSuite() {
        haveVeth = std::system("ip link add lbxa type veth peer name lbxb && "
                               "ip addr add 10.9.0.1/24 broadcast 10.9.0.255 dev lbxa && "
                               "ip addr add 10.9.1.1/24 broadcast 10.9.1.255 dev lbxb && "
                               "ip link set lbxa up && ip link set lbxb up") == 0 ||
                   hasLocalAddress("10.9.0.1");  // made by the runner, where the test cannot run ip
    }
    static void TearDownTestSuite() { std::system("ip link del lbxa 2>/dev/null"); }

    void SetUp() override {
        if (!haveVeth) GTEST_SKIP() << "no veth interfaces in this namespace";
    }

    uint64_t received() {
        const std::string line = firstStatusLine();
        return std::stoull(line.substr(3));
    }
    uint64_t rejected() {
        const std::string line = firstStatusLine();
        return std::stoull(line.substr(line.find("Rejected ") + 9));
    }

    // Sends one datagram and reports whether the engine counted it (accepted or rejected).
    bool arrives(const Peer& from, const std::vector<uint8_t>& packet, const char* to, uint16_t port) {
        const uint64_t before = received() + rejected();
        from.send(packet, to, port);
        pollReceive(engine, state, view, 100);
        return received() + rejected() == before + 1;
    }
};

bool ReceiveScopeTest::haveVeth = false;

TEST_F(ReceiveScopeTest, EveryInterfaceWithTheAnyAddress) {
    toggleReceive(engine, state, view);
    ASSERT_EQ(message(), "");
    for (const char* device : {"lo", "lbxa", "lbxb"}) EXPECT_TRUE(isMemberOn(device, "239.255.0.100")) << device;

    const std::vector<uint8_t> packet = makePacket(PacketRecipe());
    Peer onLoopback("127.0.0.1");
    Peer onVeth("10.9.0.1");
    EXPECT_TRUE(arrives(onLoopback, packet, "239.255.0.100", 5568));
    EXPECT_TRUE(arrives(onVeth, packet, "239.255.0.100", 5568));
    EXPECT_TRUE(arrives(onLoopback, packet, "127.0.0.2", 5568));
    EXPECT_TRUE(arrives(onLoopback, packet, "10.9.1.1", 5568));
    EXPECT_TRUE(arrives(onLoopback, {}, "10.9.0.1", 5568));  // counted as rejected
    EXPECT_EQ(rejected(), 1u);
}

TEST_F(ReceiveScopeTest, OneInterfaceAddress) {
    setField(kDmxLocalIpv4Field, "127.0.0.1");
    toggleReceive(engine, state, view);
    ASSERT_EQ(message(), "");
    EXPECT_TRUE(isMemberOn("lo", "239.255.0.100"));
    EXPECT_FALSE(isMemberOn("lbxa", "239.255.0.100"));
    // Another listener of the same universe on the other interface must not widen the scope.
    Peer otherListener("239.255.0.100", 5568);
    ASSERT_TRUE(otherListener.joinGroup("239.255.0.100", "10.9.0.1"));

    const std::vector<uint8_t> packet = makePacket(PacketRecipe());
    Peer onLoopback("127.0.0.1");
    Peer onVeth("10.9.0.1");
    EXPECT_TRUE(arrives(onLoopback, packet, "127.0.0.1", 5568));
    EXPECT_TRUE(arrives(onLoopback, packet, "239.255.0.100", 5568));
    EXPECT_FALSE(arrives(onVeth, packet, "239.255.0.100", 5568)) << "group on another interface";
    EXPECT_FALSE(arrives(onLoopback, packet, "127.0.0.2", 5568)) << "unicast to another address";
    EXPECT_FALSE(arrives(onLoopback, packet, "10.9.0.1", 5568));
    EXPECT_FALSE(arrives(onLoopback, {}, "10.9.0.1", 5568)) << "not even counted as rejected";
    EXPECT_EQ(firstStatusLine(), "RX 2 | TX 0 | Rejected 0 | 127.0.0.1 | U 100 | Seq 1 | Priority 100 | Alter 0 ms");
}

TEST_F(ReceiveScopeTest, BroadcastOnTheInterfaceOfTheAddressWithArtNet) {
    useArtNet();
    setField(kDmxLocalIpv4Field, "10.9.0.1");
    toggleReceive(engine, state, view);
    ASSERT_EQ(message(), "");

    const std::vector<uint8_t> packet = makePacket(PacketRecipe().artNet());
    Peer onA("10.9.0.1");
    Peer onB("10.9.1.1");
    EXPECT_TRUE(arrives(onA, packet, "10.9.0.1", 6454));
    EXPECT_TRUE(arrives(onA, packet, "10.9.0.255", 6454)) << "directed broadcast of its interface";
    EXPECT_TRUE(arrives(onA, packet, "255.255.255.255", 6454)) << "limited broadcast leaving by its interface";
    EXPECT_FALSE(arrives(onB, packet, "10.9.1.255", 6454)) << "broadcast on the other interface";
    EXPECT_FALSE(arrives(onB, packet, "255.255.255.255", 6454)) << "limited broadcast on the other interface";
    EXPECT_FALSE(arrives(onB, packet, "10.9.1.1", 6454));
    EXPECT_FALSE(arrives(onB, packet, "127.0.0.1", 6454));
}

TEST_F(ReceiveScopeTest, WhileTransmittingInterfaceUnicastIsCountedAndBroadcastOnce) {
    // Art-Net: the transmit endpoint bound to 0.0.0.0 gets every broadcast on the port too.
    useArtNet();
    setField(kDmxTargetField, "127.0.0.2");
    Peer capture("127.0.0.2", 6454);  // takes the engine's own sends
    const std::vector<uint8_t> packet = makePacket(PacketRecipe().artNet());
    Peer onA("10.9.0.1");
    Peer onB("10.9.1.1");
    for (const char* local : {"0.0.0.0", "10.9.0.1"}) {
        SCOPED_TRACE(local);
        setField(kDmxLocalIpv4Field, local);
        toggleReceive(engine, state, view);
        onSendValue(engine, state, view, 100);  // bound after the receive endpoint: takes the unicast
        ASSERT_EQ(message(), "");
        ASSERT_NE(engine.transmitEndpoint, kInvalidSocket);
        EXPECT_TRUE(arrives(onB, packet, "10.9.0.1", 6454));
        EXPECT_TRUE(arrives(onA, packet, "10.9.0.255", 6454)) << "directed broadcast counted once";
        EXPECT_TRUE(arrives(onA, packet, "255.255.255.255", 6454)) << "limited broadcast counted once";
        EXPECT_EQ(arrives(onA, packet, "10.9.1.1", 6454), std::string(local) == "0.0.0.0") << "only in scope";
        resetNetwork(engine, state, view, 200);
    }
}

}  // namespace
