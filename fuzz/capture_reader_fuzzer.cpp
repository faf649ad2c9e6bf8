// The capture file reader and the replay plan over any bytes: libpcap reads them from a
// memory stream, every record goes through the plan as a replay's check does, and what
// comes out must hold together. A file never crashes, hangs or hands out bytes beyond
// its record.
#include <cstdio>

#include "core/packet_codec.h"
#include "core/pcapng_blocks.h"
#include "fuzz_target.h"
#include "net/capture/capture_reader.h"

namespace {

uint64_t skipped(const ReplayCounts& c) {
    return c.notIpv4 + c.notUdp + c.fragments + c.cutShort + c.damaged + c.otherPorts + c.notDmx;
}

std::string asText(const std::vector<uint8_t>& bytes) { return {bytes.begin(), bytes.end()}; }

std::vector<uint8_t> dmxPacket(DmxProtocol protocol) {
    DmxUniverseState state;
    state.protocol = protocol;
    const DmxPacket packet = buildDmxPacket(state);
    std::vector<uint8_t> ip;
    const uint16_t port = protocolPort(protocol);
    appendIpv4UdpPacket(ip, {{10, 0, 0, 2}, {239, 255, 0, 100}, port, port, {packet.begin(), packet.size()}});
    return ip;
}

}  // namespace

std::vector<std::string> fuzzSeeds() {
    std::vector<uint8_t> recording;
    appendSectionHeaderBlock(recording, "seed");
    appendInterfaceDescriptionBlock(recording, kLinkTypeRawIp, kRecordingSnapLength);
    appendEnhancedPacketBlock(recording, 1700000000000000, dmxPacket(DmxProtocol::Sacn));
    appendEnhancedPacketBlock(recording, 1700000000022000, dmxPacket(DmxProtocol::ArtNet));
    // The same packets over Ethernet, in a classic pcap file.
    std::vector<uint8_t> classic = {0xD4, 0xC3, 0xB2, 0xA1, 2, 0, 4, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 4, 0, 1, 0, 0, 0};
    for (DmxProtocol protocol : {DmxProtocol::Sacn, DmxProtocol::ArtNet}) {
        std::vector<uint8_t> frame = dmxPacket(protocol);
        const uint8_t ethernet[14] = {0xAA, 0xAA, 0xAA, 0xAA, 0xAA, 0xAA, 0xBB, 0xBB, 0xBB, 0xBB, 0xBB, 0xBB, 0x08, 0x00};
        frame.insert(frame.begin(), std::begin(ethernet), std::end(ethernet));
        const auto length = static_cast<uint32_t>(frame.size());
        for (uint32_t word : {1700000000u, 5000u, length, length}) {
            for (int i = 0; i < 4; ++i) classic.push_back(static_cast<uint8_t>(word >> (8 * i)));
        }
        classic.insert(classic.end(), frame.begin(), frame.end());
    }
    return {asText(recording), asText(classic)};
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size) {
    std::string bytes(reinterpret_cast<const char*>(data), size);  // fmemopen wants a writable buffer
    std::FILE* stream = fmemopen(bytes.data(), bytes.size(), "rb");
    if (stream == nullptr) return 0;  // an empty input on some C libraries
    ReplayPlan plan;
    std::string problem;
    int absurd = 0;
    const CaptureReadResult result = readCaptureStream(
        stream,
        [&](const CaptureRecordView& record) {
            UdpDatagramView datagram;
            const RecordUse use = takeCaptureRecord(plan, record, datagram);
            if (use == RecordUse::AbsurdTime) {
                ++absurd;
                return false;
            }
            if (use == RecordUse::Send) {
                FUZZ_CHECK(datagram.payload.data() >= record.frame.data());
                FUZZ_CHECK(datagram.payload.data() + datagram.payload.size() <= record.frame.data() + record.frame.size());
                FUZZ_CHECK(datagram.destinationPort == kSacnPort || datagram.destinationPort == kArtNetPort);
            }
            FUZZ_CHECK(record.frame.size() <= kLargestCaptureRecord);
            return true;
        },
        problem);
    FUZZ_CHECK(plan.counts.records == plan.counts.dmx + skipped(plan.counts));
    FUZZ_CHECK(absurd <= 1);  // the first absurd time stamp ends the reading
    FUZZ_CHECK(result == CaptureReadResult::Complete || !problem.empty());
    return 0;
}
