#pragma once
// The pcapng blocks a recording is made of: one section header, one interface whose link
// type is raw IPv4, then one enhanced packet block per datagram. Little-endian, time
// stamps in microseconds (the format's default resolution). Pure byte building.
#include <cstddef>
#include <cstdint>
#include <span>
#include <string_view>
#include <vector>

// LINKTYPE_RAW: every packet starts with its IPv4 header.
inline constexpr uint16_t kLinkTypeRawIp = 101;
// The largest frame a recording holds: any IPv4 packet.
inline constexpr uint32_t kRecordingSnapLength = 65535;

void appendSectionHeaderBlock(std::vector<uint8_t>& out, std::string_view application);
void appendInterfaceDescriptionBlock(std::vector<uint8_t>& out, uint16_t linkType, uint32_t snapLength);
// A packet of interface 0 captured whole, stamped at microseconds since 1970 (UTC).
void appendEnhancedPacketBlock(std::vector<uint8_t>& out, uint64_t timestampUs, std::span<const uint8_t> packet);
