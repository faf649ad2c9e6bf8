// Composition of the source status line and of the DMX status text.
#include <gtest/gtest.h>

#include "engine_fixture.h"

namespace {

Ipv4Address ip(const char* text) {
    Ipv4Address a;
    EXPECT_TRUE(parseIpv4(text, a));
    return a;
}

TEST(SourceStatus, PiecesPerProtocolAndFlag) {
    struct Case { DmxProtocol protocol; int32_t priority; uint8_t options; int32_t sync; const char* expected; };
    const Case cases[] = {
        {DmxProtocol::Sacn, 100, 0x80, 0, "192.0.2.20 | U 100 | Seq 17 | Priority 100 | Preview"},
        {DmxProtocol::Sacn, 100, 0xC0, 0, "192.0.2.20 | U 100 | Seq 17 | Priority 100 | Stream ended | Preview"},
        {DmxProtocol::Sacn, 0, 0x40, 7, "192.0.2.20 | U 100 | Seq 17 | Priority 0 | Stream ended | Sync-Universe 7"},
        {DmxProtocol::Sacn, 200, 0x3F, 63999, "192.0.2.20 | U 100 | Seq 17 | Priority 200 | Sync-Universe 63999"},
        {DmxProtocol::ArtNet, -1, 0xC0, 7, "192.0.2.20 | U 100 | Seq 17"},
    };
    for (const Case& c : cases) {
        DmxPacketInfo info;
        info.universe = 100;
        info.sequence = 17;
        info.priority = c.priority;
        EXPECT_EQ(composeSourceStatus(ip("192.0.2.20"), info, c.protocol, c.options, c.sync), c.expected);
    }
}

using DmxStatus = EngineFixture;

TEST_F(DmxStatus, CountersSourceAgeAndMessageLines) {
    EXPECT_TRUE(isDmxStatusDue(engine, 50)) << "the first tick always refreshes";
    refreshDmxStatus(engine, view, 50);
    EXPECT_EQ(table.status(), "RX 0 | TX 0 | Rejected 0 | No signal yet\r\n");
    EXPECT_FALSE(isDmxStatusDue(engine, 249));
    EXPECT_TRUE(isDmxStatusDue(engine, 250));

    engine.rxCount = 18446744073709551615ull;
    engine.txCount = 7;
    engine.rejectedCount = 3;
    engine.sourceStatus = "10.0.0.9 | U 5 | Seq 1";
    engine.lastReceiveTime = 1000;
    engine.networkMessage = "Send failed: 101";
    refreshDmxStatus(engine, view, 1234);
    EXPECT_EQ(table.status(), "RX 18446744073709551615 | TX 7 | Rejected 3 | 10.0.0.9 | U 5 | Seq 1 | Alter 234 ms\r\nSend failed: 101");
    refreshDmxStatus(engine, view, 999);
    EXPECT_EQ(firstStatusLine(999), "RX 18446744073709551615 | TX 7 | Rejected 3 | 10.0.0.9 | U 5 | Seq 1 | Alter 0 ms")
        << "a reading older than the packet must not wrap";
}

}  // namespace
