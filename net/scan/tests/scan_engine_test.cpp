// The scan engine without sockets: datagrams and their arrival times in, records out.
// Every operator new of this binary is counted, so the per-packet path can be shown not to allocate.
#include <gtest/gtest.h>

#include <cmath>
#include <string>

#include "core/tests/allocation_counter.h"
#include "core/tests/scan_packets.h"
#include "net/scan/scan_engine.h"

using namespace scan_packets;

namespace {

Ipv4Address address(uint8_t last) { return Ipv4Address{{10, 77, 0, last}}; }

struct ScanEngineTest : ::testing::Test {
    ScanEngine scan;
    void SetUp() override { startScan(scan, 1000000); }

    void take(DmxProtocol port, const std::vector<uint8_t>& packet, uint8_t from, uint64_t atMs) {
        takeScanDatagram(scan, port, packet.data(), packet.size(), address(from), 1000000 + atMs * 1000);
    }
    void sacn(const SacnData& s, uint8_t from, uint64_t atMs) { take(DmxProtocol::Sacn, sacnData(s), from, atMs); }

    const SacnStreamRecord* stream(uint8_t cidSeed, uint16_t universe, uint8_t from = 2) const {
        for (const SacnStreamRecord& r : scan.sacn.records) {
            if (r.cid == cidOf(cidSeed) && r.universe == universe && r.sender == address(from)) return &r;
        }
        return nullptr;
    }
};

}  // namespace

TEST(ScanSequence, E131OutOfOrderWindow) {
    struct Case { int last, current; bool outOfOrder; };
    const Case cases[] = {
        {10, 10, true},   {10, 9, true},    {10, 247, true},   // 19 behind across the wrap
        {10, 246, false}, {10, 11, false},  {10, 30, false},   // 20 behind: a new start
        {255, 0, false},  {0, 255, true},   {5, 133, false},   {200, 190, true},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(isSacnOutOfOrder(static_cast<uint8_t>(c.last), static_cast<uint8_t>(c.current)), c.outOfOrder)
            << c.last << " then " << c.current;
    }
}

TEST_F(ScanEngineTest, TimingFiguresFromArrivals) {
    SacnData s;
    for (uint64_t at : {0, 20, 40, 70}) {
        sacn(s, 2, at);
        ++s.sequence;
    }
    const SacnStreamRecord* r = stream(1, 1);
    ASSERT_NE(r, nullptr);
    EXPECT_EQ(r->timing.packets, 4u);
    EXPECT_NEAR(packetsPerSecond(r->timing), 3 / 0.070, 1e-9);
    EXPECT_NEAR(meanIntervalMs(r->timing), 70.0 / 3, 1e-9);
    EXPECT_DOUBLE_EQ(maxIntervalMs(r->timing), 30);
    EXPECT_NEAR(intervalJitterMs(r->timing), std::sqrt((400.0 + 400 + 900) / 3 - (70.0 / 3) * (70.0 / 3)), 1e-6);
    // 20, 20 and 30 ms: percentiles interpolate within the buckets (19, 20] and (29, 30].
    const IntervalFigures all = intervalsSinceStart(r->timing.intervals, r->timing.maxIntervalUs);
    EXPECT_EQ(all.intervals, 3u);
    EXPECT_NEAR(all.p50Ms, 19 + 1.5 / 2, 1e-9);
    EXPECT_NEAR(all.p99Ms, 29 + 0.97, 1e-9);
    EXPECT_EQ(cumulativeIntervals(r->timing.intervals)[intervalBucketAt(20000)], 2u);
    EXPECT_EQ(recentIntervals(r->timing.intervals, 1000000 + 70000).maxMs, 30);
    EXPECT_EQ(recentIntervals(r->timing.intervals, 1000000 + 10070000).intervals, 0u) << "the window has passed";

    StreamTiming one;
    one.packets = 1;
    EXPECT_EQ(packetsPerSecond(one), 0);
    EXPECT_EQ(intervalJitterMs(one), 0);
}

