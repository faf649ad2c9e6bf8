#include "scan_codec.h"

#include <cstring>

#include "protocol_layout.h"

namespace {

constexpr std::size_t kFramingVectorOffset = 40;
constexpr std::size_t kSyncLength = 49;
constexpr std::size_t kDiscoveryListOffset = 120;
constexpr std::size_t kDiscoveryMaxUniverses = 512;

constexpr uint16_t kOpPoll = 0x2000;
constexpr uint16_t kOpPollReply = 0x2100;
// Every field a scan reports, up to Style; BindIndex (offset 211) is read when present.
constexpr std::size_t kPollReplyMinimumLength = 201;
constexpr std::size_t kPollReplyBindIndexOffset = 211;

uint32_t bigEndian16(const uint8_t* at) { return (uint32_t{at[0]} << 8) | at[1]; }
uint32_t bigEndian32(const uint8_t* at) { return (bigEndian16(at) << 16) | bigEndian16(at + 2); }

// An ACN PDU header is valid only with flags 0x7 and a length reaching the datagram's end.
bool flagsAndLengthReachEnd(const uint8_t* d, std::size_t at, std::size_t length) {
    return bigEndian16(&d[at]) == (0x7000 | static_cast<uint32_t>(length - at));
}

void readData(const uint8_t* d, std::size_t length, SacnFrame& frame) {
    frame.kind = SacnKind::InvalidData;
    // Every start code by the rules of a level packet, written once in the packet codec.
    if (!parseSacnDataPacket(d, length, frame.data)) return;
    const uint8_t startCode = frame.data.startCode;
    frame.kind = startCode == 0                                  ? SacnKind::Levels
                 : startCode == kSacnPerAddressPriorityStartCode ? SacnKind::PerAddressPriority
                                                                 : SacnKind::OtherStartCode;
    frame.sourceName = &d[kSourceNameOffset];
    frame.options = frame.data.options;
    frame.syncUniverse = static_cast<uint16_t>(frame.data.syncUniverse);
    frame.sequence = static_cast<uint8_t>(frame.data.sequence);
}

void readSync(const uint8_t* d, std::size_t length, SacnFrame& frame) {
    frame.kind = SacnKind::InvalidSync;
    if (length != kSyncLength) return;
    if (!flagsAndLengthReachEnd(d, 16, length) || !flagsAndLengthReachEnd(d, 38, length)) return;
    frame.kind = SacnKind::Sync;
    frame.sequence = d[44];
    frame.syncUniverse = static_cast<uint16_t>(bigEndian16(&d[45]));
}

void readDiscovery(const uint8_t* d, std::size_t length, SacnFrame& frame) {
    frame.kind = SacnKind::InvalidDiscovery;
    if (length < kDiscoveryListOffset || (length - kDiscoveryListOffset) % 2 != 0) return;
    const std::size_t count = (length - kDiscoveryListOffset) / 2;
    if (count > kDiscoveryMaxUniverses) return;
    if (!flagsAndLengthReachEnd(d, 16, length) || !flagsAndLengthReachEnd(d, 38, length) ||
        !flagsAndLengthReachEnd(d, 112, length))
        return;
    if (bigEndian32(&d[114]) != kDiscoveryVectorUniverseList) return;
    // A page beyond the last page is refused, but still says whose it is.
    frame.sourceName = &d[kSourceNameOffset];
    frame.page = d[118];
    frame.lastPage = d[119];
    if (frame.page > frame.lastPage) return;
    frame.kind = SacnKind::Discovery;
    frame.universeList = &d[kDiscoveryListOffset];
    frame.universeCount = static_cast<uint16_t>(count);
}

}  // namespace

SacnFrame readSacnFrame(const uint8_t* d, std::size_t length) {
    SacnFrame frame;
    if (d == nullptr || length < 22) return frame;
    if (d[0] != 0x00 || d[1] != 0x10 || std::memcmp(&d[4], kAcnPacketIdentifier, sizeof kAcnPacketIdentifier) != 0) return frame;
    const uint32_t rootVector = bigEndian32(&d[18]);
    if (length >= kCidOffset + kSacnCidLength) frame.cid = &d[kCidOffset];
    if (length < kFramingVectorOffset + 4) {
        frame.kind = rootVector == kRootVectorData ? SacnKind::InvalidData : SacnKind::UnknownVector;
        return frame;
    }
    const uint32_t framingVector = bigEndian32(&d[kFramingVectorOffset]);
    if (rootVector == kRootVectorData && framingVector == kFramingVectorData) {
        readData(d, length, frame);
    } else if (rootVector == kRootVectorExtended && framingVector == kFramingVectorSync) {
        readSync(d, length, frame);
    } else if (rootVector == kRootVectorExtended && framingVector == kFramingVectorDiscovery) {
        readDiscovery(d, length, frame);
    } else {
        frame.kind = SacnKind::UnknownVector;
    }
    return frame;
}

namespace {

void readPollReply(const uint8_t* d, std::size_t length, ArtPollReplyInfo& reply) {
    std::memcpy(reply.ip.data(), &d[10], 4);
    reply.netSwitch = d[18];
    reply.subSwitch = d[19];
    reply.shortName = &d[26];
    reply.longName = &d[44];
    reply.nodeReport = &d[108];
    reply.portCount = d[173] > kArtNetPollReplyPorts ? kArtNetPollReplyPorts : d[173];
    std::memcpy(reply.portTypes.data(), &d[174], 4);
    std::memcpy(reply.swIn.data(), &d[186], 4);
    std::memcpy(reply.swOut.data(), &d[190], 4);
    reply.style = d[200];
    reply.bindIndex = length > kPollReplyBindIndexOffset ? d[kPollReplyBindIndexOffset] : 0;
}

}  // namespace

ArtNetFrame readArtNetFrame(const uint8_t* d, std::size_t length) {
    ArtNetFrame frame;
    if (d == nullptr || length < 10 || std::memcmp(d, kArtNetPacketId, sizeof kArtNetPacketId) != 0) return frame;
    frame.opCode = static_cast<uint16_t>(d[8] | (d[9] << 8));
    if (frame.opCode == kOpDmx) {
        frame.kind = parseDmxPacket(d, length, DmxProtocol::ArtNet, frame.data) ? ArtNetKind::Dmx : ArtNetKind::InvalidDmx;
    } else if (frame.opCode == kOpPollReply) {
        frame.kind = length >= kPollReplyMinimumLength ? ArtNetKind::PollReply : ArtNetKind::InvalidPollReply;
        if (frame.kind == ArtNetKind::PollReply) readPollReply(d, length, frame.reply);
    } else {
        frame.kind = ArtNetKind::OtherOpCode;
    }
    return frame;
}

int artNetReplyPortAddress(const ArtPollReplyInfo& reply, int port, bool input) {
    const uint8_t sw = input ? reply.swIn[static_cast<std::size_t>(port)] : reply.swOut[static_cast<std::size_t>(port)];
    return ((reply.netSwitch & 0x7F) << 8) | ((reply.subSwitch & 0x0F) << 4) | (sw & 0x0F);
}

std::array<uint8_t, kArtPollLength> buildArtPoll() {
    std::array<uint8_t, kArtPollLength> poll{};
    std::memcpy(poll.data(), kArtNetPacketId, sizeof kArtNetPacketId);
    poll[8] = static_cast<uint8_t>(kOpPoll & 0xFF);
    poll[9] = static_cast<uint8_t>(kOpPoll >> 8);
    poll[11] = kArtNetProtocolVersion;  // big-endian, high byte 0
    return poll;
}
