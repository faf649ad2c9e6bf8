// --source's pure parts (patterns, schedule, packets) and its sender over loopback sockets
// in a private namespace, with every allocation of a frame counted.
#include <gtest/gtest.h>

#include <string>

#include "core/frame_schedule.h"
#include "core/source_frames.h"
#include "core/tests/allocation_counter.h"
#include "net/source/source_sender.h"

namespace {

SourcePattern pattern(const std::string& text) {
    auto parsed = parseSourcePattern(text);
    EXPECT_TRUE(parsed) << text;
    return parsed.value_or(SourcePattern{});
}

uint8_t levelAt(const SourcePattern& p, std::size_t index, std::size_t count, std::size_t slots, uint64_t timeMs, std::size_t slot,
                uint16_t universe = 1) {
    uint8_t out[kDmxSlotCount] = {};
    fillPatternLevels(p, PatternPlace{index, count, universe, slots}, timeMs, out);
    return out[slot - 1];
}

SourceSettings settingsOf(std::vector<uint16_t> universes) {
    SourceSettings s;
    s.universes = std::move(universes);
    s.slots = 24;
    s.name = sourceNameField("Test");
    s.cid[0] = 0xC1;
    return s;
}

SacnFrame frameAt(const SourceFrames& frames, std::size_t index) {
    return readSacnFrame(frames.datagrams[index].data, frames.datagrams[index].length);
}

}  // namespace

TEST(SourcePattern, LevelsAtGivenTimes) {
    SourcePattern snapshot = pattern("snapshot:x.json");
    ASSERT_TRUE(readSnapshotLevels(R"({"universes":[{"universe":5,"levels":[30,31]},{"universe":1,"levels":[10]}]})", snapshot));
    SourcePattern capture = pattern("snapshot:c.json");
    ASSERT_TRUE(readSnapshotLevels(R"({"universe":9,"sequence":3,"levels":[0,77]})", capture));
    struct Row { SourcePattern p; std::size_t index, count, slots; uint64_t timeMs; std::size_t slot; int level; uint16_t universe = 1; };
    const Row rows[] = {
        {pattern("static:7"), 0, 1, 512, 0, 512, 7},
        {pattern("levels:1-24=255,25=128"), 0, 1, 512, 9, 24, 255},
        {pattern("levels:1-24=255,25=128"), 0, 1, 512, 9, 25, 128},
        {pattern("levels:1-24=255,25=128"), 0, 1, 512, 9, 26, 0},
        {pattern("chase"), 0, 2, 512, 999, 1, 255},
        {pattern("chase"), 0, 2, 512, 1000, 1, 0},
        {pattern("chase"), 0, 2, 512, 1000, 2, 255},
        {pattern("chase"), 1, 2, 512, 512000, 1, 255},   // the next universe after the last slot
        {pattern("chase"), 0, 2, 512, 512000, 1, 0},
        {pattern("chase"), 0, 2, 512, 1024000, 1, 255},  // and round again
        {pattern("chase:100"), 1, 3, 4, 450, 1, 255},
        {pattern("chase:100"), 0, 3, 4, 450, 4, 0},
        {pattern("ramp:1000"), 0, 1, 512, 0, 9, 0},
        {pattern("ramp:1000"), 0, 1, 512, 500, 9, 128},
        {pattern("ramp:1000"), 0, 1, 512, 1999, 9, 255},
        {pattern("ramp"), 0, 1, 512, 2500, 1, 128},  // 5 s by default
        {pattern("wave:1000"), 0, 1, 512, 0, 1, 128},
        {pattern("wave:1000"), 0, 1, 512, 0, 129, 255},  // a quarter cycle on
        {pattern("wave:1000"), 0, 1, 512, 0, 385, 0},
        {pattern("wave:1000"), 0, 1, 512, 250, 1, 255},
        {snapshot, 1, 2, 512, 0, 2, 31, 5},
        {snapshot, 0, 2, 512, 0, 1, 10, 1},
        {snapshot, 0, 2, 512, 0, 1, 0, 2},
        {capture, 0, 1, 512, 0, 2, 77, 9},
    };
    for (const Row& r : rows) {
        EXPECT_EQ(levelAt(r.p, r.index, r.count, r.slots, r.timeMs, r.slot, r.universe), r.level)
            << "pattern " << int(r.p.kind) << " universe " << r.index << " at " << r.timeMs << " ms, slot " << r.slot;
    }
}

