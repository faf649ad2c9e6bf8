#pragma once
// What changed on the network, as events: a ring of the latest kScanEventCapacity, each
// with the moment, the kind, the universe (or Port-Address) and who: a source (CID,
// sender, name) or a node (address, short name). Details are numbers, made text only when
// shown, so recording an event copies a few bytes and never allocates.
#include <array>
#include <bitset>
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "../../core/scan_codec.h"
#include "../../core/ipv4_address.h"

enum class ScanEventKind : uint8_t {
    SourceAppeared,
    SourceLost,
    SourceReturned,
    SourceTerminated,
    SourceDropped,
    PriorityChanged,
    PerAddressPriorityStarted,
    PerAddressPriorityStopped,
    PriorityConflict,
    PriorityConflictEnded,
    SequenceErrors,
    SyncMissing,
    SyncReturned,
    WrongGroup,
    BadDiscovery,
    NodeAppeared,
    NodeGone,
    ArtNetSendersExceeded,
};
inline constexpr int kScanEventKindCount = 18;

// The name documents, metrics and windows show: "sourceLost", …
const char* scanEventKindName(ScanEventKind kind);

enum class ScanEventSubject : uint8_t { SacnSource, ArtNetSender, ArtNetNode };

struct ScanEvent {
    uint64_t number = 0;  // 1 for the first event of a scan
    uint64_t atUs = 0;    // on the scan's clock: when the condition began
    ScanEventKind kind = ScanEventKind::SourceAppeared;
    ScanEventSubject subject = ScanEventSubject::SacnSource;
    uint16_t universe = 0;  // sACN universe, or Art-Net Port-Address; 0 for a node
    std::array<uint8_t, kSacnCidLength> cid{};   // zero for Art-Net
    Ipv4Address sender;                          // a node: the address it reports
    std::array<char, kSacnSourceNameLength> name{};  // a node: its short name
    std::array<uint32_t, 3> detail{};            // the kind's figures, see scanEventDetailText
};

inline constexpr std::size_t kScanEventCapacity = 10000;

struct ScanEventLog {
    std::vector<ScanEvent> ring;  // sized once; event n sits at (n - 1) % size
    uint64_t total = 0;           // events recorded, the newest's number
    std::array<uint64_t, kScanEventKindCount> perKind{};
};

void resetScanEventLog(ScanEventLog& log, std::size_t capacity = kScanEventCapacity);

// Takes the next number; the oldest event gives way when the ring is full.
ScanEvent& recordScanEvent(ScanEventLog& log, ScanEventKind kind, uint64_t atUs);

// Numbers of the events still held: oldest to total (none when oldest > total).
uint64_t oldestScanEventNumber(const ScanEventLog& log);
const ScanEvent& scanEventNumbered(const ScanEventLog& log, uint64_t number);
uint64_t droppedScanEvents(const ScanEventLog& log);  // recorded, and no longer held

// "priority 100 to 120", "3 sources at priority 100 on slot 5", … ("" when the kind has none).
std::string scanEventDetailText(const ScanEvent& event);
// The source's name, or "node NAME (ADDRESS)" and "ADDRESS" for Art-Net: who, in a line.
std::string scanEventWhoText(const ScanEvent& event);

// What a stream remembers of the sequence errors it reported: at most one report a second.
struct SequenceReport {
    bool made = false;
    uint64_t atUs = 0;
    uint64_t outOfOrder = 0;  // the stream's counts as of the last report
    uint64_t skipped = 0;
};

// What a source remembers of the events it gave, so that each is given once.
struct SourceEventState {
    bool lossReported = false;
    bool perAddressPriorityOn = false;
    bool levelsSeen = false;
    uint8_t levelPriority = 0;  // of the latest level packet
    Ipv4Address wrongGroup;     // the wrong group last reported; zero when none is
    SequenceReport sequence;
};

// Conditions that last, per universe or Port-Address, each reported when it begins (and,
// where a kind says so, when it ends); and the expiry's scratch space, sized once.
struct ScanEventConditions {
    std::bitset<64000> priorityConflict;
    std::bitset<64000> syncMissing;
    std::bitset<32768> sendersExceeded;
    std::bitset<64000> scratchUniverses;
    std::vector<uint32_t> order;
    std::vector<uint8_t> sendersPerPortAddress;
};