TEST_F(ScanEngineTest, SacnStreamsBySourceUniverseAndSender) {
    SacnData a;
    a.name = "Desk \xE2\x98\x83";
    a.priority = 120;
    a.syncUniverse = 7;
    uint64_t at = 0;
    for (int seq : {1, 2, 3, 6, 7, 4, 8}) {  // 4 and 5 skipped, then 4 arrives late
        a.sequence = static_cast<uint8_t>(seq);
        sacn(a, 2, at += 25);
    }
    SacnData dd = a;
    dd.startCode = 0xDD;
    dd.sequence = 9;
    sacn(dd, 2, 230);
    a.sequence = 10;
    a.options = kSacnOptionPreview;
    a.slots = 24;
    sacn(a, 2, 250);

    SacnData other = a;  // same CID from another address: a separate record
    other.options = kSacnOptionStreamTerminated;
    sacn(other, 3, 260);
    SacnData b;
    b.cid = cidOf(2);
    b.universe = 2;
    sacn(b, 2, 0);

    const SacnStreamRecord* r = stream(1, 1);
    ASSERT_NE(r, nullptr);
    EXPECT_EQ(r->timing.packets, 8u) << "level packets only";
    EXPECT_EQ(r->perAddressPriorityPackets, 1u);
    EXPECT_EQ(r->sequence.outOfOrder, 1u);
    EXPECT_EQ(r->sequence.skipped, 2u);
    EXPECT_EQ(r->priority, 120);
    EXPECT_EQ(r->syncUniverse, 7);
    EXPECT_EQ(r->slotCount, 24);
    EXPECT_TRUE(r->previewSeen);
    EXPECT_FALSE(r->terminatedSeen);
    EXPECT_EQ(std::string(r->sourceName.data()), "Desk \xE2\x98\x83");
    ASSERT_NE(stream(1, 1, 3), nullptr);
    EXPECT_TRUE(stream(1, 1, 3)->terminatedSeen);
    EXPECT_TRUE(isSacnSourceLost(*stream(1, 1, 3), 1000000 + 261000)) << "a terminated stream is lost at once";
    ASSERT_NE(stream(2, 2), nullptr);
    EXPECT_EQ(scan.sacn.records.size(), 3u);
    EXPECT_EQ(scan.sacnKinds[static_cast<int>(SacnKind::Levels)], 10u);
    EXPECT_EQ(scan.sacnKinds[static_cast<int>(SacnKind::PerAddressPriority)], 1u);
}

TEST_F(ScanEngineTest, SourceLostAfterTwoAndAHalfSecondsWithoutLevels) {
    SacnData s;
    sacn(s, 2, 100);
    SacnData dd = s;
    dd.startCode = 0xDD;
    dd.sequence = 2;
    sacn(dd, 2, 2000);  // per-address priority does not keep a source alive
    const SacnStreamRecord* r = stream(1, 1);
    ASSERT_NE(r, nullptr);
    EXPECT_FALSE(isSacnSourceLost(*r, 1000000 + 2599999));
    EXPECT_TRUE(isSacnSourceLost(*r, 1000000 + 2600000));

    SacnData resumed;  // terminated, then sending again: not lost
    resumed.cid = cidOf(4);
    resumed.options = kSacnOptionStreamTerminated;
    sacn(resumed, 2, 100);
    resumed.options = 0;
    resumed.sequence = 2;
    sacn(resumed, 2, 120);
    EXPECT_TRUE(stream(4, 1)->terminatedSeen);
    EXPECT_FALSE(isSacnSourceLost(*stream(4, 1), 1000000 + 200000));
}

TEST_F(ScanEngineTest, ArtNetSequenceSkipsZeroAndWrapsAt255) {
    struct Case { std::vector<int> sequences; uint64_t outOfOrder, skipped; };
    const Case cases[] = {
        {{0, 0, 0, 0}, 0, 0},            // not sequenced
        {{254, 255, 1, 2}, 0, 0},        // 255 is followed by 1
        {{254, 1}, 0, 1},                // 255 missed
        {{5, 0, 6}, 0, 0},               // a 0 between is not a number of the ring
        {{5, 6, 6, 4, 7}, 2, 0},
        {{100, 10}, 0, 0},               // far behind: a restart
        {{30, 10, 11}, 0, 0},            // 20 behind: a restart, then in order
    };
    uint16_t port = 0;
    for (const Case& c : cases) {
        uint64_t at = 0;
        for (int seq : c.sequences) take(DmxProtocol::ArtNet, artDmx(port, static_cast<uint8_t>(seq)), 5, at += 10);
        const ArtNetStreamRecord& r = scan.artNet.records.back();
        EXPECT_EQ(r.portAddress, port);
        EXPECT_EQ(r.timing.packets, c.sequences.size());
        EXPECT_EQ(r.sequence.outOfOrder, c.outOfOrder) << "case " << port;
        EXPECT_EQ(r.sequence.skipped, c.skipped) << "case " << port;
        ++port;
    }
}

