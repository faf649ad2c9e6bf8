// Packet validation of both protocols against a reference written straight from the
// protocol rules, with every input in a heap buffer of exactly its length so that a read
// past the datagram is caught.
#include <memory>
#include <optional>

#include "core/packet_codec.h"
#include "fuzz_packets.h"
#include "fuzz_target.h"

namespace {

uint32_t be16(const std::string& p, std::size_t at) {
    return static_cast<uint32_t>(static_cast<uint8_t>(p[at]) << 8 | static_cast<uint8_t>(p[at + 1]));
}
uint8_t at(const std::string& p, std::size_t i) { return static_cast<uint8_t>(p[i]); }

std::optional<DmxPacketInfo> referenceArtNet(const std::string& p) {
    if (p.size() < 18) return std::nullopt;
    if (p.compare(0, 8, std::string("Art-Net\0", 8)) != 0) return std::nullopt;
    if (at(p, 8) != 0x00 || at(p, 9) != 0x50) return std::nullopt;
    if (be16(p, 10) < 14) return std::nullopt;
    if (at(p, 15) >= 128) return std::nullopt;
    const uint32_t length = be16(p, 16);
    if (length < 2 || length > 512 || length % 2 != 0) return std::nullopt;
    if (18 + length != p.size()) return std::nullopt;
    DmxPacketInfo info;
    info.universe = at(p, 14) | at(p, 15) << 8;
    info.dataOffset = 18;
    info.slotCount = static_cast<int32_t>(length);
    info.sequence = at(p, 12);
    info.priority = -1;
    return info;
}

std::optional<DmxPacketInfo> referenceSacn(const std::string& p) {
    if (p.size() < 126) return std::nullopt;
    if (at(p, 0) != 0x00 || at(p, 1) != 0x10) return std::nullopt;
    if (p.compare(4, 12, std::string("ASC-E1.17\0\0\0", 12)) != 0) return std::nullopt;
    if (p.compare(18, 4, std::string("\0\0\0\x04", 4)) != 0) return std::nullopt;
    if (p.compare(40, 4, std::string("\0\0\0\x02", 4)) != 0) return std::nullopt;
    if (at(p, 117) != 0x02 || at(p, 118) != 0xA1) return std::nullopt;
    if (be16(p, 119) != 0 || be16(p, 121) != 1 || at(p, 125) != 0) return std::nullopt;
    const uint32_t universe = be16(p, 113);
    if (universe < 1 || universe > 63999) return std::nullopt;
    const uint32_t count = be16(p, 123);
    if (count < 1 || count > 513) return std::nullopt;
    if (126 + count - 1 != p.size()) return std::nullopt;
    const auto flagsAndLength = [&](std::size_t offset) { return be16(p, offset) == (0x7000 | (p.size() - offset)); };
    if (!flagsAndLength(16) || !flagsAndLength(38) || !flagsAndLength(115)) return std::nullopt;
    if (at(p, 108) > 200) return std::nullopt;
    DmxPacketInfo info;
    info.universe = static_cast<int32_t>(universe);
    info.dataOffset = 126;
    info.slotCount = static_cast<int32_t>(count - 1);
    info.sequence = at(p, 111);
    info.priority = at(p, 108);
    return info;
}

bool parseExact(const std::string& datagram, DmxProtocol protocol, DmxPacketInfo& info) {
    const std::unique_ptr<uint8_t[]> heap(new uint8_t[datagram.size()]);
    std::copy(datagram.begin(), datagram.end(), heap.get());
    return parseDmxPacket(heap.get(), datagram.size(), protocol, info);
}

void checkProtocol(const std::string& datagram, DmxProtocol protocol) {
    const std::optional<DmxPacketInfo> expected =
        protocol == DmxProtocol::Sacn ? referenceSacn(datagram) : referenceArtNet(datagram);
    DmxPacketInfo info;
    const bool accepted = parseExact(datagram, protocol, info);
    FUZZ_CHECK(accepted == expected.has_value());
    if (!accepted) return;
    FUZZ_CHECK(info.universe == expected->universe);
    FUZZ_CHECK(info.dataOffset == expected->dataOffset);
    FUZZ_CHECK(info.slotCount == expected->slotCount);
    FUZZ_CHECK(info.sequence == expected->sequence);
    FUZZ_CHECK(info.priority == expected->priority);
    FUZZ_CHECK(static_cast<std::size_t>(info.dataOffset + info.slotCount) == datagram.size());
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size) {
    const std::string datagram(reinterpret_cast<const char*>(data), size);
    checkProtocol(datagram, DmxProtocol::Sacn);
    checkProtocol(datagram, DmxProtocol::ArtNet);
    return 0;
}

std::vector<std::string> fuzzSeeds() {
    std::vector<std::string> seeds;
    for (DmxProtocol protocol : {DmxProtocol::Sacn, DmxProtocol::ArtNet}) {
        for (int32_t universe : {1, 100, 32767}) {
            DmxUniverseState state;
            state.protocol = protocol;
            state.universe = universe;
            state.sequence = static_cast<uint8_t>(universe);
            for (int slot = 0; slot < kDmxSlotCount; ++slot) state.levels[static_cast<std::size_t>(slot)] = static_cast<uint8_t>(slot * 7);
            for (int slots : {512, 24, 2, 1, 0}) seeds.push_back(builtPacket(state, slots));
        }
    }
    seeds.emplace_back();
    return seeds;
}
