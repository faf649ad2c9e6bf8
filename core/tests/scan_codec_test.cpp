#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "core/scan_codec.h"
#include "scan_packets.h"

using namespace scan_packets;

namespace {

// Kinds are read from a heap copy of exactly the datagram's length, so the sanitizer build
// catches a read past its end. The copy is gone afterwards: fields, which point into the
// datagram, are read with readSacnFrame and readArtNetFrame on the test's own vector.
SacnFrame sacn(const std::vector<uint8_t>& p) {
    auto copy = std::make_unique<uint8_t[]>(p.size() + (p.empty() ? 1 : 0));
    std::copy(p.begin(), p.end(), copy.get());
    return readSacnFrame(copy.get(), p.size());
}
ArtNetFrame artNet(const std::vector<uint8_t>& p) {
    auto copy = std::make_unique<uint8_t[]>(p.size() + (p.empty() ? 1 : 0));
    std::copy(p.begin(), p.end(), copy.get());
    return readArtNetFrame(copy.get(), p.size());
}

template <typename F>
std::vector<uint8_t> changed(std::vector<uint8_t> p, F change) {
    change(p);
    return p;
}

SacnData withStartCode(uint8_t code) {
    SacnData s;
    s.startCode = code;
    return s;
}

}  // namespace

TEST(ScanCodec, SacnKinds) {
    SacnData dd = withStartCode(0xDD);
    dd.slots = 24;
    SacnData ddBadPriority = withStartCode(0xDD);
    ddBadPriority.priority = 201;
    const std::vector<uint8_t> sync = sacnSync(cidOf(2), 9, 7);
    const std::vector<uint8_t> discovery = sacnDiscovery(cidOf(3), "Desk", 0, 0, {1, 2, 300});
    struct Case { const char* what; std::vector<uint8_t> packet; SacnKind kind; };
    const Case cases[] = {
        {"levels", sacnData(SacnData()), SacnKind::Levels},
        {"per-address priority", sacnData(dd), SacnKind::PerAddressPriority},
        {"0xDD with priority 201 fails the data rules", sacnData(ddBadPriority), SacnKind::InvalidData},
        {"text start code", sacnData(withStartCode(0x17)), SacnKind::OtherStartCode},
        {"levels with priority 201", changed(sacnData(SacnData()), [](auto& p) { p[108] = 201; }), SacnKind::InvalidData},
        {"data padded by a byte", changed(sacnData(SacnData()), [](auto& p) { p.push_back(0); }), SacnKind::InvalidData},
        {"data cut to 100 bytes", changed(sacnData(SacnData()), [](auto& p) { p.resize(100); }), SacnKind::InvalidData},
        {"sync", sync, SacnKind::Sync},
        {"sync one byte longer", changed(sync, [](auto& p) { p.push_back(0); put16(p, 16, 0x7000 | 34); put16(p, 38, 0x7000 | 12); }),
         SacnKind::InvalidSync},
        {"sync framing flags 0xF", changed(sync, [](auto& p) { p[38] |= 0x80; }), SacnKind::InvalidSync},
        {"discovery", discovery, SacnKind::Discovery},
        {"discovery without universes", sacnDiscovery(cidOf(3), "Desk", 0, 0, {}), SacnKind::Discovery},
        {"discovery with a half universe", changed(discovery, [](auto& p) {
             p.push_back(0);
             put16(p, 16, 0x7000 | static_cast<uint32_t>(p.size() - 16));
             put16(p, 38, 0x7000 | static_cast<uint32_t>(p.size() - 38));
             put16(p, 112, 0x7000 | static_cast<uint32_t>(p.size() - 112));
         }), SacnKind::InvalidDiscovery},
        {"discovery of 513 universes", sacnDiscovery(cidOf(3), "Desk", 0, 0, std::vector<uint16_t>(513, 5)),
         SacnKind::InvalidDiscovery},
        {"discovery page after the last", sacnDiscovery(cidOf(3), "Desk", 2, 1, {1}), SacnKind::InvalidDiscovery},
        {"discovery layer vector 2", changed(discovery, [](auto& p) { put32(p, 114, 2); }), SacnKind::InvalidDiscovery},
        {"discovery layer length short", changed(discovery, [](auto& p) { put16(p, 112, 0x7000 | 13); }), SacnKind::InvalidDiscovery},
        {"root vector 9", changed(sacnData(SacnData()), [](auto& p) { put32(p, 18, 9); }), SacnKind::UnknownVector},
        {"data root, framing vector 3", changed(sacnData(SacnData()), [](auto& p) { put32(p, 40, 3); }), SacnKind::UnknownVector},
        {"extended root, framing vector 3", changed(sync, [](auto& p) { put32(p, 40, 3); }), SacnKind::UnknownVector},
        {"preamble 0x0011", changed(sacnData(SacnData()), [](auto& p) { p[1] = 0x11; }), SacnKind::NotE131},
        {"ACN identifier misspelt", changed(sacnData(SacnData()), [](auto& p) { p[8] = 'F'; }), SacnKind::NotE131},
        {"an ArtDmx on the sACN port", artDmx(1, 1), SacnKind::NotE131},
        {"empty", {}, SacnKind::NotE131},
    };
    for (const Case& c : cases) EXPECT_EQ(static_cast<int>(sacn(c.packet).kind), static_cast<int>(c.kind)) << c.what;
}