TEST_F(ScanEngineTest, DiscoverySyncNodesAndOtherDatagrams) {
    take(DmxProtocol::Sacn, sacnDiscovery(cidOf(3), "Desk", 0, 1, {1, 2, 64000}), 2, 0);
    take(DmxProtocol::Sacn, sacnDiscovery(cidOf(3), "Desk", 1, 1, {2, 900}), 2, 5);
    take(DmxProtocol::Sacn, sacnSync(cidOf(3), 1, 7), 2, 10);
    take(DmxProtocol::Sacn, sacnSync(cidOf(3), 2, 7), 2, 30);
    take(DmxProtocol::Sacn, {'h', 'i'}, 9, 40);
    take(DmxProtocol::Sacn, artDmx(1, 1), 9, 40);
    PollReply reply;
    take(DmxProtocol::ArtNet, artPollReply(reply), 6, 50);
    take(DmxProtocol::ArtNet, artPollReply(reply), 6, 51);
    reply.bindIndex = 2;
    take(DmxProtocol::ArtNet, artPollReply(reply), 6, 52);
    take(DmxProtocol::ArtNet, artNetHeader(14, 0x5200), 6, 60);
    take(DmxProtocol::ArtNet, artNetHeader(14, 0x5200), 6, 61);
    take(DmxProtocol::ArtNet, artNetHeader(14, 0x2000), 6, 62);
    take(DmxProtocol::ArtNet, artDmx(1, 1, 3), 6, 63);

    ASSERT_EQ(scan.discovery.records.size(), 1u);
    const SacnDiscoveryRecord& d = scan.discovery.records[0];
    EXPECT_EQ(d.packets, 2u);
    EXPECT_EQ(d.universes.count(), 3u) << "1, 2 and 900; 64000 is no universe";
    EXPECT_TRUE(d.universes.test(900));
    ASSERT_EQ(scan.sync.records.size(), 1u);
    EXPECT_EQ(scan.sync.records[0].syncUniverse, 7);
    EXPECT_EQ(scan.sync.records[0].timing.packets, 2u);
    EXPECT_EQ(scan.sacnKinds[static_cast<int>(SacnKind::NotE131)], 2u);
    ASSERT_EQ(scan.nodes.records.size(), 2u) << "one record per bind index";
    EXPECT_EQ(scan.nodes.records[0].replies, 2u);
    ASSERT_EQ(scan.otherOpCodes.size(), 2u);
    EXPECT_EQ(scan.otherOpCodes[0].opCode, 0x5200);
    EXPECT_EQ(scan.otherOpCodes[0].packets, 2u);
    EXPECT_EQ(scan.artNetKinds[static_cast<int>(ArtNetKind::InvalidDmx)], 1u);
    EXPECT_EQ(scan.datagrams, 13u);
}

TEST(ScanEngineTables, FullTablesCountWhatTheyCannotHoldAndNothingIsAllocatedPerPacket) {
    ScanEngine scan;
    ScanCapacities small;
    small.sacnStreams = 3;
    small.artNetStreams = 2;
    small.opCodes = 1;
    startScan(scan, 0, small);
    std::vector<std::vector<uint8_t>> packets;
    for (uint16_t u = 1; u <= 5; ++u) {
        SacnData s;
        s.universe = u;
        packets.push_back(sacnData(s));
        packets.push_back(artDmx(u, 1));
    }
    packets.push_back(artNetHeader(14, 0x5200));
    packets.push_back(artNetHeader(14, 0x9700));
    packets.push_back(sacnDiscovery(cidOf(3), "D", 0, 0, {1}));
    packets.push_back(artPollReply(PollReply()));

    {
        const CountedSection section;
        for (int round = 0; round < 3; ++round) {
            for (const auto& p : packets) {
                const bool artNet = p[0] == 'A' && p[1] == 'r';
                takeScanDatagram(scan, artNet ? DmxProtocol::ArtNet : DmxProtocol::Sacn, p.data(), p.size(),
                                 Ipv4Address{{10, 0, 0, 1}}, static_cast<uint64_t>(round) * 1000);
            }
        }
        expireScan(scan, 3000000);  // losses and conflicts found, events recorded
    }
    EXPECT_EQ(countedAllocations(), 0u);
    EXPECT_EQ(scan.sacn.records.size(), 3u);
    EXPECT_EQ(scan.sacn.untracked, 6u) << "universes 4 and 5, three rounds";
    EXPECT_EQ(scan.artNet.untracked, 9u);
    EXPECT_EQ(scan.otherOpCodesUntracked, 3u);
    EXPECT_EQ(scan.sacn.records[2].timing.packets, 3u);
}

