#include <gtest/gtest.h>

#include <functional>
#include <string>

#include "core/packet_codec.h"
#include "core/tests/packet_bytes.h"

namespace {

DmxUniverseState stateFor(DmxProtocol protocol, int32_t universe) {
    DmxUniverseState state;
    state.protocol = protocol;
    state.universe = universe;
    for (int i = 0; i < kDmxSlotCount; ++i) state.levels[static_cast<std::size_t>(i)] = static_cast<uint8_t>(i * 7);
    return state;
}

bool accepts(const std::vector<uint8_t>& packet, DmxProtocol protocol, DmxPacketInfo* out = nullptr) {
    DmxPacketInfo info;
    const bool ok = parseDmxPacket(packet.data(), packet.size(), protocol, info);
    if (out) *out = info;
    return ok;
}

void put16(std::vector<uint8_t>& p, std::size_t at, uint32_t v) {
    p[at] = static_cast<uint8_t>(v >> 8);
    p[at + 1] = static_cast<uint8_t>(v);
}

// An sACN packet with `slots` levels whose three length words agree with its size.
std::vector<uint8_t> sacnWithSlots(int slots) {
    std::vector<uint8_t> p = packetBytes(buildDmxPacket(stateFor(DmxProtocol::Sacn, 100)));
    p.resize(kSacnDataOffset + static_cast<std::size_t>(slots));
    const auto len = static_cast<uint32_t>(p.size());
    put16(p, 16, 0x7000 | (len - 16));
    put16(p, 38, 0x7000 | (len - 38));
    put16(p, 115, 0x7000 | (len - 115));
    put16(p, 123, static_cast<uint32_t>(slots + 1));
    return p;
}

}  // namespace

TEST(PacketCodec, EveryAllowedUniverseRoundTripsUnderItsOwnProtocolOnly) {
    struct Range { DmxProtocol protocol; int32_t lowest, highest; DmxProtocol other; };
    for (const Range r : {Range{DmxProtocol::Sacn, 1, 63999, DmxProtocol::ArtNet},
                          Range{DmxProtocol::ArtNet, 0, 32767, DmxProtocol::Sacn}}) {
        DmxUniverseState state = stateFor(r.protocol, r.lowest);
        int failures = 0;
        for (int32_t u = r.lowest; u <= r.highest && failures < 5; ++u) {
            state.universe = u;
            const std::vector<uint8_t> p = packetBytes(buildDmxPacket(state));
            DmxPacketInfo info;
            const bool ok = parseDmxPacket(p.data(), p.size(), r.protocol, info) && info.universe == u &&
                            info.slotCount == 512 && !accepts(p, r.other);
            if (!ok) {
                ++failures;
                ADD_FAILURE() << "universe " << u;
            }
        }
    }
}

TEST(PacketCodec, BuiltPacketsCarryTheDocumentedBytes) {
    DmxUniverseState state = stateFor(DmxProtocol::Sacn, 100);
    state.cid = {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16};
    const std::vector<uint8_t> sacn = packetBytes(buildDmxPacket(state));
    ASSERT_EQ(sacn.size(), 638u);
    const std::vector<uint8_t> sacnHead = {0x00, 0x10, 0x00, 0x00, 'A', 'S', 'C', '-', 'E', '1', '.', '1', '7', 0, 0, 0,
                                           0x72, 0x6E, 0, 0, 0, 4};
    EXPECT_EQ(std::vector<uint8_t>(sacn.begin(), sacn.begin() + 22), sacnHead);
    EXPECT_EQ(std::vector<uint8_t>(sacn.begin() + 22, sacn.begin() + 38), std::vector<uint8_t>(state.cid.begin(), state.cid.end()));
    EXPECT_EQ(sacn[38], 0x72);
    EXPECT_EQ(sacn[39], 0x58);
    EXPECT_EQ(sacn[43], 2);
    EXPECT_EQ(std::string(sacn.begin() + 44, sacn.begin() + 59), "Velmora Lumibox");
    EXPECT_EQ(sacn[59], 0);
    EXPECT_EQ(sacn[108], 100);
    EXPECT_EQ(sacn[113], 0x00);
    EXPECT_EQ(sacn[114], 0x64);
    const std::vector<uint8_t> dmpHead = {0x72, 0x0B, 0x02, 0xA1, 0, 0, 0, 1, 0x02, 0x01, 0x00};
    EXPECT_EQ(std::vector<uint8_t>(sacn.begin() + 115, sacn.begin() + 126), dmpHead);
    EXPECT_EQ(sacn[126 + 3], 21);  // level 4 = 3 * 7

    state.protocol = DmxProtocol::ArtNet;
    const std::vector<uint8_t> art = packetBytes(buildDmxPacket(state));
    ASSERT_EQ(art.size(), 530u);
    const std::vector<uint8_t> artHead = {'A', 'r', 't', '-', 'N', 'e', 't', 0, 0x00, 0x50, 0x00, 0x0E,
                                          1, 0, 0x64, 0x00, 0x02, 0x00};
    EXPECT_EQ(std::vector<uint8_t>(art.begin(), art.begin() + 18), artHead);
    EXPECT_EQ(art[18 + 3], 21);
}

