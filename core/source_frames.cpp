#include "source_frames.h"

#include <cstring>

namespace {

constexpr std::size_t kDatagramStride = kSacnPacketLength;  // room for either protocol's largest packet

bool isSacn(const SourceFrames& frames) { return frames.protocol == DmxProtocol::Sacn; }

std::size_t levelOffset(const SourceFrames& frames) { return isSacn(frames) ? kSacnDataOffset : kArtNetDataOffset; }

PatternPlace placeOf(const SourceFrames& frames, std::size_t index) {
    return PatternPlace{index, frames.universes.size(), frames.universes[index], frames.slots};
}

// Where each datagram goes, and how many of each part there are.
void layOut(SourceFrames& frames, const SourceSettings& settings) {
    const std::size_t n = settings.universes.size();
    const bool sacn = isSacn(frames);
    frames.priorities = {0, sacn && settings.perAddressPriorities ? n : 0};
    frames.levels = {frames.priorities.count, n};
    frames.sync = {frames.levels.first + n, settings.syncUniverse != 0 ? 1u : 0u};
    frames.datagrams.resize(frames.sync.first + frames.sync.count);
    frames.storage.assign(frames.datagrams.size() * kDatagramStride, 0);
    for (std::size_t i = 0; i < frames.datagrams.size(); ++i) frames.datagrams[i].data = frames.storage.data() + i * kDatagramStride;
    const uint16_t port = sacn ? kSacnPort : kArtNetPort;
    for (std::size_t i = 0; i < n; ++i) {
        const Ipv4Address to = settings.target ? *settings.target : sacnGroupAddress(settings.universes[i]);
        frames.datagrams[frames.levels.first + i].to = to;
        frames.datagrams[frames.levels.first + i].port = port;
        if (frames.priorities.count > 0) frames.datagrams[i] = {frames.datagrams[i].data, 0, to, port};
    }
    if (frames.sync.count > 0) {
        SourceDatagram& sync = frames.datagrams[frames.sync.first];
        sync.to = settings.target ? *settings.target : sacnGroupAddress(settings.syncUniverse);
        sync.port = port;
    }
}

void buildSacn(SourceFrames& frames, const SourceSettings& settings) {
    SacnDataFields fields;
    fields.slots = settings.slots;
    fields.priority = settings.priority;
    fields.syncUniverse = settings.syncUniverse;
    fields.options = settings.preview ? kSacnOptionPreview : 0;
    for (std::size_t i = 0; i < frames.universes.size(); ++i) {
        fields.universe = frames.universes[i];
        fields.startCode = 0;
        frames.datagrams[frames.levels.first + i].length =
            writeSacnDataHeader(datagramBytes(frames, frames.levels.first + i), settings.cid, settings.name, fields);
        if (frames.priorities.count == 0) continue;
        fields.startCode = kSacnPerAddressPriorityStartCode;
        frames.datagrams[i].length = writeSacnDataHeader(datagramBytes(frames, i), settings.cid, settings.name, fields);
        std::memcpy(datagramBytes(frames, i) + kSacnDataOffset, settings.perAddressPriorities->data(), settings.slots);
    }
    if (frames.sync.count > 0) {
        writeSacnSyncPacket(datagramBytes(frames, frames.sync.first), settings.cid, 0, settings.syncUniverse);
        frames.datagrams[frames.sync.first].length = kSacnSyncPacketLength;
    }
}

void buildArtNet(SourceFrames& frames) {
    for (std::size_t i = 0; i < frames.universes.size(); ++i) {
        const std::size_t at = frames.levels.first + i;
        frames.datagrams[at].length = writeArtDmxHeader(datagramBytes(frames, at), frames.universes[i], frames.slots);
    }
    if (frames.sync.count > 0) {
        writeArtSync(datagramBytes(frames, frames.sync.first));
        frames.datagrams[frames.sync.first].length = kArtSyncLength;
    }
}

void buildDiscovery(SourceFrames& frames, const SourceSettings& settings) {
    const std::size_t pages = sacnDiscoveryPageCount(frames.universes.size());
    frames.discoveryStorage.assign(pages * kSacnDiscoveryPacketMaxLength, 0);
    const Ipv4Address group = sacnGroupAddress(kSacnDiscoveryUniverse);
    for (std::size_t page = 0; page < pages; ++page) {
        uint8_t* bytes = frames.discoveryStorage.data() + page * kSacnDiscoveryPacketMaxLength;
        const std::size_t length = writeSacnDiscoveryPage(bytes, settings.cid, settings.name, frames.universes.data(),
                                                          frames.universes.size(), page);
        frames.discovery.push_back({bytes, length, group, kSacnPort});
    }
}

void writeLevels(SourceFrames& frames, uint64_t timeMs) {
    const std::size_t offset = levelOffset(frames);
    const std::size_t first = frames.levels.first;
    if (patternIsShared(frames.pattern)) {
        uint8_t* model = datagramBytes(frames, first) + offset;
        fillPatternLevels(frames.pattern, placeOf(frames, 0), timeMs, model);
        for (std::size_t i = 1; i < frames.universes.size(); ++i) std::memcpy(datagramBytes(frames, first + i) + offset, model, frames.slots);
        return;
    }
    for (std::size_t i = 0; i < frames.universes.size(); ++i) {
        fillPatternLevels(frames.pattern, placeOf(frames, i), timeMs, datagramBytes(frames, first + i) + offset);
    }
}

uint8_t advance(SourceFrames& frames, std::size_t universe) {
    uint8_t& sequence = frames.sequences[universe];
    sequence = isSacn(frames) ? nextSacnSequence(sequence) : nextArtNetSequence(sequence);
    return sequence;
}

void writeSequences(SourceFrames& frames, bool withPriorities) {
    const std::size_t at = isSacn(frames) ? kSacnSequenceOffset : 12;
    for (std::size_t i = 0; i < frames.universes.size(); ++i) {
        if (withPriorities) datagramBytes(frames, frames.priorities.first + i)[at] = advance(frames, i);
        datagramBytes(frames, frames.levels.first + i)[at] = advance(frames, i);
    }
}

}  // namespace