TEST(ScanCodec, SacnFieldsAsLaidDown) {
    SacnData s;
    s.universe = 63999;
    s.sequence = 200;
    s.priority = 150;
    s.options = 0xC0;
    s.syncUniverse = 7;
    s.slots = 1;
    s.cid = cidOf(5);
    const std::vector<uint8_t> data = sacnData(s);
    const SacnFrame levels = readSacnFrame(data.data(), data.size());
    ASSERT_EQ(levels.kind, SacnKind::Levels);
    EXPECT_EQ(levels.data.universe, 63999);
    EXPECT_EQ(levels.data.priority, 150);
    EXPECT_EQ(levels.data.slotCount, 1);
    EXPECT_EQ(levels.sequence, 200);
    EXPECT_EQ(levels.options, 0xC0);
    EXPECT_EQ(levels.syncUniverse, 7);
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(levels.sourceName)), "Scan test source");
    EXPECT_EQ(levels.cid[0], cidOf(5)[0]);
    EXPECT_EQ(levels.cid[15], cidOf(5)[15]);

    const std::vector<uint8_t> syncPacket = sacnSync(cidOf(2), 9, 4660);
    const SacnFrame sync = readSacnFrame(syncPacket.data(), syncPacket.size());
    EXPECT_EQ(sync.sequence, 9);
    EXPECT_EQ(sync.syncUniverse, 4660);
    EXPECT_EQ(sync.cid[3], cidOf(2)[3]);

    const std::vector<uint8_t> discoveryPacket = sacnDiscovery(cidOf(3), "Desk", 1, 2, {1, 2, 63999});
    const SacnFrame discovery = readSacnFrame(discoveryPacket.data(), discoveryPacket.size());
    ASSERT_EQ(discovery.kind, SacnKind::Discovery);
    EXPECT_EQ(discovery.page, 1);
    EXPECT_EQ(discovery.lastPage, 2);
    ASSERT_EQ(discovery.universeCount, 3);
    EXPECT_EQ((discovery.universeList[4] << 8) | discovery.universeList[5], 63999);
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(discovery.sourceName)), "Desk");
}

