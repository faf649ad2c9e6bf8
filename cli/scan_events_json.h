#pragma once
// The scan's events as JSON: the `events` array of the scan document and the body of
// --serve's /events.json and the live page's latest events, one writer for all.
#include <cstdint>
#include <string>

#include "../core/json_writer.h"
#include "../net/scan/scan_engine.h"

// "events": the events held whose number is above afterNumber, oldest first; then
// "eventsDropped": how many the ring has let go. startUnixMs dates the scan's clock.
void scanEventMembers(JsonWriter& json, const ScanEngine& scan, int64_t startUnixMs, uint64_t afterNumber);

// [{…}, …]: the events held whose number is above afterNumber, oldest first.
std::string scanEventList(const ScanEngine& scan, int64_t startUnixMs, uint64_t afterNumber);

// {"total": …, "eventsDropped": …, "events": […]}: what /events.json?since=afterNumber answers.
std::string scanEventsDocument(const ScanEngine& scan, int64_t startUnixMs, uint64_t afterNumber);
