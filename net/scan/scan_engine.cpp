#include "scan_engine.h"

#include <cmath>
#include <cstring>

#include "scan_events.h"

namespace {

uint64_t mix(uint64_t x) {  // splitmix64 finaliser
    x ^= x >> 30;
    x *= 0xBF58476D1CE4E5B9ULL;
    x ^= x >> 27;
    x *= 0x94D049BB133111EBULL;
    return x ^ (x >> 31);
}

void sizeIndex(StreamIndex& index, std::size_t capacity) {
    std::size_t size = 16;
    while (size < 2 * capacity) size *= 2;  // at most half full: short probe runs
    index.slots.assign(size, 0);
    index.mask = static_cast<uint32_t>(size - 1);
}

template <typename Record>
void sizeTable(ScanTable<Record>& table, std::size_t capacity) {
    table.records.clear();
    table.records.reserve(capacity);
    sizeIndex(table.index, capacity);
    table.untracked = 0;
}

uint32_t homeSlot(const StreamIndex& index, const StreamKey& key) {
    return static_cast<uint32_t>(mix(key.words[0] ^ mix(key.words[1] ^ mix(key.words[2])))) & index.mask;
}

// The record of key, added when it is new; null when the table is full.
template <typename Record>
Record* findOrAdd(ScanTable<Record>& table, const StreamKey& key, bool& added) {
    added = false;
    uint32_t slot = homeSlot(table.index, key);
    while (true) {
        const uint32_t entry = table.index.slots[slot];
        if (entry == 0) break;
        Record& record = table.records[entry - 1];
        if (record.key == key) return &record;
        slot = (slot + 1) & table.index.mask;
    }
    if (table.records.size() == table.records.capacity()) {
        ++table.untracked;
        return nullptr;
    }
    table.records.emplace_back();
    table.records.back().key = key;
    table.index.slots[slot] = static_cast<uint32_t>(table.records.size());
    added = true;
    return &table.records.back();
}

uint32_t slotHolding(const StreamIndex& index, const StreamKey& key, uint32_t entry) {
    uint32_t slot = homeSlot(index, key);
    while (index.slots[slot] != entry) slot = (slot + 1) & index.mask;
    return slot;
}

// Empties an index slot, moving later entries of its probe run back so that every entry
// stays reachable from its home slot (no tombstones to pile up in a long run).
template <typename Record>
void clearSlot(ScanTable<Record>& table, uint32_t hole) {
    StreamIndex& index = table.index;
    for (uint32_t next = (hole + 1) & index.mask; index.slots[next] != 0; next = (next + 1) & index.mask) {
        const uint32_t home = homeSlot(index, table.records[index.slots[next] - 1].key);
        if (((next - home) & index.mask) >= ((next - hole) & index.mask)) {
            index.slots[hole] = index.slots[next];
            hole = next;
        }
    }
    index.slots[hole] = 0;
}

// Removes a record: the last one takes its place, so positions are not stable across calls.
template <typename Record>
void eraseRecord(ScanTable<Record>& table, std::size_t position) {
    const auto entry = static_cast<uint32_t>(position + 1);
    clearSlot(table, slotHolding(table.index, table.records[position].key, entry));
    const std::size_t last = table.records.size() - 1;
    if (position != last) {
        const uint32_t moved = slotHolding(table.index, table.records[last].key, static_cast<uint32_t>(last + 1));
        table.records[position] = table.records[last];
        table.index.slots[moved] = entry;
    }
    table.records.pop_back();
}

template <typename Record, typename LastHeard>
void dropSilent(ScanTable<Record>& table, uint64_t nowUs, LastHeard lastHeard) {
    for (std::size_t i = table.records.size(); i-- > 0;) {
        if (isDueForDrop(lastHeard(table.records[i]), nowUs)) eraseRecord(table, i);
    }
}

uint64_t senderWord(Ipv4Address sender, uint32_t extra) {
    uint32_t address = 0;
    std::memcpy(&address, sender.bytes, 4);
    return address | (uint64_t{extra} << 32);
}

StreamKey cidKey(const uint8_t* cid, Ipv4Address sender, uint32_t extra) {
    StreamKey key;
    std::memcpy(&key.words[0], cid, 8);
    std::memcpy(&key.words[1], cid + 8, 8);
    key.words[2] = senderWord(sender, extra);
    return key;
}

void countArrival(StreamTiming& timing, uint64_t arrivalUs) {
    if (timing.packets > 0) {
        // Arrivals of one batch may carry the same stamp, and never run backwards.
        const uint64_t interval = arrivalUs > timing.lastUs ? arrivalUs - timing.lastUs : 0;
        if (interval > timing.maxIntervalUs) timing.maxIntervalUs = interval;
        timing.intervalSumUs += interval;
        timing.intervalSquaresSum += static_cast<double>(interval) * static_cast<double>(interval);
        addInterval(timing.intervals, interval, arrivalUs);
    } else {
        timing.firstUs = arrivalUs;
    }
    if (arrivalUs > timing.lastUs || timing.packets == 0) timing.lastUs = arrivalUs;
    ++timing.packets;
}

// How far current is ahead of last (negative: behind), on a ring of `size` numbers
// starting at `first`.
int sequenceDistance(uint8_t last, uint8_t current, int first, int size) {
    int d = ((current - first) - (last - first)) % size;
    if (d < 0) d += size;
    return d > size / 2 ? d - size : d;
}

// The one out-of-order rule for every ring: 0 to 19 behind.
bool isBehindWithinWindow(int distance) { return distance <= 0 && distance > -kSacnOutOfOrderWindow; }

// Sequence rules: a packet 0 to 19 behind is out of order and does not move the sequence
// on; a jump ahead by n skips n - 1 numbers; anything further behind restarts the count.
// Returns false for a packet a receiver would discard.
bool checkSequence(SequenceCheck& check, uint8_t current, int first, int size) {
    if (!check.seen) {
        check.seen = true;
        check.last = current;
        return true;
    }
    const int d = sequenceDistance(check.last, current, first, size);
    if (isBehindWithinWindow(d)) {
        ++check.outOfOrder;
        return false;
    }
    if (d > 1) check.skipped += static_cast<uint64_t>(d - 1);
    check.last = current;
    return true;
}

void copyText(char* to, const uint8_t* from, std::size_t width) { std::memcpy(to, from, width); }

void copySlots(std::array<uint8_t, kDmxSlotCount>& to, const uint8_t* datagram, const DmxPacketInfo& data) {
    std::memcpy(to.data(), datagram + data.dataOffset, static_cast<std::size_t>(data.slotCount));
    std::memset(to.data() + data.slotCount, 0, to.size() - static_cast<std::size_t>(data.slotCount));
}

// The stream's record takes a packet in order: what a receiver would output.
void updateSacnStream(SacnStreamRecord& stream, const SacnFrame& frame, const uint8_t* datagram, uint64_t arrivalUs) {
    copyText(stream.sourceName.data(), frame.sourceName, kSacnSourceNameLength);
    stream.priority = static_cast<uint8_t>(frame.data.priority);
    stream.syncUniverse = frame.syncUniverse;
    if (frame.kind == SacnKind::PerAddressPriority) {
        ++stream.perAddressPriorityPackets;
        copySlots(stream.perAddressPriorities, datagram, frame.data);
        stream.perAddressPrioritySlotCount = frame.data.slotCount;
        stream.lastPerAddressPriorityUs = arrivalUs;
        return;
    }
    stream.slotCount = frame.data.slotCount;
    copySlots(stream.levels, datagram, frame.data);
    stream.preview = (frame.options & kSacnOptionPreview) != 0;
    stream.previewSeen = stream.previewSeen || stream.preview;
    stream.endedTerminated = (frame.options & kSacnOptionStreamTerminated) != 0;
    stream.terminatedSeen = stream.terminatedSeen || stream.endedTerminated;
    countArrival(stream.timing, arrivalUs);
}

void takeSacnData(ScanEngine& scan, const SacnFrame& frame, const uint8_t* datagram, Ipv4Address sender, uint64_t arrivalUs,
                  Ipv4Address destination) {
    bool added = false;
    SacnStreamRecord* stream = findOrAdd(scan.sacn, cidKey(frame.cid, sender, static_cast<uint32_t>(frame.data.universe)), added);
    if (stream == nullptr) return;
    if (added) {
        std::memcpy(stream->cid.data(), frame.cid, kSacnCidLength);
        stream->sender = sender;
        stream->universe = static_cast<uint16_t>(frame.data.universe);
    }
    const SacnStreamBefore before = sacnStreamBefore(*stream);
    // One sequence per universe covers both start codes. A discarded packet still counts as
    // traffic, but its contents never reach what a receiver would output.
    const bool inOrder = checkSequence(stream->sequence, frame.sequence, 0, 256);
    if (arrivalUs > stream->lastPacketUs) stream->lastPacketUs = arrivalUs;
    if (inOrder) {
        updateSacnStream(*stream, frame, datagram, arrivalUs);
    } else if (frame.kind == SacnKind::PerAddressPriority) {
        ++stream->perAddressPriorityPackets;
    } else {
        countArrival(stream->timing, arrivalUs);
    }
    noteSacnData(scan, *stream, before, frame, added, inOrder, destination, arrivalUs);
}

void takeSacnSync(ScanEngine& scan, const SacnFrame& frame, Ipv4Address sender, uint64_t arrivalUs) {
    bool added = false;
    SacnSyncRecord* stream = findOrAdd(scan.sync, cidKey(frame.cid, sender, frame.syncUniverse), added);
    if (stream == nullptr) return;
    if (added) {
        std::memcpy(stream->cid.data(), frame.cid, kSacnCidLength);
        stream->sender = sender;
        stream->syncUniverse = frame.syncUniverse;
    }
    checkSequence(stream->sequence, frame.sequence, 0, 256);
    countArrival(stream->timing, arrivalUs);
    noteSacnSync(scan, *stream, arrivalUs);
}

void announce(AnnouncedUniverses& announced, std::size_t universe) {
    if (announced.universes.test(universe)) return;
    announced.universes.set(universe);
    ++announced.changes;
}

void takeSacnDiscovery(ScanEngine& scan, const SacnFrame& frame, Ipv4Address sender, uint64_t arrivalUs) {
    bool added = false;
    SacnDiscoveryRecord* source = findOrAdd(scan.discovery, cidKey(frame.cid, sender, 0), added);
    if (source == nullptr) return;
    if (added) {
        std::memcpy(source->cid.data(), frame.cid, kSacnCidLength);
        source->sender = sender;
    }
    ++source->packets;
    source->lastPacketUs = arrivalUs;
    copyText(source->sourceName.data(), frame.sourceName, kSacnSourceNameLength);
    source->lastPage = frame.lastPage;
    for (uint16_t i = 0; i < frame.universeCount; ++i) {
        const int universe = (frame.universeList[2 * i] << 8) | frame.universeList[2 * i + 1];
        if (universe < 1 || universe > 63999) continue;
        source->universes.set(static_cast<std::size_t>(universe));
        announce(scan.announced, static_cast<std::size_t>(universe));
    }
    noteDiscoveryPage(scan, frame, sender, arrivalUs);
}

void takeSacn(ScanEngine& scan, const uint8_t* data, std::size_t length, Ipv4Address sender, uint64_t arrivalUs,
              Ipv4Address destination) {
    const SacnFrame frame = readSacnFrame(data, length);
    ++scan.sacnKinds[static_cast<std::size_t>(frame.kind)];
    switch (frame.kind) {
        case SacnKind::Levels:
        case SacnKind::PerAddressPriority: takeSacnData(scan, frame, data, sender, arrivalUs, destination); break;
        case SacnKind::Sync: takeSacnSync(scan, frame, sender, arrivalUs); break;
        case SacnKind::Discovery: takeSacnDiscovery(scan, frame, sender, arrivalUs); break;
        case SacnKind::InvalidDiscovery:
            if (frame.page > frame.lastPage) noteDiscoveryPage(scan, frame, sender, arrivalUs);
            break;
        default: break;
    }
}

void takeArtDmx(ScanEngine& scan, const ArtNetFrame& frame, Ipv4Address sender, uint64_t arrivalUs) {
    StreamKey key;
    key.words[2] = senderWord(sender, static_cast<uint32_t>(frame.data.universe));
    bool added = false;
    ArtNetStreamRecord* stream = findOrAdd(scan.artNet, key, added);
    if (stream == nullptr) return;
    if (added) {
        stream->sender = sender;
        stream->portAddress = static_cast<uint16_t>(frame.data.universe);
    }
    stream->slotCount = frame.data.slotCount;
    // Art-Net counts 1 to 255 and 0 means the sender does not sequence.
    if (frame.data.sequence != 0) checkSequence(stream->sequence, static_cast<uint8_t>(frame.data.sequence), 1, 255);
    countArrival(stream->timing, arrivalUs);
    noteArtDmx(scan, *stream, arrivalUs);
}

void takePollReply(ScanEngine& scan, const ArtPollReplyInfo& reply, Ipv4Address sender, uint64_t arrivalUs) {
    StreamKey key;
    key.words[2] = senderWord(Ipv4Address{{reply.ip[0], reply.ip[1], reply.ip[2], reply.ip[3]}}, reply.bindIndex);
    bool added = false;
    ArtNetNodeRecord* node = findOrAdd(scan.nodes, key, added);
    if (node == nullptr) return;
    const uint64_t lastReplyUs = node->lastReplyUs;
    node->sender = sender;
    ++node->replies;
    node->lastReplyUs = arrivalUs;
    node->ip = reply.ip;
    node->bindIndex = reply.bindIndex;
    copyText(node->shortName.data(), reply.shortName, kArtNetShortNameLength);
    copyText(node->longName.data(), reply.longName, kArtNetLongNameLength);
    copyText(node->nodeReport.data(), reply.nodeReport, kArtNetNodeReportLength);
    node->style = reply.style;
    node->netSwitch = reply.netSwitch;
    node->subSwitch = reply.subSwitch;
    node->portCount = reply.portCount;
    node->portTypes = reply.portTypes;
    node->swIn = reply.swIn;
    node->swOut = reply.swOut;
    noteNodeReply(scan, *node, added, lastReplyUs, arrivalUs);
}

void countOpCode(ScanEngine& scan, uint16_t opCode) {
    for (OpCodeCount& entry : scan.otherOpCodes) {
        if (entry.opCode == opCode) {
            ++entry.packets;
            return;
        }
    }
    if (scan.otherOpCodes.size() == scan.opCodeCapacity) {
        ++scan.otherOpCodesUntracked;
        return;
    }
    scan.otherOpCodes.push_back({opCode, 1});
}

void takeArtNet(ScanEngine& scan, const uint8_t* data, std::size_t length, Ipv4Address sender, uint64_t arrivalUs) {
    const ArtNetFrame frame = readArtNetFrame(data, length);
    ++scan.artNetKinds[static_cast<std::size_t>(frame.kind)];
    switch (frame.kind) {
        case ArtNetKind::Dmx: takeArtDmx(scan, frame, sender, arrivalUs); break;
        case ArtNetKind::PollReply: takePollReply(scan, frame.reply, sender, arrivalUs); break;
        case ArtNetKind::OtherOpCode: countOpCode(scan, frame.opCode); break;
        default: break;
    }
}

}  // namespace

