#pragma once
// Every datagram a --source run sends, built once: one buffer per universe for its levels
// (and one for its per-address priorities), the synchronisation packet and the discovery
// pages. Each frame then writes only the sequence numbers and the levels that change, in
// place, so sending a frame allocates nothing. Pure: the sender hands the ranges to the
// socket layer.
#include <cstddef>
#include <cstdint>
#include <vector>

#include "ipv4_address.h"
#include "source_settings.h"

struct SourceDatagram {
    uint8_t* data = nullptr;
    std::size_t length = 0;
    Ipv4Address to;
    uint16_t port = 0;
};

// Datagrams first .. first + count - 1 of SourceFrames::datagrams, in sending order.
struct DatagramRange {
    std::size_t first = 0;
    std::size_t count = 0;
};

struct SourceFrames {
    DmxProtocol protocol = DmxProtocol::Sacn;
    SourcePattern pattern;
    std::vector<uint16_t> universes;
    std::size_t slots = kDmxSlotCount;
    std::vector<uint8_t> storage;          // every datagram's bytes; never reallocated after the build
    std::vector<SourceDatagram> datagrams;  // [per-address priorities][levels][sync], each part possibly empty
    DatagramRange priorities;
    DatagramRange levels;
    DatagramRange sync;
    std::vector<uint8_t> discoveryStorage;
    std::vector<SourceDatagram> discovery;  // the pages, sACN with discovery only
    std::vector<uint8_t> sequences;         // per universe: the last sent, shared by levels and priorities
    uint8_t syncSequence = 0;
};

void buildSourceFrames(SourceFrames& frames, const SourceSettings& settings);

// Writes the levels at timeMs and the next sequence numbers; the priorities' packets only
// when withPriorities. The ranges to send, in order: priorities (maybe empty), levels, sync.
struct FrameRanges {
    DatagramRange priorities;
    DatagramRange levels;
    DatagramRange sync;
};
FrameRanges prepareSourceFrame(SourceFrames& frames, uint64_t timeMs, bool withPriorities);

// The level packets once more with the stream-terminated option and the next sequence
// numbers (sACN; E1.31 asks for three of them).
DatagramRange prepareTermination(SourceFrames& frames);

uint8_t* datagramBytes(SourceFrames& frames, std::size_t index);