TEST(ScanCodec, ArtNetKindsAndReplyFields) {
    PollReply old;
    old.length = 207;  // before BindIndex existed
    const auto poll = buildArtPoll();
    const std::vector<uint8_t> artPoll(poll.begin(), poll.end());
    struct Case { const char* what; std::vector<uint8_t> packet; ArtNetKind kind; uint16_t opCode; };
    const Case cases[] = {
        {"ArtDmx", artDmx(0x0101, 3), ArtNetKind::Dmx, 0x5000},
        {"ArtDmx of 3 slots", artDmx(1, 3, 3), ArtNetKind::InvalidDmx, 0x5000},
        {"ArtDmx to Port-Address 32768", artDmx(0x8000, 3), ArtNetKind::InvalidDmx, 0x5000},
        {"ArtPollReply", artPollReply(PollReply()), ArtNetKind::PollReply, 0x2100},
        {"ArtPollReply of 207 bytes", artPollReply(old), ArtNetKind::PollReply, 0x2100},
        {"ArtPollReply cut before Style", changed(artPollReply(PollReply()), [](auto& p) { p.resize(200); }),
         ArtNetKind::InvalidPollReply, 0x2100},
        {"ArtPoll", artPoll, ArtNetKind::OtherOpCode, 0x2000},
        {"ArtSync", artNetHeader(14, 0x5200), ArtNetKind::OtherOpCode, 0x5200},
        {"header without an OpCode", changed(artNetHeader(14, 0x2000), [](auto& p) { p.resize(9); }), ArtNetKind::NotArtNet, 0},
        {"Art-NeT", changed(artDmx(1, 1), [](auto& p) { p[6] = 'T'; }), ArtNetKind::NotArtNet, 0},
        {"an sACN packet on the Art-Net port", sacnData(SacnData()), ArtNetKind::NotArtNet, 0},
        {"empty", {}, ArtNetKind::NotArtNet, 0},
    };
    for (const Case& c : cases) {
        const ArtNetFrame frame = artNet(c.packet);
        EXPECT_EQ(static_cast<int>(frame.kind), static_cast<int>(c.kind)) << c.what;
        EXPECT_EQ(frame.opCode, c.opCode) << c.what;
    }

    PollReply r;
    r.netSwitch = 0x81;  // bit 7 is not part of the Port-Address
    r.subSwitch = 0x23;
    r.swOut = {0x04, 0x0F, 0, 0};
    r.swIn = {0x09, 0, 0, 0};
    r.portTypes = {0xC0, 0x80, 0x40, 0};
    r.ports = 9;  // more than a reply can describe
    r.style = 1;
    r.bindIndex = 3;
    const std::vector<uint8_t> replyPacket = artPollReply(r);
    const ArtNetFrame reply = readArtNetFrame(replyPacket.data(), replyPacket.size());
    ASSERT_EQ(reply.kind, ArtNetKind::PollReply);
    EXPECT_EQ(reply.reply.ip, (std::array<uint8_t, 4>{10, 77, 0, 6}));
    EXPECT_EQ(reply.reply.portCount, 4);
    EXPECT_EQ(artNetReplyPortAddress(reply.reply, 0, false), 0x134);
    EXPECT_EQ(artNetReplyPortAddress(reply.reply, 1, false), 0x13F);
    EXPECT_EQ(artNetReplyPortAddress(reply.reply, 0, true), 0x139);
    EXPECT_EQ(reply.reply.portTypes[2], 0x40);
    EXPECT_EQ(reply.reply.style, 1);
    EXPECT_EQ(reply.reply.bindIndex, 3);
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(reply.reply.shortName)), "Test node");
    EXPECT_EQ(artNet(artPollReply(old)).reply.bindIndex, 0);
}

TEST(ScanCodec, EveryTruncationLosesTheKind) {
    SacnData dd = withStartCode(0xDD);
    const std::vector<std::vector<uint8_t>> sacnPackets = {
        sacnData(SacnData()), sacnData(dd), sacnSync(cidOf(2), 1, 1), sacnDiscovery(cidOf(3), "D", 0, 0, {1, 2})};
    for (const auto& full : sacnPackets) {
        const SacnKind kind = sacn(full).kind;
        for (std::size_t n = 0; n < full.size(); ++n) {
            EXPECT_NE(sacn(std::vector<uint8_t>(full.begin(), full.begin() + static_cast<long>(n))).kind, kind)
                << "kind " << static_cast<int>(kind) << " cut to " << n;
        }
    }
    const std::vector<uint8_t> reply = artPollReply(PollReply());
    for (std::size_t n = 0; n < 201; ++n) {
        EXPECT_NE(artNet(std::vector<uint8_t>(reply.begin(), reply.begin() + static_cast<long>(n))).kind, ArtNetKind::PollReply)
            << n;
    }
}

TEST(ScanCodec, ArtPollAsLaidDown) {
    const auto poll = buildArtPoll();
    const std::vector<uint8_t> expected = {'A', 'r', 't', '-', 'N', 'e', 't', 0, 0x00, 0x20, 0, 14, 0, 0};
    EXPECT_EQ(std::vector<uint8_t>(poll.begin(), poll.end()), expected);
}