void startScan(ScanEngine& scan, uint64_t nowUs, const ScanCapacities& capacities) {
    scan.startUs = nowUs;
    scan.endUs = 0;
    scan.datagrams = 0;
    sizeTable(scan.sacn, capacities.sacnStreams);
    sizeTable(scan.sync, capacities.syncStreams);
    sizeTable(scan.discovery, capacities.discoverySources);
    sizeTable(scan.artNet, capacities.artNetStreams);
    sizeTable(scan.nodes, capacities.nodes);
    scan.sacnKinds.fill(0);
    scan.artNetKinds.fill(0);
    scan.otherOpCodes.clear();
    scan.otherOpCodes.reserve(capacities.opCodes);
    scan.opCodeCapacity = capacities.opCodes;
    scan.otherOpCodesUntracked = 0;
    scan.announced = AnnouncedUniverses();
    resetScanEventLog(scan.events);
    scan.conditions = ScanEventConditions();
    scan.conditions.order.reserve(capacities.sacnStreams);
    scan.conditions.sendersPerPortAddress.assign(32768, 0);
}

void takeScanDatagram(ScanEngine& scan, DmxProtocol port, const uint8_t* data, std::size_t length, Ipv4Address sender,
                      uint64_t arrivalUs, Ipv4Address destination) {
    ++scan.datagrams;
    if (port == DmxProtocol::Sacn) {
        takeSacn(scan, data, length, sender, arrivalUs, destination);
    } else {
        takeArtNet(scan, data, length, sender, arrivalUs);
    }
}

