#pragma once
// E1.31 vectors and offsets and Art-Net OpCodes that both the scan's parser and the
// source's packet builder need: one place, so the two can never disagree.
#include <cstddef>
#include <cstdint>

inline constexpr uint32_t kRootVectorData = 4;
inline constexpr uint32_t kRootVectorExtended = 8;
inline constexpr uint32_t kFramingVectorData = 2;
inline constexpr uint32_t kFramingVectorSync = 1;
inline constexpr uint32_t kFramingVectorDiscovery = 2;
inline constexpr uint32_t kDiscoveryVectorUniverseList = 1;
inline constexpr std::size_t kCidOffset = 22;
inline constexpr std::size_t kSourceNameOffset = 44;

inline constexpr uint16_t kOpDmx = 0x5000;
inline constexpr uint16_t kOpSync = 0x5200;
inline constexpr uint8_t kArtNetProtocolVersion = 14;