TEST(SourcePattern, TextThatDoesNotRead) {
    for (const char* text : {"static", "static:256", "static:-1", "levels:", "levels:0=1", "levels:513=1", "levels:1=256",
                             "levels:1-2", "chase:0", "chase:x", "chase1", "ramp:", "wave:3600001", "snapshot:", "strobe"}) {
        EXPECT_FALSE(parseSourcePattern(text)) << text;
    }
    EXPECT_FALSE(parseSlotValues("1-24=201", 200));
    SourcePattern p;
    for (const char* json : {"[]", R"({"universe":1})", R"({"universe":1,"levels":[256]})", R"({"universes":[{"levels":[]}]})",
                             R"({"universe":1,"levels":[1.5]})", R"({"universe":1,"levels":[1]} x)"}) {
        EXPECT_FALSE(readSnapshotLevels(json, p)) << json;
    }
}

TEST(FrameSchedule, AbsoluteDeadlinesLateFramesAtOnceNeverABurst) {
    FrameSchedule s{1000, 44};
    EXPECT_EQ(frameDeadlineUs(s, 44), 1001000u) << "44 frames take exactly one second";
    EXPECT_EQ(frameDeadlineUs(s, 44 * 3600), 3600001000u) << "no drift in an hour";
    recordFrameSent(s, 1000);
    recordFrameSent(s, 24727);  // deadline 23727: a millisecond behind is not late yet
    EXPECT_EQ(s.next, 2u);
    recordFrameSent(s, 120000);  // deadline 46454; 68181, 90909 and 113636 pass meanwhile
    EXPECT_EQ(s.next, 6u);
    EXPECT_EQ(nextFrameDeadlineUs(s), 137363u);
    EXPECT_EQ(s.skipped, 3u);
    EXPECT_EQ(s.late, 1u);
    EXPECT_EQ(s.sent, 3u);
    EXPECT_EQ(s.maxLatenessUs, 120000u - 46454u);
    recordFrameSent(s, 137363 + 1001);
    EXPECT_EQ(s.late, 2u);
    FrameSchedule exact{0, 1};
    recordFrameSent(exact, 1000000);
    EXPECT_EQ(exact.next, 2u) << "right on the next deadline moves past it";
    uint64_t due = 0;
    EXPECT_TRUE(takeIfDue(due, 1000000, 0));
    EXPECT_FALSE(takeIfDue(due, 1000000, 999999));
    EXPECT_TRUE(takeIfDue(due, 1000000, 3500000));
    EXPECT_EQ(due, 4000000u);
}