void finishScan(ScanEngine& scan, uint64_t nowUs) {
    checkScanEvents(scan, nowUs, false);
    scan.endUs = nowUs;
}

void expireScan(ScanEngine& scan, uint64_t nowUs) {
    checkScanEvents(scan, nowUs, true);
    dropSilent(scan.sacn, nowUs, [](const SacnStreamRecord& r) { return r.lastPacketUs; });
    dropSilent(scan.sync, nowUs, [](const SacnSyncRecord& r) { return r.timing.lastUs; });
    dropSilent(scan.discovery, nowUs, [](const SacnDiscoveryRecord& r) { return r.lastPacketUs; });
    dropSilent(scan.artNet, nowUs, [](const ArtNetStreamRecord& r) { return r.timing.lastUs; });
    dropSilent(scan.nodes, nowUs, [](const ArtNetNodeRecord& r) { return r.lastReplyUs; });
}

bool isSacnOutOfOrder(uint8_t last, uint8_t current) { return isBehindWithinWindow(sequenceDistance(last, current, 0, 256)); }

bool isSacnSourceLost(const SacnStreamRecord& stream, uint64_t endUs) {
    return sacnSourceState(stream, endUs) != SacnSourceState::Live;
}

SacnSourceState sacnSourceState(const SacnStreamRecord& stream, uint64_t nowUs) {
    if (stream.timing.packets == 0) return SacnSourceState::Live;  // only per-address priority was heard
    if (stream.endedTerminated) return SacnSourceState::Terminated;
    const bool silent = nowUs >= stream.timing.lastUs && nowUs - stream.timing.lastUs >= kSacnSourceLossUs;
    return silent ? SacnSourceState::Lost : SacnSourceState::Live;
}