TEST(PacketCodec, SequenceCounterZeroIsWrittenAsOneOnlyInArtNet) {
    for (int counter : {0, 1, 255}) {
        DmxUniverseState state = stateFor(DmxProtocol::Sacn, 100);
        state.sequence = static_cast<uint8_t>(counter);
        EXPECT_EQ(buildDmxPacket(state)[111], counter);
        state.protocol = DmxProtocol::ArtNet;
        EXPECT_EQ(buildDmxPacket(state)[12], counter == 0 ? 1 : counter);
    }
}

TEST(PacketCodec, ArtNetLargeUniverseSplitsIntoSubUniAndNet) {
    const std::vector<uint8_t> p = packetBytes(buildDmxPacket(stateFor(DmxProtocol::ArtNet, 0x7A35)));
    EXPECT_EQ(p[14], 0x35);
    EXPECT_EQ(p[15], 0x7A);
}

TEST(PacketCodec, EachArtNetRuleRejectsOneMutation) {
    const std::vector<uint8_t> valid = packetBytes(buildDmxPacket(stateFor(DmxProtocol::ArtNet, 100)));
    ASSERT_TRUE(accepts(valid, DmxProtocol::ArtNet));
    const std::vector<std::pair<const char*, std::function<void(std::vector<uint8_t>&)>>> cases = {
        {"id", [](auto& p) { p[6] = 'T'; }},
        {"id terminator", [](auto& p) { p[7] = 1; }},
        {"opcode byte order", [](auto& p) { p[8] = 0x50; p[9] = 0x00; }},
        {"version 13", [](auto& p) { p[11] = 13; }},
        {"net bit 7", [](auto& p) { p[15] = 0x80; }},
        {"length 0", [](auto& p) { put16(p, 16, 0); p.resize(18); }},
        {"length 1", [](auto& p) { put16(p, 16, 1); p.resize(19); }},
        {"length odd", [](auto& p) { put16(p, 16, 3); p.resize(21); }},
        {"length 514", [](auto& p) { put16(p, 16, 514); p.resize(532); }},
        {"trailing byte", [](auto& p) { p.push_back(0); }},
        {"length field larger than datagram", [](auto& p) { put16(p, 16, 512); p.resize(528); }},
    };
    for (const auto& [name, mutate] : cases) {
        std::vector<uint8_t> p = valid;
        mutate(p);
        EXPECT_FALSE(accepts(p, DmxProtocol::ArtNet)) << name;
    }
    std::vector<uint8_t> newer = valid;
    newer[11] = 15;
    EXPECT_TRUE(accepts(newer, DmxProtocol::ArtNet)) << "higher protocol versions are accepted";
}

