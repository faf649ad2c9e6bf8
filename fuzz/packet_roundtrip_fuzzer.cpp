// Build, then parse: from any universe state the built packet is accepted under its own
// protocol with every field and level intact, rejected under the other protocol, and
// rejected when cut short by any number of bytes or carrying one byte too many.
#include <memory>

#include "core/packet_codec.h"
#include "fuzz_target.h"

namespace {

bool parseExact(const uint8_t* bytes, std::size_t length, DmxProtocol protocol, DmxPacketInfo& info) {
    const std::unique_ptr<uint8_t[]> heap(new uint8_t[length]);
    std::copy(bytes, bytes + length, heap.get());
    return parseDmxPacket(heap.get(), length, protocol, info);
}

DmxUniverseState stateFrom(FuzzReader& in) {
    DmxUniverseState state;
    state.protocol = in.flag() ? DmxProtocol::ArtNet : DmxProtocol::Sacn;
    const uint16_t raw = in.u16();
    state.universe = state.protocol == DmxProtocol::Sacn ? 1 + raw % 63999 : raw % 32768;
    state.sequence = in.byte();
    for (uint8_t& b : state.cid) b = in.byte();
    // Levels: the rest of the input, repeated, so that short inputs still set every slot.
    const std::string levels = in.rest();
    for (std::size_t i = 0; i < state.levels.size(); ++i) {
        state.levels[i] = levels.empty() ? 0 : static_cast<uint8_t>(levels[i % levels.size()]);
    }
    return state;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size) {
    FuzzReader in(data, size);
    const DmxUniverseState state = stateFrom(in);
    const DmxPacket packet = buildDmxPacket(state);
    const bool sacn = state.protocol == DmxProtocol::Sacn;
    FUZZ_CHECK(packet.size() == (sacn ? kSacnPacketLength : kArtNetPacketLength));

    DmxPacketInfo info;
    FUZZ_CHECK(parseExact(packet.data(), packet.size(), state.protocol, info));
    FUZZ_CHECK(info.universe == state.universe);
    FUZZ_CHECK(info.slotCount == kDmxSlotCount);
    FUZZ_CHECK(info.dataOffset == static_cast<int32_t>(sacn ? kSacnDataOffset : kArtNetDataOffset));
    FUZZ_CHECK(info.sequence == (sacn || state.sequence != 0 ? state.sequence : 1));
    FUZZ_CHECK(info.priority == (sacn ? 100 : -1));
    for (int slot = 0; slot < kDmxSlotCount; ++slot) {
        FUZZ_CHECK(packet[static_cast<std::size_t>(info.dataOffset + slot)] == state.levels[static_cast<std::size_t>(slot)]);
    }
    if (sacn) {
        for (std::size_t i = 0; i < state.cid.size(); ++i) FUZZ_CHECK(packet[22 + i] == state.cid[i]);
    }

    const DmxProtocol other = sacn ? DmxProtocol::ArtNet : DmxProtocol::Sacn;
    FUZZ_CHECK(!parseExact(packet.data(), packet.size(), other, info));
    for (std::size_t length = 0; length < packet.size(); ++length) {
        FUZZ_CHECK(!parseExact(packet.data(), length, state.protocol, info));
    }
    std::vector<uint8_t> longer(packet.begin(), packet.end());
    longer.push_back(0);
    FUZZ_CHECK(!parseExact(longer.data(), longer.size(), state.protocol, info));
    return 0;
}

std::vector<std::string> fuzzSeeds() {
    std::vector<std::string> seeds;
    for (uint8_t protocol : {0, 1}) {
        for (uint16_t universe : {0, 99, 32767, 63998}) {
            FuzzWriter seed;
            seed.byte(protocol).u16(universe).byte(255);
            for (int i = 0; i < 16; ++i) seed.byte(static_cast<uint8_t>(i * 17));
            seed.bytes("\x00\xff\x7f\x80");
            seeds.push_back(seed.str());
        }
    }
    return seeds;
}
