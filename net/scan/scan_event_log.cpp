#include "scan_event_log.h"

#include <cstring>

namespace {

constexpr const char* kKindNames[kScanEventKindCount] = {
    "sourceAppeared",   "sourceLost",         "sourceReturned",        "sourceTerminated",
    "sourceDropped",    "priorityChanged",    "perAddressPriorityStarted", "perAddressPriorityStopped",
    "priorityConflict", "priorityConflictEnded", "sequenceErrors",      "syncMissing",
    "syncReturned",     "wrongGroup",         "badDiscovery",          "nodeAppeared",
    "nodeGone",         "artNetSendersExceeded"};

std::string number(uint32_t n) { return std::to_string(n); }

std::string nameText(const ScanEvent& event) {
    return std::string(event.name.data(), strnlen(event.name.data(), event.name.size()));
}

}  // namespace

const char* scanEventKindName(ScanEventKind kind) { return kKindNames[static_cast<std::size_t>(kind)]; }

void resetScanEventLog(ScanEventLog& log, std::size_t capacity) {
    log.ring.assign(capacity, ScanEvent{});
    log.total = 0;
    log.perKind.fill(0);
}

ScanEvent& recordScanEvent(ScanEventLog& log, ScanEventKind kind, uint64_t atUs) {
    ++log.total;
    ++log.perKind[static_cast<std::size_t>(kind)];
    ScanEvent& event = log.ring[(log.total - 1) % log.ring.size()];
    event = ScanEvent{};
    event.number = log.total;
    event.atUs = atUs;
    event.kind = kind;
    return event;
}

uint64_t oldestScanEventNumber(const ScanEventLog& log) { return droppedScanEvents(log) + 1; }

const ScanEvent& scanEventNumbered(const ScanEventLog& log, uint64_t number) {
    return log.ring[(number - 1) % log.ring.size()];
}

uint64_t droppedScanEvents(const ScanEventLog& log) {
    return log.total > log.ring.size() ? log.total - log.ring.size() : 0;
}

std::string scanEventDetailText(const ScanEvent& event) {
    const auto& d = event.detail;
    switch (event.kind) {
        case ScanEventKind::SourceAppeared: return "priority " + number(d[0]);
        case ScanEventKind::SourceReturned: return "after " + number(d[0]) + " ms without level data";
        case ScanEventKind::PriorityChanged: return "priority " + number(d[0]) + " to " + number(d[1]);
        case ScanEventKind::PriorityConflict:
            return number(d[0]) + " sources at priority " + number(d[1]) + (d[2] != 0 ? " on slot " + number(d[2]) : "");
        case ScanEventKind::SequenceErrors:
            return number(d[0]) + " out of order, " + number(d[1]) + " skipped";
        case ScanEventKind::SyncMissing: return "named by universe " + number(d[0]);
        case ScanEventKind::WrongGroup:
            return "arrived on " + formatIpv4(Ipv4Address{{static_cast<uint8_t>(d[0] >> 24), static_cast<uint8_t>(d[0] >> 16),
                                                           static_cast<uint8_t>(d[0] >> 8), static_cast<uint8_t>(d[0])}});
        case ScanEventKind::BadDiscovery:
            return d[2] != 0 ? "page " + number(d[0]) + ": universe list not sorted"
                             : "page " + number(d[0]) + " after last page " + number(d[1]);
        case ScanEventKind::NodeAppeared:
        case ScanEventKind::NodeGone: return "bind index " + number(d[0]);
        case ScanEventKind::ArtNetSendersExceeded: return number(d[0]) + " senders";
        default: return "";
    }
}

std::string scanEventWhoText(const ScanEvent& event) {
    if (event.sender == Ipv4Address{}) return "";
    const std::string address = formatIpv4(event.sender);
    switch (event.subject) {
        case ScanEventSubject::SacnSource: return nameText(event) + " (" + address + ")";
        case ScanEventSubject::ArtNetSender: return address;
        case ScanEventSubject::ArtNetNode: return "node " + nameText(event) + " (" + address + ")";
    }
    return address;
}
