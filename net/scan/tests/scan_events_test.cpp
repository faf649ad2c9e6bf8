// Events of the scan engine: scripted datagrams and clock steps in, the event log out.
#include <gtest/gtest.h>

#include <functional>
#include <map>
#include <memory>
#include <string>

#include "core/tests/scan_packets.h"
#include "net/scan/scan_events.h"

using namespace scan_packets;

namespace {

constexpr uint64_t kStartUs = 1000000;

struct Script {
    ScanEngine& scan;
    std::map<std::pair<Cid, uint16_t>, uint8_t> sequences;

    uint64_t at(uint64_t ms) const { return kStartUs + ms * 1000; }
    void take(uint64_t ms, DmxProtocol port, const std::vector<uint8_t>& p, uint8_t from = 2, Ipv4Address to = {}) {
        takeScanDatagram(scan, port, p.data(), p.size(), Ipv4Address{{10, 77, 0, from}}, at(ms), to);
    }
    // Sequence numbers run on by themselves: only the sequence row numbers its packets.
    void sacn(uint64_t ms, SacnData s, uint8_t from = 2, Ipv4Address to = {}) {
        s.sequence = ++sequences[{s.cid, s.universe}];
        take(ms, DmxProtocol::Sacn, sacnData(s), from, to);
    }
    void numbered(uint64_t ms, SacnData s, uint8_t sequence) {
        s.sequence = sequence;
        take(ms, DmxProtocol::Sacn, sacnData(s));
    }
    void expire(uint64_t ms) { expireScan(scan, at(ms)); }
};

SacnData source(uint8_t cid, uint8_t priority = 100, uint16_t universe = 1) {
    SacnData s;
    s.cid = cidOf(cid);
    s.priority = priority;
    s.universe = universe;
    return s;
}

SacnData perAddress(SacnData s, std::vector<uint8_t> priorities) {
    s.startCode = 0xDD;
    s.slots = static_cast<int>(priorities.size());
    s.slotLevels = std::move(priorities);
    return s;
}

// "kind universe .sender: detail @ms", events after `from`, "; " between.
std::string eventsText(const ScanEngine& scan, uint64_t from) {
    std::string text;
    for (uint64_t n = std::max(from + 1, oldestScanEventNumber(scan.events)); n <= scan.events.total; ++n) {
        const ScanEvent& e = scanEventNumbered(scan.events, n);
        const std::string detail = scanEventDetailText(e);
        text += (text.empty() ? "" : "; ") + std::string(scanEventKindName(e.kind)) + ' ' + std::to_string(e.universe) + " ." +
                std::to_string(e.sender.bytes[3]) + (detail.empty() ? "" : ": " + detail) + " @" +
                std::to_string((e.atUs - kStartUs) / 1000);
    }
    return text;
}

}  // namespace

