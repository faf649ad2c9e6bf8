#include "scan_engine.h"

#include <cmath>
#include <cstring>

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

// The record of key, added when it is new; null when the table is full.
template <typename Record>
Record* findOrAdd(ScanTable<Record>& table, const StreamKey& key, bool& added) {
    added = false;
    uint32_t slot = static_cast<uint32_t>(mix(key.words[0] ^ mix(key.words[1] ^ mix(key.words[2])))) & table.index.mask;
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
void checkSequence(SequenceCheck& check, uint8_t current, int first, int size) {
    if (!check.seen) {
        check.seen = true;
        check.last = current;
        return;
    }
    const int d = sequenceDistance(check.last, current, first, size);
    if (isBehindWithinWindow(d)) {
        ++check.outOfOrder;
        return;
    }
    if (d > 1) check.skipped += static_cast<uint64_t>(d - 1);
    check.last = current;
}

void copyText(char* to, const uint8_t* from, std::size_t width) { std::memcpy(to, from, width); }

void takeSacnData(ScanEngine& scan, const SacnFrame& frame, Ipv4Address sender, uint64_t arrivalUs) {
    bool added = false;
    SacnStreamRecord* stream = findOrAdd(scan.sacn, cidKey(frame.cid, sender, static_cast<uint32_t>(frame.data.universe)), added);
    if (stream == nullptr) return;
    if (added) {
        std::memcpy(stream->cid.data(), frame.cid, kSacnCidLength);
        stream->sender = sender;
        stream->universe = static_cast<uint16_t>(frame.data.universe);
    }
    // One sequence per universe covers both start codes.
    checkSequence(stream->sequence, frame.sequence, 0, 256);
    copyText(stream->sourceName.data(), frame.sourceName, kSacnSourceNameLength);
    stream->priority = static_cast<uint8_t>(frame.data.priority);
    stream->syncUniverse = frame.syncUniverse;
    if (frame.kind == SacnKind::PerAddressPriority) {
        ++stream->perAddressPriorityPackets;
        return;
    }
    stream->slotCount = frame.data.slotCount;
    stream->previewSeen = stream->previewSeen || (frame.options & kSacnOptionPreview) != 0;
    stream->endedTerminated = (frame.options & kSacnOptionStreamTerminated) != 0;
    stream->terminatedSeen = stream->terminatedSeen || stream->endedTerminated;
    countArrival(stream->timing, arrivalUs);
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
}

void takeSacnDiscovery(ScanEngine& scan, const SacnFrame& frame, Ipv4Address sender) {
    bool added = false;
    SacnDiscoveryRecord* source = findOrAdd(scan.discovery, cidKey(frame.cid, sender, 0), added);
    if (source == nullptr) return;
    if (added) {
        std::memcpy(source->cid.data(), frame.cid, kSacnCidLength);
        source->sender = sender;
    }
    ++source->packets;
    copyText(source->sourceName.data(), frame.sourceName, kSacnSourceNameLength);
    source->lastPage = frame.lastPage;
    for (uint16_t i = 0; i < frame.universeCount; ++i) {
        const int universe = (frame.universeList[2 * i] << 8) | frame.universeList[2 * i + 1];
        if (universe >= 1 && universe <= 63999) source->universes.set(static_cast<std::size_t>(universe));
    }
}

void takeSacn(ScanEngine& scan, const uint8_t* data, std::size_t length, Ipv4Address sender, uint64_t arrivalUs) {
    const SacnFrame frame = readSacnFrame(data, length);
    ++scan.sacnKinds[static_cast<std::size_t>(frame.kind)];
    switch (frame.kind) {
        case SacnKind::Levels:
        case SacnKind::PerAddressPriority: takeSacnData(scan, frame, sender, arrivalUs); break;
        case SacnKind::Sync: takeSacnSync(scan, frame, sender, arrivalUs); break;
        case SacnKind::Discovery: takeSacnDiscovery(scan, frame, sender); break;
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
}

void takePollReply(ScanEngine& scan, const ArtPollReplyInfo& reply, Ipv4Address sender) {
    StreamKey key;
    key.words[2] = senderWord(sender, reply.bindIndex);
    bool added = false;
    ArtNetNodeRecord* node = findOrAdd(scan.nodes, key, added);
    if (node == nullptr) return;
    node->sender = sender;
    ++node->replies;
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
        case ArtNetKind::PollReply: takePollReply(scan, frame.reply, sender); break;
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
}

void takeScanDatagram(ScanEngine& scan, DmxProtocol port, const uint8_t* data, std::size_t length, Ipv4Address sender,
                      uint64_t arrivalUs) {
    ++scan.datagrams;
    if (port == DmxProtocol::Sacn) {
        takeSacn(scan, data, length, sender, arrivalUs);
    } else {
        takeArtNet(scan, data, length, sender, arrivalUs);
    }
}

void finishScan(ScanEngine& scan, uint64_t nowUs) { scan.endUs = nowUs; }

bool isSacnOutOfOrder(uint8_t last, uint8_t current) { return isBehindWithinWindow(sequenceDistance(last, current, 0, 256)); }

bool isSacnSourceLost(const SacnStreamRecord& stream, uint64_t endUs) {
    if (stream.timing.packets == 0) return false;  // only per-address priority was heard
    if (stream.endedTerminated) return true;
    return endUs >= stream.timing.lastUs && endUs - stream.timing.lastUs >= kSacnSourceLossUs;
}

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