TEST_F(ScanEngineTest, RecordsLeaveTheirTablesAMinuteAfterTheirLastPacket) {
    SacnData s;
    for (uint16_t u = 1; u <= 300; ++u) {  // enough to make long probe runs in the index
        s.universe = u;
        sacn(s, 2, u % 2 == 0 ? 0 : 30000);
    }
    take(DmxProtocol::Sacn, sacnSync(cidOf(3), 1, 7), 2, 0);
    take(DmxProtocol::Sacn, sacnDiscovery(cidOf(3), "Desk", 0, 0, {1}), 2, 0);
    take(DmxProtocol::ArtNet, artDmx(1, 1), 5, 0);
    take(DmxProtocol::ArtNet, artPollReply(PollReply()), 6, 0);
    take(DmxProtocol::ArtNet, artDmx(2, 1), 5, 30000);

    expireScan(scan, 1000000 + 59999999);
    EXPECT_EQ(scan.sacn.records.size(), 300u);
    EXPECT_EQ(scan.nodes.records.size(), 1u);
    expireScan(scan, 1000000 + 60000000);
    EXPECT_EQ(scan.sacn.records.size(), 150u);
    EXPECT_EQ(scan.sync.records.size(), 0u);
    EXPECT_EQ(scan.discovery.records.size(), 0u);
    EXPECT_EQ(scan.artNet.records.size(), 1u);
    EXPECT_EQ(scan.nodes.records.size(), 0u);
    EXPECT_EQ(scan.sacnKinds[static_cast<int>(SacnKind::Levels)], 300u) << "counts of kinds only rise";
    // Every remaining stream is still found by its key: no new record for it.
    for (uint16_t u = 1; u <= 300; u += 2) {
        s.universe = u;
        s.sequence = 2;
        sacn(s, 2, 61000);
    }
    EXPECT_EQ(scan.sacn.records.size(), 150u);
    for (const SacnStreamRecord& r : scan.sacn.records) EXPECT_EQ(r.timing.packets, 2u) << r.universe;
}

TEST_F(ScanEngineTest, NodesByReportedAddressAndBindIndexGoneAfterTenSeconds) {
    PollReply reply;
    take(DmxProtocol::ArtNet, artPollReply(reply), 6, 0);
    reply.ip = {10, 77, 0, 7};  // the same host answering for a second address
    take(DmxProtocol::ArtNet, artPollReply(reply), 6, 0);
    reply.bindIndex = 2;
    take(DmxProtocol::ArtNet, artPollReply(reply), 6, 5000);
    ASSERT_EQ(scan.nodes.records.size(), 3u);
    EXPECT_EQ(scan.nodes.records[0].sender, address(6));
    EXPECT_FALSE(isArtNetNodeGone(scan.nodes.records[0], 1000000 + 9999999));
    EXPECT_TRUE(isArtNetNodeGone(scan.nodes.records[0], 1000000 + 10000000));
    EXPECT_FALSE(isArtNetNodeGone(scan.nodes.records[2], 1000000 + 10000000));

    struct Case { uint8_t type; bool output, input; };
    const Case cases[] = {{0x80, true, false}, {0x40, false, true}, {0xC0, true, true}, {0x85, false, false},
                          {0x41, false, false}, {0x00, false, false}};
    for (const Case& c : cases) {
        EXPECT_EQ(isDmxOutputPort(c.type), c.output) << int{c.type};
        EXPECT_EQ(isDmxInputPort(c.type), c.input) << int{c.type};
    }
}