TEST(ScanEvents, ScriptedDatagramsAndClockStepsGiveTheirEvents) {
    const Ipv4Address group5{{239, 255, 0, 5}}, group6{{239, 255, 0, 6}};
    struct Row {
        const char* what;
        std::function<void(Script&)> run;
        std::string expected;
        uint64_t from = 0;  // events numbered up to this are not compared
        uint64_t dropped = 0;
    };
    const Row rows[] = {
        {"lost at 2.5 s, found by the expiry", [](Script& s) { s.sacn(0, source(1)), s.sacn(100, source(1)), s.expire(2700), s.sacn(4000, source(1)); },
         "sourceAppeared 1 .2: priority 100 @0; sourceLost 1 .2 @2600; sourceReturned 1 .2: after 3900 ms without level data @4000"},
        {"lost, found by the next packet", [](Script& s) { s.sacn(0, source(1)), s.sacn(3000, source(1)); },
         "sourceAppeared 1 .2: priority 100 @0; sourceLost 1 .2 @2500; sourceReturned 1 .2: after 3000 ms without level data @3000"},
        {"terminated, never lost, back",
         [](Script& s) {
             SacnData end = source(1);
             end.options = kSacnOptionStreamTerminated;
             s.sacn(0, source(1)), s.sacn(100, end), s.expire(5000), s.sacn(6000, source(1));
         },
         "sourceAppeared 1 .2: priority 100 @0; sourceTerminated 1 .2 @100; sourceReturned 1 .2: after 5900 ms without level data @6000"},
        {"dropped after 60 s", [](Script& s) { s.sacn(0, source(1)), s.expire(59999), s.expire(60000); },
         "sourceAppeared 1 .2: priority 100 @0; sourceLost 1 .2 @2500; sourceDropped 1 .2 @60000"},
        {"priority of level packets", [](Script& s) { s.sacn(0, source(1)), s.sacn(100, source(1, 120)), s.sacn(200, source(1, 120)); },
         "sourceAppeared 1 .2: priority 100 @0; priorityChanged 1 .2: priority 100 to 120 @100"},
        {"per-address priority stops 2.5 s after the last 0xDD",
         [](Script& s) {
             const SacnData dd = perAddress(source(1), {100});
             s.sacn(0, dd), s.sacn(500, dd), s.expire(3500), s.sacn(4000, dd);
         },
         "sourceAppeared 1 .2: priority 100 @0; perAddressPriorityStarted 1 .2 @0; perAddressPriorityStopped 1 .2 @3000; "
         "perAddressPriorityStarted 1 .2 @4000"},
        {"two sources at the top priority, until one is raised",
         [](Script& s) { s.sacn(0, source(1)), s.sacn(0, source(2), 3), s.expire(1000), s.sacn(1500, source(2, 120), 3), s.expire(2000); },
         "sourceAppeared 1 .2: priority 100 @0; sourceAppeared 1 .3: priority 100 @0; "
         "priorityConflict 1 .2: 2 sources at priority 100 @1000; priorityChanged 1 .3: priority 100 to 120 @1500; priorityConflictEnded 1 .0 @2000"},
        {"per-address priorities tie on one slot",
         [](Script& s) {
             SacnData a = source(1), b = source(2);
             a.slots = b.slots = 5;
             s.sacn(0, a), s.sacn(0, perAddress(a, {200, 200, 0, 0, 50})), s.sacn(0, b, 3), s.sacn(0, perAddress(b, {0, 0, 200, 200, 50}), 3);
             s.expire(1000);
         },
         "sourceAppeared 1 .2: priority 100 @0; perAddressPriorityStarted 1 .2 @0; sourceAppeared 1 .3: priority 100 @0; "
         "perAddressPriorityStarted 1 .3 @0; priorityConflict 1 .2: 2 sources at priority 50 on slot 5 @1000"},
        {"sequence errors at most once a second",
         [](Script& s) {
             s.numbered(0, source(1), 1), s.numbered(100, source(1), 3), s.numbered(200, source(1), 2), s.numbered(300, source(1), 6);
             s.expire(1000), s.numbered(1050, source(1), 7), s.expire(1100), s.expire(2200);
         },
         "sourceAppeared 1 .2: priority 100 @0; sequenceErrors 1 .2: 0 out of order, 1 skipped @100; "
         "sequenceErrors 1 .2: 1 out of order, 2 skipped @1100"},
        {"sync named, missing, returning",
         [](Script& s) {
             SacnData synced = source(1);
             synced.syncUniverse = 7;
             for (uint64_t ms : {0, 1000, 2000, 3000}) s.sacn(ms, synced), s.expire(ms);
             s.take(3100, DmxProtocol::Sacn, sacnSync(cidOf(1), 1, 7));
         },
         "sourceAppeared 1 .2: priority 100 @0; syncMissing 7 .2: named by universe 1 @3000; syncReturned 7 .2 @3100"},
        {"a wrong multicast group",
         [&](Script& s) {
             const SacnData u5 = source(1, 100, 5);
             s.sacn(0, u5, 2, group6), s.sacn(100, u5, 2, group6), s.sacn(200, u5, 2, group5), s.sacn(250, u5, 2, Ipv4Address{{10, 77, 0, 1}});
             s.sacn(300, u5, 2, group6);
         },
         "sourceAppeared 5 .2: priority 100 @0; wrongGroup 5 .2: arrived on 239.255.0.6 @0; wrongGroup 5 .2: arrived on 239.255.0.6 @300"},
        {"discovery pages out of range or unsorted",
         [](Script& s) {
             s.take(0, DmxProtocol::Sacn, sacnDiscovery(cidOf(3), "Desk", 0, 1, {1, 2}));
             s.take(10, DmxProtocol::Sacn, sacnDiscovery(cidOf(3), "Desk", 2, 1, {3}));
             s.take(20, DmxProtocol::Sacn, sacnDiscovery(cidOf(3), "Desk", 0, 0, {5, 3}));
         },
         "badDiscovery 64214 .2: page 2 after last page 1 @10; badDiscovery 64214 .2: page 0: universe list not sorted @20"},
        {"a node gone 10 s after its reply, and back",
         [](Script& s) {
             s.take(0, DmxProtocol::ArtNet, artPollReply(PollReply()), 6), s.expire(9999), s.expire(10000);
             s.take(12000, DmxProtocol::ArtNet, artPollReply(PollReply()), 6);
         },
         "nodeAppeared 0 .6: bind index 1 @0; nodeGone 0 .6: bind index 1 @10000; nodeAppeared 0 .6: bind index 1 @12000"},
        {"a third Art-Net sender on a Port-Address",
         [](Script& s) {
             for (uint8_t from : {5, 6, 7}) s.take(from, DmxProtocol::ArtNet, artDmx(3, 0), from);
             for (uint8_t from : {5, 6}) s.take(from, DmxProtocol::ArtNet, artDmx(4, 0), from);
             s.expire(1000), s.expire(2000);
         },
         "artNetSendersExceeded 3 .7: 3 senders @1000"},
        {"the ring keeps the latest 10,000",
         [](Script& s) {
             for (uint16_t u = 1; u <= 10003; ++u) s.sacn(0, source(1, 100, u));
         },
         "sourceAppeared 10002 .2: priority 100 @0; sourceAppeared 10003 .2: priority 100 @0", 10001, 3},
    };
    for (const Row& row : rows) {
        auto scan = std::make_unique<ScanEngine>();
        startScan(*scan, kStartUs);
        Script script{*scan, {}};
        row.run(script);
        EXPECT_EQ(eventsText(*scan, row.from), row.expected) << row.what;
        EXPECT_EQ(droppedScanEvents(scan->events), row.dropped) << row.what;
        uint64_t counted = 0;
        for (uint64_t n : scan->events.perKind) counted += n;
        EXPECT_EQ(counted, scan->events.total) << row.what;
    }
}