TEST(SourceFrames, PrioritiesShareTheSequenceAndThreeTerminatedPacketsEnd) {
    SourceSettings settings = settingsOf({1, 300});
    settings.perAddressPriorities = parseSlotValues("1-4=150", 200);
    settings.syncUniverse = 7000;
    settings.preview = true;
    settings.pattern = pattern("static:9");
    SourceFrames frames;
    buildSourceFrames(frames, settings);
    const FrameRanges first = prepareSourceFrame(frames, 0, true);
    ASSERT_EQ(first.priorities.count, 2u);
    ASSERT_EQ(first.sync.count, 1u);
    const SacnFrame dd = frameAt(frames, first.priorities.first + 1), levels = frameAt(frames, first.levels.first + 1);
    EXPECT_EQ(dd.kind, SacnKind::PerAddressPriority);
    EXPECT_EQ(frames.datagrams[first.priorities.first + 1].data[kSacnDataOffset + 3], 150);
    EXPECT_EQ(levels.kind, SacnKind::Levels);
    EXPECT_EQ(levels.data.universe, 300);
    EXPECT_EQ(levels.data.slotCount, 24);
    EXPECT_EQ(levels.syncUniverse, 7000);
    EXPECT_EQ(levels.options, kSacnOptionPreview);
    EXPECT_EQ(frames.datagrams[first.levels.first + 1].data[kSacnDataOffset], 9);
    EXPECT_EQ(int{dd.sequence} + 1, int{levels.sequence}) << "one counter for levels and priorities";
    EXPECT_EQ(frames.datagrams[first.levels.first + 1].to, (Ipv4Address{{239, 255, 1, 44}}));
    const SacnFrame sync = frameAt(frames, first.sync.first);
    EXPECT_EQ(sync.kind, SacnKind::Sync);
    EXPECT_EQ(sync.syncUniverse, 7000);
    EXPECT_EQ(frames.datagrams[first.sync.first].to, (Ipv4Address{{239, 255, 27, 88}}));
    const FrameRanges second = prepareSourceFrame(frames, 23, false);
    EXPECT_EQ(second.priorities.count, 0u);
    EXPECT_EQ(frameAt(frames, second.levels.first).sequence, 3);
    EXPECT_EQ(frameAt(frames, second.sync.first).sequence, 2) << "the sync universe counts on its own";
    for (int i = 1; i <= 3; ++i) {
        const DatagramRange end = prepareTermination(frames);
        for (std::size_t k = 0; k < end.count; ++k) {
            const SacnFrame f = frameAt(frames, end.first + k);
            EXPECT_EQ(f.options, kSacnOptionPreview | kSacnOptionStreamTerminated);
            EXPECT_EQ(f.sequence, 3 + i);
        }
    }
    frames.sequences = {254, 254};
    prepareSourceFrame(frames, 46, true);
    EXPECT_EQ(frameAt(frames, first.levels.first).sequence, 0) << "sACN wraps through 0";
    settings.protocol = DmxProtocol::ArtNet;
    settings.target = Ipv4Address{{10, 0, 0, 255}};
    settings.slots = 23;
    buildSourceFrames(frames, settings);
    frames.sequences = {254, 254};
    const FrameRanges art = prepareSourceFrame(frames, 0, true);
    const ArtNetFrame dmx = readArtNetFrame(frames.datagrams[art.levels.first + 1].data, frames.datagrams[art.levels.first + 1].length);
    ASSERT_EQ(dmx.kind, ArtNetKind::Dmx);
    EXPECT_EQ(dmx.data.universe, 300);
    EXPECT_EQ(dmx.data.slotCount, 24) << "an even count";
    EXPECT_EQ(dmx.data.sequence, 255);
    prepareSourceFrame(frames, 0, true);
    EXPECT_EQ(frames.datagrams[art.levels.first].data[12], 1) << "Art-Net wraps past 0";
    EXPECT_EQ(art.priorities.count, 0u);
    EXPECT_EQ(readArtNetFrame(frames.datagrams[art.sync.first].data, kArtSyncLength).opCode, 0x5200);
}

