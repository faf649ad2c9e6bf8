#include "replay_plan.h"

#include <algorithm>
#include <cstring>

#include "packet_codec.h"
#include "scan_codec.h"

namespace {

constexpr int64_t kSecondNs = 1000000000;
constexpr int64_t kLatestSecond = 7258118400;  // 2200-01-01
constexpr int64_t kLongestBackStepNs = kSecondNs;
constexpr int64_t kLongestGapNs = 86400 * kSecondNs;
constexpr int64_t kShortestWrapNs = 1000000;

bool startsWith(std::span<const uint8_t> payload, std::size_t at, const uint8_t* identifier, std::size_t length) {
    return payload.size() >= at + length && std::memcmp(payload.data() + at, identifier, length) == 0;
}

// An ACN root layer (sACN data, sync, discovery) to 5568, an Art-Net header to 6454.
bool isDmxDatagram(const UdpDatagramView& d) {
    if (d.destinationPort == kSacnPort) return startsWith(d.payload, 4, kAcnPacketIdentifier, sizeof kAcnPacketIdentifier);
    return startsWith(d.payload, 0, kArtNetPacketId, sizeof kArtNetPacketId);
}

// Checked before the stamp is reckoned in nanoseconds, which a later second would overflow.
bool isOutsideTheEra(const CaptureRecordView& record) {
    return record.seconds < 0 || record.seconds >= kLatestSecond || record.nanoseconds < 0 || record.nanoseconds >= kSecondNs;
}

bool isAbsurdStep(const ReplayPlan& plan, int64_t stampNs) {
    return plan.checkedAny && (stampNs < plan.previousNs - kLongestBackStepNs || stampNs > plan.previousNs + kLongestGapNs);
}

}  // namespace

int64_t recordStampNs(const CaptureRecordView& record) { return record.seconds * kSecondNs + record.nanoseconds; }

RecordUse takeCaptureRecord(ReplayPlan& plan, const CaptureRecordView& record, UdpDatagramView& datagram) {
    if (isOutsideTheEra(record)) return RecordUse::AbsurdTime;
    const int64_t stampNs = recordStampNs(record);
    if (isAbsurdStep(plan, stampNs)) return RecordUse::AbsurdTime;
    ReplayCounts& counts = plan.counts;
    ++counts.records;
    plan.checkedAny = true;
    plan.previousNs = stampNs;
    if (!record.link) {
        ++counts.notIpv4;
        return RecordUse::Skip;
    }
    switch (findUdpDatagram(*record.link, record.frame, datagram)) {
        case FrameContent::Udp: break;
        case FrameContent::NotIpv4: ++counts.notIpv4; return RecordUse::Skip;
        case FrameContent::NotUdp: ++counts.notUdp; return RecordUse::Skip;
        case FrameContent::Fragment: ++counts.fragments; return RecordUse::Skip;
        case FrameContent::CutShort: ++counts.cutShort; return RecordUse::Skip;
        case FrameContent::Damaged: ++counts.damaged; return RecordUse::Skip;
    }
    if (datagram.destinationPort != kSacnPort && datagram.destinationPort != kArtNetPort) {
        ++counts.otherPorts;
        return RecordUse::Skip;
    }
    if (!isDmxDatagram(datagram)) {
        ++counts.notDmx;
        return RecordUse::Skip;
    }
    ++counts.dmx;
    if (counts.dmx == 1) plan.firstNs = plan.latestNs = stampNs;
    plan.latestNs = std::max(plan.latestNs, stampNs);
    return RecordUse::Send;
}

std::optional<uint32_t> parseReplaySpeed(std::string_view text) {
    const std::size_t point = text.find('.');
    const std::string_view whole = text.substr(0, point);
    const std::string_view fraction = point == std::string_view::npos ? std::string_view() : text.substr(point + 1);
    if ((whole.empty() && fraction.empty()) || whole.size() > 3 || fraction.size() > 3) return std::nullopt;
    if (point != std::string_view::npos && fraction.empty()) return std::nullopt;
    uint32_t perMille = 0;
    for (char c : whole) {
        if (c < '0' || c > '9') return std::nullopt;
        perMille = perMille * 10 + static_cast<uint32_t>(c - '0');
    }
    perMille *= 1000;
    uint32_t scale = 100;
    for (char c : fraction) {
        if (c < '0' || c > '9') return std::nullopt;
        perMille += scale * static_cast<uint32_t>(c - '0');
        scale /= 10;
    }
    if (perMille < kMinSpeedPerMille || perMille > kMaxSpeedPerMille) return std::nullopt;
    return perMille;
}

uint64_t replayLoopUs(const ReplayPlan& plan, uint32_t speedPerMille) {
    const int64_t spanNs = plan.latestNs - plan.firstNs;
    const uint64_t sent = plan.counts.dmx;
    const int64_t wrapNs = sent > 1 ? spanNs / static_cast<int64_t>(sent - 1) : kSecondNs;
    // ns divided by thousandths of the speed gives microseconds.
    return static_cast<uint64_t>(spanNs + std::max(wrapNs, kShortestWrapNs)) / speedPerMille;
}

uint64_t replayDeadlineUs(const ReplayPlan& plan, uint32_t speedPerMille, uint64_t startUs, uint64_t loop, int64_t stampNs) {
    const int64_t offsetNs = std::max<int64_t>(0, stampNs - plan.firstNs);
    return startUs + loop * replayLoopUs(plan, speedPerMille) + static_cast<uint64_t>(offsetNs) / speedPerMille;
}
