#include "scan_events_json.h"

#include <algorithm>
#include <cstring>
#include <string_view>

#include "../core/utc_time.h"
#include "../net/scan/scan_events.h"
#include "scan_report.h"

namespace {

const char* subjectName(ScanEventSubject subject) {
    switch (subject) {
        case ScanEventSubject::SacnSource: return "sacnSource";
        case ScanEventSubject::ArtNetSender: return "artNetSender";
        case ScanEventSubject::ArtNetNode: return "artNetNode";
    }
    return "";
}

void eventObject(JsonWriter& json, const ScanEngine& scan, int64_t startUnixMs, const ScanEvent& e) {
    json.element();
    json.open('{');
    json.number("number", e.number);
    json.text("time", isoUtcText(scanEventUnixMs(scan, startUnixMs, e)));
    json.text("kind", scanEventKindName(e.kind));
    json.text("subject", subjectName(e.subject));
    json.number("universe", int{e.universe});
    const bool hasCid = std::any_of(e.cid.begin(), e.cid.end(), [](uint8_t b) { return b != 0; });
    json.text("cid", hasCid ? cidText(e.cid) : "");
    json.text("sender", e.sender == Ipv4Address{} ? "" : formatIpv4(e.sender));
    json.text("name", fieldText(e.name));
    json.text("detail", scanEventDetailText(e));
    json.close('}');
}

void eventObjects(JsonWriter& json, const ScanEngine& scan, int64_t startUnixMs, uint64_t afterNumber) {
    for (uint64_t n = std::max(afterNumber + 1, oldestScanEventNumber(scan.events)); n <= scan.events.total; ++n) {
        eventObject(json, scan, startUnixMs, scanEventNumbered(scan.events, n));
    }
}

}  // namespace

void scanEventMembers(JsonWriter& json, const ScanEngine& scan, int64_t startUnixMs, uint64_t afterNumber) {
    json.objectKey("events", '[');
    eventObjects(json, scan, startUnixMs, afterNumber);
    json.close(']');
    json.number("eventsDropped", droppedScanEvents(scan.events));
}

std::string scanEventList(const ScanEngine& scan, int64_t startUnixMs, uint64_t afterNumber) {
    JsonWriter json;
    json.open('[');
    eventObjects(json, scan, startUnixMs, afterNumber);
    json.close(']');
    return json.out;
}

std::string scanEventsDocument(const ScanEngine& scan, int64_t startUnixMs, uint64_t afterNumber) {
    JsonWriter json;
    json.open('{');
    json.number("total", scan.events.total);
    scanEventMembers(json, scan, startUnixMs, afterNumber);
    json.close('}');
    return json.out;
}
