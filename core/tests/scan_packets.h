#pragma once
// Hand-laid packets of the kinds a scan hears, written field by field from the protocol
// layouts rather than by the code under test. Shared by the codec, engine and binary tests.
#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "core/packet_codec.h"

namespace scan_packets {

inline void put16(std::vector<uint8_t>& p, std::size_t at, uint32_t v) {
    p[at] = static_cast<uint8_t>(v >> 8);
    p[at + 1] = static_cast<uint8_t>(v);
}
inline void put32(std::vector<uint8_t>& p, std::size_t at, uint32_t v) {
    put16(p, at, v >> 16);
    put16(p, at + 2, v & 0xFFFF);
}
inline void putText(std::vector<uint8_t>& p, std::size_t at, const std::string& text, std::size_t width) {
    for (std::size_t i = 0; i < text.size() && i < width; ++i) p[at + i] = static_cast<uint8_t>(text[i]);
}

using Cid = std::array<uint8_t, 16>;
inline Cid cidOf(uint8_t seed) {
    Cid c{};
    for (std::size_t i = 0; i < c.size(); ++i) c[i] = static_cast<uint8_t>(seed * 16 + i);
    return c;
}

// Root layer with the given vector, flags and lengths reaching the end of `length` bytes.
inline std::vector<uint8_t> rootLayer(std::size_t length, uint32_t vector, const Cid& cid) {
    std::vector<uint8_t> p(length, 0);
    p[1] = 0x10;
    putText(p, 4, std::string("ASC-E1.17"), 9);
    put16(p, 16, 0x7000 | static_cast<uint32_t>(length - 16));
    put32(p, 18, vector);
    for (std::size_t i = 0; i < cid.size(); ++i) p[22 + i] = cid[i];
    put16(p, 38, 0x7000 | static_cast<uint32_t>(length - 38));
    return p;
}

struct SacnData {
    uint16_t universe = 1;
    uint8_t sequence = 1;
    uint8_t priority = 100;
    uint8_t options = 0;  // 0x80 preview, 0x40 stream terminated
    uint16_t syncUniverse = 0;
    uint8_t startCode = 0;
    int slots = 512;
    std::string name = "Scan test source";
    Cid cid = cidOf(1);
    uint8_t level = 0;  // every slot
    std::vector<uint8_t> slotLevels = {};  // the first slots, where given
};

inline std::vector<uint8_t> sacnData(const SacnData& s) {
    const std::size_t length = 126 + static_cast<std::size_t>(s.slots);
    std::vector<uint8_t> p = rootLayer(length, 4, s.cid);
    put32(p, 40, 2);
    putText(p, 44, s.name, 64);
    p[108] = s.priority;
    put16(p, 109, s.syncUniverse);
    p[111] = s.sequence;
    p[112] = s.options;
    put16(p, 113, s.universe);
    put16(p, 115, 0x7000 | static_cast<uint32_t>(length - 115));
    p[117] = 0x02;
    p[118] = 0xA1;
    put16(p, 121, 1);
    put16(p, 123, static_cast<uint32_t>(s.slots + 1));
    p[125] = s.startCode;
    for (std::size_t i = 126; i < length; ++i) p[i] = i - 126 < s.slotLevels.size() ? s.slotLevels[i - 126] : s.level;
    return p;
}

inline std::vector<uint8_t> sacnSync(const Cid& cid, uint8_t sequence, uint16_t syncUniverse) {
    std::vector<uint8_t> p = rootLayer(49, 8, cid);
    put32(p, 40, 1);
    p[44] = sequence;
    put16(p, 45, syncUniverse);
    return p;
}

inline std::vector<uint8_t> sacnDiscovery(const Cid& cid, const std::string& name, uint8_t page, uint8_t lastPage,
                                          const std::vector<uint16_t>& universes) {
    const std::size_t length = 120 + 2 * universes.size();
    std::vector<uint8_t> p = rootLayer(length, 8, cid);
    put32(p, 40, 2);
    putText(p, 44, name, 64);
    put16(p, 112, 0x7000 | static_cast<uint32_t>(length - 112));
    put32(p, 114, 1);
    p[118] = page;
    p[119] = lastPage;
    for (std::size_t i = 0; i < universes.size(); ++i) put16(p, 120 + 2 * i, universes[i]);
    return p;
}

inline std::vector<uint8_t> artNetHeader(std::size_t length, uint16_t opCode) {
    std::vector<uint8_t> p(length, 0);
    putText(p, 0, std::string("Art-Net"), 7);
    p[8] = static_cast<uint8_t>(opCode & 0xFF);
    p[9] = static_cast<uint8_t>(opCode >> 8);
    if (length > 11) p[11] = 14;
    return p;
}

inline std::vector<uint8_t> artDmx(uint16_t portAddress, uint8_t sequence, int slots = 512) {
    std::vector<uint8_t> p = artNetHeader(18 + static_cast<std::size_t>(slots), 0x5000);
    p[12] = sequence;
    p[14] = static_cast<uint8_t>(portAddress & 0xFF);
    p[15] = static_cast<uint8_t>(portAddress >> 8);
    put16(p, 16, static_cast<uint32_t>(slots));
    return p;
}

struct PollReply {
    std::array<uint8_t, 4> ip{10, 77, 0, 6};
    uint8_t netSwitch = 0;
    uint8_t subSwitch = 0;
    std::string shortName = "Test node";
    std::string longName = "Scan test node with two outputs";
    std::string nodeReport = "#0001 [0000] ok";
    uint8_t ports = 2;
    std::array<uint8_t, 4> portTypes{0x80, 0x80, 0, 0};  // DMX512 outputs
    std::array<uint8_t, 4> swIn{};
    std::array<uint8_t, 4> swOut{0, 1, 0, 0};
    uint8_t style = 0;  // StNode
    uint8_t bindIndex = 1;
    std::size_t length = 239;
};

inline std::vector<uint8_t> artPollReply(const PollReply& r) {
    std::vector<uint8_t> p = artNetHeader(r.length, 0x2100);
    p[11] = 0;  // a reply has no protocol version: bytes 10-13 are the node's address
    for (std::size_t i = 0; i < 4; ++i) p[10 + i] = r.ip[i];
    p[14] = 0x36;  // port 6454, little-endian
    p[15] = 0x19;
    p[18] = r.netSwitch;
    p[19] = r.subSwitch;
    putText(p, 26, r.shortName, 17);
    putText(p, 44, r.longName, 63);
    putText(p, 108, r.nodeReport, 63);
    p[173] = r.ports;
    for (std::size_t i = 0; i < 4; ++i) {
        p[174 + i] = r.portTypes[i];
        p[186 + i] = r.swIn[i];
        p[190 + i] = r.swOut[i];
    }
    p[200] = r.style;
    if (r.length > 211) p[211] = r.bindIndex;
    return p;
}

}  // namespace scan_packets
