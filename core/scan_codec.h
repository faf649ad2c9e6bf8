#pragma once
// The packets a scan hears besides level data: E1.31 synchronisation and universe
// discovery, E1.31 data with the per-address-priority start code 0xDD, Art-Net ArtPoll and
// ArtPollReply. Data packets are judged by parseDmxPacket, so a scan accepts exactly what
// the monitor accepts. Pure functions over fixed offsets; pointers point into the datagram.
#include <array>
#include <cstddef>
#include <cstdint>

#include "packet_codec.h"

constexpr uint16_t kSacnDiscoveryUniverse = 64214;
constexpr uint8_t kSacnPerAddressPriorityStartCode = 0xDD;
constexpr std::size_t kSacnCidLength = 16;
constexpr std::size_t kSacnSourceNameLength = 64;
constexpr std::size_t kArtNetShortNameLength = 18;
constexpr std::size_t kArtNetLongNameLength = 64;
constexpr std::size_t kArtNetNodeReportLength = 64;
constexpr int kArtNetPollReplyPorts = 4;

// What a datagram on the sACN port turned out to be.
enum class SacnKind : uint8_t {
    Levels,              // data packet, null start code, accepted by parseDmxPacket
    PerAddressPriority,  // data packet with start code 0xDD, otherwise valid by the same rules
    OtherStartCode,      // a data packet with another alternate start code
    Sync,                // E1.31 synchronisation packet
    Discovery,           // E1.31 universe discovery packet
    InvalidData,         // framed as a data packet but refused by parseDmxPacket
    InvalidSync,
    InvalidDiscovery,
    UnknownVector,       // an ACN packet whose root or framing vector is none of the above
    NotE131,             // no ACN root layer
};
constexpr int kSacnKindCount = 10;

struct SacnFrame {
    SacnKind kind = SacnKind::NotE131;
    const uint8_t* cid = nullptr;         // 16 bytes; every kind from Levels to InvalidDiscovery
    const uint8_t* sourceName = nullptr;  // 64 bytes, not terminated; data and discovery
    DmxPacketInfo data;                   // Levels and PerAddressPriority
    uint8_t options = 0;                  // data: preview, stream terminated, force sync
    uint16_t syncUniverse = 0;            // data: synchronisation address; sync: the universe synchronised
    uint8_t sequence = 0;                 // data and sync
    uint8_t page = 0;                     // discovery; also an InvalidDiscovery refused for page > lastPage
    uint8_t lastPage = 0;
    const uint8_t* universeList = nullptr;  // discovery: universeCount big-endian 16-bit numbers
    uint16_t universeCount = 0;
};

SacnFrame readSacnFrame(const uint8_t* data, std::size_t length);

// What a datagram on the Art-Net port turned out to be.
enum class ArtNetKind : uint8_t {
    Dmx,               // ArtDmx accepted by parseDmxPacket
    PollReply,         // ArtPollReply
    OtherOpCode,       // a well-formed Art-Net header with another OpCode (ArtPoll, ArtSync, …)
    InvalidDmx,        // OpDmx refused by parseDmxPacket
    InvalidPollReply,  // OpPollReply shorter than the fields read from it
    NotArtNet,         // no "Art-Net" header
};
constexpr int kArtNetKindCount = 6;

struct ArtPollReplyInfo {
    std::array<uint8_t, 4> ip{};  // the node's own address field
    uint8_t netSwitch = 0;        // bits 14-8 of its Port-Addresses
    uint8_t subSwitch = 0;        // bits 7-4
    const uint8_t* shortName = nullptr;   // 18 bytes, not necessarily terminated
    const uint8_t* longName = nullptr;    // 64 bytes
    const uint8_t* nodeReport = nullptr;  // 64 bytes
    int portCount = 0;                    // 0 to 4
    std::array<uint8_t, 4> portTypes{};   // bit 7 output, bit 6 input
    std::array<uint8_t, 4> swIn{};
    std::array<uint8_t, 4> swOut{};
    uint8_t style = 0;
    uint8_t bindIndex = 0;  // 0 when the reply is too old to carry one
};

struct ArtNetFrame {
    ArtNetKind kind = ArtNetKind::NotArtNet;
    uint16_t opCode = 0;
    DmxPacketInfo data;      // Dmx
    ArtPollReplyInfo reply;  // PollReply
};

ArtNetFrame readArtNetFrame(const uint8_t* data, std::size_t length);

// The 15-bit Port-Address of a reply's port (0 to 3), for its input or output switch.
int artNetReplyPortAddress(const ArtPollReplyInfo& reply, int port, bool input);

constexpr std::size_t kArtPollLength = 14;
// An ArtPoll asking every node for one ArtPollReply (protocol 14, no flags, no diagnostics).
std::array<uint8_t, kArtPollLength> buildArtPoll();
