#pragma once
// The scan: every datagram heard on the sACN and Art-Net ports is classified and counted
// into flat tables, one record per stream (sACN source and universe, Art-Net sender and
// Port-Address), per synchronisation stream, per discovery source and per answering node.
// It runs for as long as its caller keeps feeding it: expireScan drops what has been
// silent for a minute, so the tables stay within the sizes startScan gave them. Taking a
// datagram never allocates. Times are microseconds, passed in by the caller.
#include <array>
#include <bitset>
#include <cstddef>
#include <cstdint>
#include <vector>

#include "../../core/dmx_universe_state.h"
#include "../../core/scan_codec.h"
#include "../socket/socket_layer.h"
#include "interval_histogram.h"
#include "scan_event_log.h"

constexpr uint64_t kSacnSourceLossUs = 2500000;  // E1.31 network data loss time-out
constexpr int kSacnOutOfOrderWindow = 20;
constexpr uint64_t kScanRecordDropUs = 60000000;  // a record silent this long leaves its table
constexpr uint64_t kArtNetNodeGoneUs = 10000000;  // a node that has not replied for this long is gone
constexpr std::size_t kSacnUniverseCount = 64000;  // universe numbers 1 to 63999 index bitsets

// Identity of a record in its table, compared as three words.
struct StreamKey {
    uint64_t words[3] = {0, 0, 0};
    friend bool operator==(const StreamKey&, const StreamKey&) = default;
};

// Open-addressed index from key to record position; sized once.
struct StreamIndex {
    std::vector<uint32_t> slots;  // 0 empty, else record position + 1
    uint32_t mask = 0;
};

// Arrival statistics of one stream.
struct StreamTiming {
    uint64_t packets = 0;
    uint64_t firstUs = 0;
    uint64_t lastUs = 0;
    uint64_t maxIntervalUs = 0;
    uint64_t intervalSumUs = 0;
    double intervalSquaresSum = 0;  // for the standard deviation of the intervals
    IntervalHistogram intervals;
};

struct SequenceCheck {
    bool seen = false;
    uint8_t last = 0;
    uint64_t outOfOrder = 0;  // packets the protocol's receiver would discard
    uint64_t skipped = 0;     // sequence numbers jumped over
};

struct SacnStreamRecord {
    StreamKey key;
    std::array<uint8_t, kSacnCidLength> cid{};
    Ipv4Address sender;
    uint16_t universe = 0;
    std::array<char, kSacnSourceNameLength> sourceName{};  // latest, as sent
    uint8_t priority = 0;
    uint16_t syncUniverse = 0;
    int32_t slotCount = 0;
    bool previewSeen = false;
    bool terminatedSeen = false;
    bool endedTerminated = false;  // the last level packet carried stream terminated
    bool preview = false;          // the last level packet asked for preview only
    uint64_t perAddressPriorityPackets = 0;
    uint64_t lastPacketUs = 0;  // any start code
    StreamTiming timing;        // level packets (null start code)
    SequenceCheck sequence;
    std::array<uint8_t, kDmxSlotCount> levels{};  // latest level packet; slotCount of them sent
    std::array<uint8_t, kDmxSlotCount> perAddressPriorities{};  // latest 0xDD packet
    int32_t perAddressPrioritySlotCount = 0;
    uint64_t lastPerAddressPriorityUs = 0;
    SourceEventState events;
};

// Where a source stands at a moment: live, silent for the loss time, or ended by a
// stream-terminated packet.
enum class SacnSourceState : uint8_t { Live, Lost, Terminated };

struct SacnSyncRecord {
    StreamKey key;
    std::array<uint8_t, kSacnCidLength> cid{};
    Ipv4Address sender;
    uint16_t syncUniverse = 0;
    StreamTiming timing;
    SequenceCheck sequence;
};

struct SacnDiscoveryRecord {
    StreamKey key;
    std::array<uint8_t, kSacnCidLength> cid{};
    Ipv4Address sender;
    std::array<char, kSacnSourceNameLength> sourceName{};
    uint64_t packets = 0;
    uint64_t lastPacketUs = 0;
    uint8_t lastPage = 0;
    std::bitset<64000> universes;  // every universe any page announced
};

struct ArtNetStreamRecord {
    StreamKey key;
    Ipv4Address sender;
    uint16_t portAddress = 0;
    int32_t slotCount = 0;
    StreamTiming timing;
    SequenceCheck sequence;  // 0 in a packet means the sender does not sequence
    SequenceReport sequenceReport;
};

