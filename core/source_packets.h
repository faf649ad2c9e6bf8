#pragma once
// The packets of a many-universe source: E1.31 data packets of any slot count and start
// code, synchronisation and universe discovery packets, Art-Net ArtDmx and ArtSync. Pure
// writers over fixed offsets (those of packet_codec.h and scan_codec.h); no I/O, no state.
#include <array>
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "scan_codec.h"

using SacnCid = std::array<uint8_t, kSacnCidLength>;
using SacnSourceName = std::array<uint8_t, kSacnSourceNameLength>;  // zero-padded, the last byte always 0

constexpr std::size_t kSacnSyncPacketLength = 49;
constexpr std::size_t kSacnDiscoveryListOffset = 120;
constexpr std::size_t kSacnDiscoveryPageUniverses = 512;
constexpr std::size_t kSacnDiscoveryPacketMaxLength = kSacnDiscoveryListOffset + 2 * kSacnDiscoveryPageUniverses;
constexpr std::size_t kArtSyncLength = 14;
constexpr uint8_t kArtNetSequenceFirst = 1;  // Art-Net's sequence runs 1 to 255; 0 means "not sequenced"

// The longest prefix of name that fits the source name field with its terminating zero
// (63 bytes), never cutting a UTF-8 character in two.
std::string_view truncateSourceName(std::string_view name);
SacnSourceName sourceNameField(std::string_view name);

// "xxxxxxxx-xxxx-xxxx-xxxx-xxxxxxxxxxxx" in hexadecimal digits of either case.
bool parseCidText(std::string_view text, SacnCid& cid);

struct SacnDataFields {
    uint16_t universe = 1;
    std::size_t slots = 512;  // 1 to 512
    uint8_t priority = 100;
    uint16_t syncUniverse = 0;
    uint8_t options = 0;  // kSacnOptionPreview, kSacnOptionStreamTerminated
    uint8_t startCode = 0;
};

// Writes a data packet's header (kSacnDataOffset bytes) into out, sequence 0; the slots
// follow at kSacnDataOffset. Returns the packet's whole length.
std::size_t writeSacnDataHeader(uint8_t* out, const SacnCid& cid, const SacnSourceName& name, const SacnDataFields& fields);

// Synchronisation packet of syncUniverse (kSacnSyncPacketLength bytes).
void writeSacnSyncPacket(uint8_t* out, const SacnCid& cid, uint8_t sequence, uint16_t syncUniverse);
constexpr std::size_t kSacnSyncSequenceOffset = 44;

// Pages of at most 512 universes each: how many a list of count universes takes (at least one).
std::size_t sacnDiscoveryPageCount(std::size_t count);
// Writes page `page` of the ascending list into out (room for kSacnDiscoveryPacketMaxLength);
// returns its length.
std::size_t writeSacnDiscoveryPage(uint8_t* out, const SacnCid& cid, const SacnSourceName& name, const uint16_t* universes,
                                   std::size_t count, std::size_t page);

// ArtDmx header (kArtNetDataOffset bytes) for slots levels, sequence 0; Art-Net carries an
// even number of slots, so an odd count is sent with one more slot. Returns the whole length.
std::size_t writeArtDmxHeader(uint8_t* out, uint16_t portAddress, std::size_t slots);
void writeArtSync(uint8_t* out);

// The sequence numbers after current: sACN 0 to 255 round; Art-Net 1 to 255 round.
inline uint8_t nextSacnSequence(uint8_t current) { return static_cast<uint8_t>(current + 1); }
inline uint8_t nextArtNetSequence(uint8_t current) { return current >= 255 ? kArtNetSequenceFirst : static_cast<uint8_t>(current + 1); }