TEST(SourceFrames, DiscoveryPagesHoldAtMost512Universes) {
    struct Row { std::size_t universes; std::vector<std::size_t> perPage; };
    for (const Row& row : {Row{1, {1}}, Row{512, {512}}, Row{513, {512, 1}}, Row{1000, {512, 488}}}) {
        std::vector<uint16_t> list;
        for (std::size_t u = 1; u <= row.universes; ++u) list.push_back(static_cast<uint16_t>(u * 3));
        SourceSettings settings = settingsOf(list);
        settings.discovery = true;
        SourceFrames frames;
        buildSourceFrames(frames, settings);
        ASSERT_EQ(frames.discovery.size(), row.perPage.size()) << row.universes;
        for (std::size_t page = 0; page < row.perPage.size(); ++page) {
            const SacnFrame f = readSacnFrame(frames.discovery[page].data, frames.discovery[page].length);
            ASSERT_EQ(f.kind, SacnKind::Discovery);
            EXPECT_EQ(f.page, page);
            EXPECT_EQ(f.lastPage, row.perPage.size() - 1);
            EXPECT_EQ(f.universeCount, row.perPage[page]);
            EXPECT_EQ(f.universeList[1], (page * 512 + 1) * 3 % 256) << "the first universe of the page";
            EXPECT_EQ(frames.discovery[page].to, (Ipv4Address{{239, 255, 250, 214}}));
        }
    }
}

TEST(SourcePackets, NameCutAtACharacterBoundaryAndCidText) {
    const std::string a60(60, 'a');
    struct Row { std::string name; std::size_t kept; };
    for (const Row& r : {Row{"Lumibox", 7}, Row{std::string(63, 'a'), 63}, Row{std::string(64, 'a'), 63},
                         Row{a60 + "ab\xC3\xA9", 62}, Row{a60 + "a\xE2\x82\xAC", 61}, Row{a60 + "\xE2\x82\xAC", 63},
                         Row{a60 + "\xF0\x9F\x92\xA1", 60}}) {
        EXPECT_EQ(truncateSourceName(r.name), r.name.substr(0, r.kept)) << r.name.size();
        EXPECT_EQ(sourceNameField(r.name)[63], 0);
    }
    SacnCid cid{};
    EXPECT_TRUE(parseCidText("01234567-89ab-CDEF-0123-456789abcdef", cid));
    EXPECT_EQ(cid[7], 0xEF);
    for (const char* bad : {"0123456789abcdef0123456789abcdef", "01234567-89ab-cdef-0123-456789abcde", "01234567-89ab-cdef-0123_456789abcdef",
                            "0123456g-89ab-cdef-0123-456789abcdef"}) {
        EXPECT_FALSE(parseCidText(bad, cid)) << bad;
    }
}

TEST(SourceSender, AFrameOverLoopbackAllocatesNothing) {
    startSocketLibrary();
    SourceSettings settings = settingsOf({1, 2, 3});
    settings.local = Ipv4Address{{127, 0, 0, 1}};
    settings.target = settings.local;
    settings.syncUniverse = 9;
    settings.pattern = pattern("chase:10");
    const SocketHandle receiver = openUdpSocket();
    ASSERT_TRUE(bindSocket(receiver, settings.local, kSacnPort));
    setReceiveTimeout(receiver, 2000);
    SourceSender sender;
    ASSERT_EQ(openSourceSender(sender, settings), 0);
    {
        CountedSection counted;
        sendSourceFrame(sender, 25, true);
    }
    EXPECT_EQ(countedAllocations(), 0u);
    sendSourceTermination(sender);
    EXPECT_EQ(sender.counts.sent(), 3u + 1u + 9u);
    uint8_t buffer[kReceiveBufferSize];
    int lit = 0;
    for (int i = 0; i < 13; ++i) {
        const long n = receiveDatagram(receiver, buffer, sizeof buffer);
        ASSERT_GT(n, 0) << "datagram " << i;
        const SacnFrame f = readSacnFrame(buffer, static_cast<std::size_t>(n));
        if (i < 3) lit += f.kind == SacnKind::Levels && buffer[kSacnDataOffset + 2] == 255;
        if (i >= 4) {
            EXPECT_EQ(f.options, kSacnOptionStreamTerminated);
        }
    }
    EXPECT_EQ(lit, 1) << "slot 3 of the first universe, 25 ms into a 10 ms chase";
    closeSourceSender(sender);
    closeSocket(receiver);
    stopSocketLibrary();
}