// A node is one reported address and bind index: a host answering for two addresses, or
// for several port groups, is several nodes.
struct ArtNetNodeRecord {
    StreamKey key;
    Ipv4Address sender;
    uint64_t replies = 0;
    uint64_t lastReplyUs = 0;
    std::array<uint8_t, 4> ip{};
    uint8_t bindIndex = 0;
    std::array<char, kArtNetShortNameLength> shortName{};
    std::array<char, kArtNetLongNameLength> longName{};
    std::array<char, kArtNetNodeReportLength> nodeReport{};
    uint8_t style = 0;
    uint8_t netSwitch = 0;
    uint8_t subSwitch = 0;
    int portCount = 0;
    std::array<uint8_t, 4> portTypes{};
    std::array<uint8_t, 4> swIn{};
    std::array<uint8_t, 4> swOut{};
    bool goneReported = false;
};

struct OpCodeCount {
    uint16_t opCode = 0;
    uint64_t packets = 0;
};

template <typename Record>
struct ScanTable {
    std::vector<Record> records;  // capacity reserved by startScan, never exceeded
    StreamIndex index;
    uint64_t untracked = 0;  // datagrams that found the table full
};

struct ScanCapacities {
    std::size_t sacnStreams = 16384;
    std::size_t artNetStreams = 16384;
    std::size_t syncStreams = 1024;
    std::size_t discoverySources = 256;
    std::size_t nodes = 1024;
    std::size_t opCodes = 64;
};

// The universe numbers that E1.31 universe discovery has announced so far, from any source.
struct AnnouncedUniverses {
    std::bitset<kSacnUniverseCount> universes;
    uint64_t changes = 0;  // rises whenever a universe is announced for the first time
};

struct ScanEngine {
    uint64_t startUs = 0;
    uint64_t endUs = 0;
    uint64_t datagrams = 0;  // every datagram taken
    ScanTable<SacnStreamRecord> sacn;
    ScanTable<SacnSyncRecord> sync;
    ScanTable<SacnDiscoveryRecord> discovery;
    ScanTable<ArtNetStreamRecord> artNet;
    ScanTable<ArtNetNodeRecord> nodes;
    std::array<uint64_t, kSacnKindCount> sacnKinds{};
    std::array<uint64_t, kArtNetKindCount> artNetKinds{};
    std::vector<OpCodeCount> otherOpCodes;  // OtherOpCode datagrams by OpCode
    std::size_t opCodeCapacity = 0;
    uint64_t otherOpCodesUntracked = 0;
    AnnouncedUniverses announced;
    ScanEventLog events;  // what changed, newest last (scan_events.h)
    ScanEventConditions conditions;
};

// Sizes every table and starts the clock.
void startScan(ScanEngine& scan, uint64_t nowUs, const ScanCapacities& capacities = {});

// Classifies one datagram that reached the port of `port` and counts it. destination: the
// address it was sent to, where the platform says (a wrong multicast group shows there).
void takeScanDatagram(ScanEngine& scan, DmxProtocol port, const uint8_t* data, std::size_t length, Ipv4Address sender,
                      uint64_t arrivalUs, Ipv4Address destination = {});

// Ends the scan at nowUs, with the events that began by then.
void finishScan(ScanEngine& scan, uint64_t nowUs);

// Drops every record that has heard nothing for kScanRecordDropUs; call it as often as
// convenient (the loop does once a second). Counters of whole kinds keep rising. Events
// that begin with time (a source lost, a conflict, a node gone) are found here first.
void expireScan(ScanEngine& scan, uint64_t nowUs);

// E1.31: a packet whose sequence number is 0 to 19 behind the last accepted one is out of order.
bool isSacnOutOfOrder(uint8_t last, uint8_t current);

// Whether the source had sent no level data for 2.5 s when the scan ended, or ended its stream.
bool isSacnSourceLost(const SacnStreamRecord& stream, uint64_t endUs);
SacnSourceState sacnSourceState(const SacnStreamRecord& stream, uint64_t nowUs);
const char* sacnSourceStateName(SacnSourceState state);

// Whether sync packets for syncUniverse arrived within the loss time before nowUs.
bool isSyncArriving(const ScanEngine& scan, uint16_t syncUniverse, uint64_t nowUs);

bool isArtNetNodeGone(const ArtNetNodeRecord& node, uint64_t nowUs);
// Port types whose protocol bits (0-5) say DMX512; bit 7 output, bit 6 input.
bool isDmxOutputPort(uint8_t portType);
bool isDmxInputPort(uint8_t portType);

// Derived figures of a stream's timing: 0 when fewer than two packets arrived.
double packetsPerSecond(const StreamTiming& timing);
double meanIntervalMs(const StreamTiming& timing);
double maxIntervalMs(const StreamTiming& timing);
double intervalJitterMs(const StreamTiming& timing);  // standard deviation of the intervals