uint8_t* datagramBytes(SourceFrames& frames, std::size_t index) { return frames.datagrams[index].data; }

void buildSourceFrames(SourceFrames& frames, const SourceSettings& settings) {
    frames = SourceFrames{};
    frames.protocol = settings.protocol;
    frames.pattern = settings.pattern;
    frames.universes = settings.universes;
    frames.slots = settings.slots;
    frames.sequences.assign(settings.universes.size(), 0);  // the first sent is 1, for either protocol
    layOut(frames, settings);
    if (isSacn(frames)) {
        buildSacn(frames, settings);
        if (settings.discovery) buildDiscovery(frames, settings);
    } else {
        buildArtNet(frames);
    }
    if (patternIsConstant(frames.pattern)) writeLevels(frames, 0);
}

FrameRanges prepareSourceFrame(SourceFrames& frames, uint64_t timeMs, bool withPriorities) {
    const bool priorities = withPriorities && frames.priorities.count > 0;
    if (!patternIsConstant(frames.pattern)) writeLevels(frames, timeMs);
    writeSequences(frames, priorities);
    if (frames.sync.count > 0) {
        frames.syncSequence = isSacn(frames) ? nextSacnSequence(frames.syncSequence) : 0;
        if (isSacn(frames)) datagramBytes(frames, frames.sync.first)[kSacnSyncSequenceOffset] = frames.syncSequence;
    }
    return FrameRanges{priorities ? frames.priorities : DatagramRange{}, frames.levels, frames.sync};
}

DatagramRange prepareTermination(SourceFrames& frames) {
    for (std::size_t i = 0; i < frames.universes.size(); ++i) {
        datagramBytes(frames, frames.levels.first + i)[kSacnOptionsOffset] |= kSacnOptionStreamTerminated;
    }
    writeSequences(frames, false);
    return frames.levels;
}
