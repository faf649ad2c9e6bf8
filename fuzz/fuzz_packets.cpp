#include "fuzz_packets.h"

#include "core/packet_codec.h"

namespace {

void putBigEndian16(std::string& p, std::size_t at, uint32_t value) {
    p[at] = static_cast<char>(value >> 8);
    p[at + 1] = static_cast<char>(value);
}

}  // namespace

std::string builtPacket(const DmxUniverseState& state, int slotCount) {
    const DmxPacket packet = buildDmxPacket(state);
    std::string p(packet.begin(), packet.end());
    if (state.protocol == DmxProtocol::ArtNet) {
        const int even = slotCount < 2 ? 2 : slotCount + (slotCount & 1);
        p.resize(kArtNetDataOffset + static_cast<std::size_t>(even));
        putBigEndian16(p, 16, static_cast<uint32_t>(even));
        return p;
    }
    p.resize(kSacnDataOffset + static_cast<std::size_t>(slotCount));
    for (std::size_t offset : {16, 38, 115}) putBigEndian16(p, offset, static_cast<uint32_t>(0x7000 | (p.size() - offset)));
    putBigEndian16(p, 123, static_cast<uint32_t>(slotCount + 1));
    return p;
}