const char* sacnSourceStateName(SacnSourceState state) {
    switch (state) {
        case SacnSourceState::Live: return "live";
        case SacnSourceState::Lost: return "lost";
        case SacnSourceState::Terminated: return "terminated";
    }
    return "";
}

bool isSyncArriving(const ScanEngine& scan, uint16_t syncUniverse, uint64_t nowUs) {
    for (const SacnSyncRecord& r : scan.sync.records) {
        if (r.syncUniverse == syncUniverse && nowUs >= r.timing.lastUs && nowUs - r.timing.lastUs < kSacnSourceLossUs) return true;
    }
    return false;
}

bool isArtNetNodeGone(const ArtNetNodeRecord& node, uint64_t nowUs) {
    return nowUs >= node.lastReplyUs && nowUs - node.lastReplyUs >= kArtNetNodeGoneUs;
}

// Protocol 0 in bits 0-5 is DMX512; the others are MIDI, Avab, CMX, ADB, Art-Net, DALI.
bool isDmxOutputPort(uint8_t portType) { return (portType & 0x80) != 0 && (portType & 0x3F) == 0; }
bool isDmxInputPort(uint8_t portType) { return (portType & 0x40) != 0 && (portType & 0x3F) == 0; }

double packetsPerSecond(const StreamTiming& timing) {
    if (timing.packets < 2 || timing.intervalSumUs == 0) return 0;
    return static_cast<double>(timing.packets - 1) * 1e6 / static_cast<double>(timing.intervalSumUs);
}

double meanIntervalMs(const StreamTiming& timing) {
    if (timing.packets < 2) return 0;
    return static_cast<double>(timing.intervalSumUs) / 1000.0 / static_cast<double>(timing.packets - 1);
}

double maxIntervalMs(const StreamTiming& timing) { return static_cast<double>(timing.maxIntervalUs) / 1000.0; }

double intervalJitterMs(const StreamTiming& timing) {
    if (timing.packets < 2) return 0;
    const double n = static_cast<double>(timing.packets - 1);
    const double meanUs = static_cast<double>(timing.intervalSumUs) / n;
    const double variance = timing.intervalSquaresSum / n - meanUs * meanUs;
    return variance > 0 ? std::sqrt(variance) / 1000.0 : 0;
}
