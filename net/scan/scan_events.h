#pragma once
// Where the scan's records turn into events (scan_event_log.h): the engine calls these as
// it takes each datagram, and at each expiry. A condition that begins between datagrams
// (a source falling silent, a conflict, a node gone) is found by the next expiry or the
// next datagram of its stream, whichever comes first, and dated when it began.
#include <cstdint>

#include "scan_engine.h"

inline constexpr uint64_t kSequenceReportPeriodUs = 1000000;  // at most one sequenceErrors a second per stream
inline constexpr uint64_t kArtNetMergeTimeoutUs = 10000000;   // a sender silent this long no longer takes part

// What a data packet's stream was before the packet changed it.
struct SacnStreamBefore {
    uint64_t levelPackets = 0;
    uint64_t lastLevelUs = 0;
    uint64_t lastPerAddressPriorityUs = 0;
    bool endedTerminated = false;
};
inline SacnStreamBefore sacnStreamBefore(const SacnStreamRecord& s) {
    return {s.timing.packets, s.timing.lastUs, s.lastPerAddressPriorityUs, s.endedTerminated};
}

// A level or 0xDD packet, after the stream took it. destination: where it was sent, zero
// where the platform does not say.
void noteSacnData(ScanEngine& scan, SacnStreamRecord& stream, const SacnStreamBefore& before, const SacnFrame& frame,
                  bool added, bool inOrder, Ipv4Address destination, uint64_t arrivalUs);
void noteSacnSync(ScanEngine& scan, const SacnSyncRecord& stream, uint64_t arrivalUs);
// A discovery page, or one refused for a page number beyond its last page.
void noteDiscoveryPage(ScanEngine& scan, const SacnFrame& frame, Ipv4Address sender, uint64_t arrivalUs);
void noteArtDmx(ScanEngine& scan, ArtNetStreamRecord& stream, uint64_t arrivalUs);
// After the node's record took the reply; lastReplyUs: the reply before it (0: none).
void noteNodeReply(ScanEngine& scan, ArtNetNodeRecord& node, bool added, uint64_t lastReplyUs, uint64_t arrivalUs);

// The conditions that begin or end with time, and the sources about to be dropped (as
// expireScan drops them when dropping is set).
void checkScanEvents(ScanEngine& scan, uint64_t nowUs, bool dropping);

// Whether a record last heard at lastUs leaves its table at nowUs.
bool isDueForDrop(uint64_t lastUs, uint64_t nowUs);

// The UTC time of an event, in milliseconds since 1970, for a scan that began at startUnixMs.
int64_t scanEventUnixMs(const ScanEngine& scan, int64_t startUnixMs, const ScanEvent& event);