TEST(PacketCodec, EachSacnRuleRejectsOneMutation) {
    const std::vector<uint8_t> valid = packetBytes(buildDmxPacket(stateFor(DmxProtocol::Sacn, 100)));
    ASSERT_TRUE(accepts(valid, DmxProtocol::Sacn));
    const std::vector<std::pair<const char*, std::function<void(std::vector<uint8_t>&)>>> cases = {
        {"preamble", [](auto& p) { p[1] = 0x11; }},
        {"identifier", [](auto& p) { p[12] = '8'; }},
        {"identifier padding", [](auto& p) { p[15] = 1; }},
        {"root vector", [](auto& p) { p[21] = 8; }},
        {"framing vector", [](auto& p) { p[43] = 1; }},
        {"dmp vector", [](auto& p) { p[117] = 0x01; }},
        {"address and data type", [](auto& p) { p[118] = 0xA0; }},
        {"first property address", [](auto& p) { p[120] = 1; }},
        {"address increment", [](auto& p) { p[122] = 2; }},
        {"alternate start code", [](auto& p) { p[125] = 0xDD; }},
        {"universe 0", [](auto& p) { put16(p, 113, 0); }},
        {"universe 64000", [](auto& p) { put16(p, 113, 64000); }},
        {"property count 0", [](auto& p) { put16(p, 123, 0); }},
        {"property count 514", [](auto& p) { put16(p, 123, 514); }},
        {"property count short of datagram", [](auto& p) { put16(p, 123, 512); }},
        {"padded datagram", [](auto& p) { p.push_back(0); }},
        {"root flags 0xF", [](auto& p) { p[16] = 0xF2; }},
        {"framing length", [](auto& p) { p[39] = 0x57; }},
        {"dmp length", [](auto& p) { p[116] = 0x0C; }},
        {"priority 201", [](auto& p) { p[108] = 201; }},
    };
    for (const auto& [name, mutate] : cases) {
        std::vector<uint8_t> p = valid;
        mutate(p);
        EXPECT_FALSE(accepts(p, DmxProtocol::Sacn)) << name;
    }
}

TEST(PacketCodec, SacnFieldsTheValidatorLeavesAloneAndItsBoundaries) {
    const std::vector<uint8_t> valid = packetBytes(buildDmxPacket(stateFor(DmxProtocol::Sacn, 100)));
    DmxPacketInfo info;
    std::vector<uint8_t> p = valid;
    p[108] = 200;
    p[112] = 0xC0;      // preview and stream terminated
    p[2] = 0x55;        // post-amble size
    p[22] = 0xEE;       // CID
    p[44] = 'X';        // source name
    put16(p, 109, 7);   // sync address
    put16(p, 113, 63999);
    p[111] = 17;
    ASSERT_TRUE(accepts(p, DmxProtocol::Sacn, &info));
    EXPECT_EQ(info.priority, 200);
    EXPECT_EQ(info.universe, 63999);
    EXPECT_EQ(info.sequence, 17);
    EXPECT_EQ(info.dataOffset, 126);

    ASSERT_TRUE(accepts(sacnWithSlots(0), DmxProtocol::Sacn, &info)) << "126 bytes, start code alone";
    EXPECT_EQ(info.slotCount, 0);
    ASSERT_TRUE(accepts(sacnWithSlots(24), DmxProtocol::Sacn, &info));
    EXPECT_EQ(info.slotCount, 24);
}

TEST(PacketCodec, ArtNetShortestDataAndSlotCount) {
    std::vector<uint8_t> p = packetBytes(buildDmxPacket(stateFor(DmxProtocol::ArtNet, 3)));
    p.resize(20);
    put16(p, 16, 2);
    DmxPacketInfo info;
    ASSERT_TRUE(accepts(p, DmxProtocol::ArtNet, &info));
    EXPECT_EQ(info.slotCount, 2);
    EXPECT_EQ(info.dataOffset, 18);
    EXPECT_EQ(info.priority, -1);
    EXPECT_EQ(info.universe, 3);
}

TEST(PacketCodec, EveryTruncationIsRejectedWithoutReadingPastTheEnd) {
    // Each prefix is copied into a buffer of its exact size so that AddressSanitizer
    // catches any read beyond the datagram.
    for (DmxProtocol protocol : {DmxProtocol::Sacn, DmxProtocol::ArtNet}) {
        const std::vector<uint8_t> valid = packetBytes(buildDmxPacket(stateFor(protocol, 100)));
        for (std::size_t n = 0; n < valid.size(); ++n) {
            std::vector<uint8_t> prefix(valid.begin(), valid.begin() + static_cast<std::ptrdiff_t>(n));
            DmxPacketInfo info;
            EXPECT_FALSE(parseDmxPacket(prefix.data(), prefix.size(), protocol, info)) << n << " bytes";
        }
    }
    DmxPacketInfo info;
    EXPECT_FALSE(parseDmxPacket(nullptr, 0, DmxProtocol::Sacn, info));
}
