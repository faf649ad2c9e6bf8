// The receive monitor's poll over scripted datagrams on both endpoints: counters, levels,
// the source status and the level cells checked against a model of the poll after every
// tick, including the 128-datagram budget, scoping by destination and receive errors.
#include <array>
#include <cstdio>

#include "core/packet_codec.h"
#include "fake_network.h"
#include "fuzz_packets.h"
#include "fuzz_target.h"
#include "net/dmx/dmx_network_engine.h"
#include "net/dmx/receive_endpoint.h"

namespace {

constexpr Ipv4Address kLocalChoices[] = {{{0, 0, 0, 0}}, {{127, 0, 0, 1}}, {{192, 0, 2, 10}}, {{10, 9, 9, 9}}};
constexpr Ipv4Address kDestinations[] = {{{127, 0, 0, 1}},   {{192, 0, 2, 10}}, {{192, 0, 2, 255}}, {{255, 255, 255, 255}},
                                         {{239, 255, 0, 100}}, {{10, 9, 9, 9}},   {{0, 0, 0, 0}},     {{127, 0, 0, 3}}};

struct ViewRecord {
    std::array<std::array<std::string, 3>, kDmxSlotCount> cells;
    int cellWrites = 0;
};

DmxView recordingView(ViewRecord& record) {
    DmxView view;
    view.fieldText = [](int) { return std::string(); };
    view.selectorIndex = [](int) { return 0; };
    view.setControlText = [](int, const std::string&) {};
    view.enableControl = [](int, bool) {};
    view.setCellText = [&record](int row, int column, const std::string& text) {
        FUZZ_CHECK(row >= 0 && row < kDmxSlotCount && column >= 0 && column < 3);
        record.cells[static_cast<std::size_t>(row)][static_cast<std::size_t>(column)] = text;
        ++record.cellWrites;
    };
    return view;
}

// What the monitor is expected to hold.
struct Model {
    uint64_t rx = 0, rejected = 0, lastReceive = 0;
    std::array<uint8_t, kDmxSlotCount> levels{};
    std::string sourceStatus = "No signal yet";
    std::array<uint8_t, kDmxSlotCount> shown{};  // what the Received (RX) column shows
    bool columnShown = false;
};


std::string expectedStatus(const FakeDatagram& d, const DmxPacketInfo& info, DmxProtocol protocol) {
    char text[160];
    std::snprintf(text, sizeof text, "%u.%u.%u.%u | U %d | Seq %d", d.sender.bytes[0], d.sender.bytes[1], d.sender.bytes[2],
                  d.sender.bytes[3], info.universe, info.sequence);
    std::string status = text;
    if (info.priority >= 0) status += " | Priority " + std::to_string(info.priority);
    if (protocol != DmxProtocol::Sacn) return status;
    const auto options = static_cast<uint8_t>(d.bytes[112]);
    if (options & 0x40) status += " | Stream ended";
    if (options & 0x80) status += " | Preview";
    const int sync = static_cast<uint8_t>(d.bytes[109]) << 8 | static_cast<uint8_t>(d.bytes[110]);
    if (sync != 0) status += " | Sync-Universe " + std::to_string(sync);
    return status;
}

// One poll of the model over copies of the queues; returns whether a packet was accepted.
bool modelPoll(Model& model, std::deque<FakeDatagram>& receiveQueue, std::deque<FakeDatagram>* transmitQueue,
               bool transmitUnicastOnly, const DmxUniverseState& state, uint64_t now) {
    int budget = kMaxDatagramsPerPoll;
    bool accepted = false;
    const auto drain = [&](std::deque<FakeDatagram>& queue, bool fromTransmit) {
        while (budget > 0 && !queue.empty()) {
            FakeDatagram d = queue.front();
            queue.pop_front();
            if (d.error) return;
            --budget;
            if (d.bytes.size() > kReceiveBufferSize) d.bytes.resize(kReceiveBufferSize);
            const bool unicastToHost = d.destination.address != Ipv4Address{} && d.destination.address == d.destination.localAddress;
            // The receive sockets take what the system hands them; from the transmit endpoint
            // sharing the port only unicast to this host, when receiving on every interface.
            if (fromTransmit && transmitUnicastOnly && !unicastToHost) continue;
            DmxPacketInfo info;
            if (!parseDmxPacket(reinterpret_cast<const uint8_t*>(d.bytes.data()), d.bytes.size(), state.protocol, info)) {
                ++model.rejected;
                continue;
            }
            if (info.universe != state.universe) continue;
            ++model.rx;
            model.lastReceive = now;
            model.levels.fill(0);
            for (int i = 0; i < info.slotCount; ++i) model.levels[static_cast<std::size_t>(i)] = static_cast<uint8_t>(d.bytes[static_cast<std::size_t>(info.dataOffset + i)]);
            model.sourceStatus = expectedStatus(d, info, state.protocol);
            accepted = true;
        }
    };
    drain(receiveQueue, false);
    if (transmitQueue) drain(*transmitQueue, true);
    return accepted;
}

FakeDatagram scriptedDatagram(FuzzReader& in, const DmxUniverseState& state) {
    FakeDatagram d;
    const uint8_t kind = in.byte();
    d.sender = Ipv4Address{{192, 0, 2, in.byte()}};
    d.destination.address = kDestinations[in.below(8)];
    d.destination.interfaceIndex = in.below(4);
    d.destination.localAddress = in.flag() ? d.destination.address : kDestinations[in.below(8)];
    switch (kind % 4) {
        case 0: d.bytes = in.text(); break;
        case 1: d.error = true; break;
        default: {
            DmxUniverseState sender = state;
            if (in.flag()) sender.universe = in.flag() ? state.universe + 1 : in.u16();
            if (in.flag()) sender.protocol = sender.protocol == DmxProtocol::Sacn ? DmxProtocol::ArtNet : DmxProtocol::Sacn;
            sender.sequence = in.byte();
            const uint8_t level = in.byte();
            for (std::size_t i = 0; i < sender.levels.size(); ++i) sender.levels[i] = static_cast<uint8_t>(level + i);
            d.bytes = builtPacket(sender, in.flag() ? kDmxSlotCount : static_cast<int>(in.below(513)));
            if (sender.protocol == DmxProtocol::Sacn) {
                d.bytes[112] = static_cast<char>(in.byte() & 0xC0);
                d.bytes[110] = static_cast<char>(in.below(3));
                d.bytes[108] = static_cast<char>(in.below(202));
            }
            // A few bytes past the packet, or up to an oversize datagram, are rejected.
            if (kind % 8 == 7) d.bytes.append(in.flag() ? 1 : 2000, '\0');
        }
    }
    return d;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size) {
    resetFakeNetwork();
    FuzzReader in(data, size);
    const uint8_t setup = in.byte();
    DmxUniverseState state;
    state.protocol = (setup & 1) ? DmxProtocol::ArtNet : DmxProtocol::Sacn;
    static constexpr int32_t kUniverses[] = {100, 1, 63999, 0, 32767};
    const uint8_t universeChoice = in.byte();
    state.universe = universeChoice < 250 ? kUniverses[universeChoice % 5] : in.u16();

    DmxNetworkEngine engine;
    engine.receiveEndpoint = openReceiveEndpoint(engine, state, kLocalChoices[(setup >> 2) & 3]);
    FUZZ_CHECK(engine.receiveEndpoint != kInvalidSocket);
    std::deque<FakeDatagram>& receiveQueue = fakeNetwork().sockets[engine.receiveEndpoint].incoming;
    std::deque<FakeDatagram>* transmitQueue = nullptr;
    if (setup & 2) {
        engine.transmitEndpoint = openUdpSocket();
        setReceiveDestination(engine.transmitEndpoint, true);
        setNonBlocking(engine.transmitEndpoint, true);
        transmitQueue = &fakeNetwork().sockets[engine.transmitEndpoint].incoming;
    }

    const std::size_t entries = in.below(48);
    for (std::size_t i = 0; i < entries && !in.empty(); ++i) {
        const bool toTransmit = transmitQueue != nullptr && in.flag();
        const FakeDatagram d = scriptedDatagram(in, state);
        const int copies = 1 + (in.byte() == 255 ? 150 : 0);  // now and then a flood past the budget
        for (int c = 0; c < copies; ++c) (toTransmit ? *transmitQueue : receiveQueue).push_back(d);
    }

    ViewRecord record;
    const DmxView view = recordingView(record);
    Model model;
    std::deque<FakeDatagram> modelReceive = receiveQueue;
    std::deque<FakeDatagram> modelTransmit = transmitQueue ? *transmitQueue : std::deque<FakeDatagram>{};
    uint64_t now = 5000;
    for (int tick = 0; tick < 4; ++tick, now += 10) {
        const int writesBefore = record.cellWrites;
        const bool accepted =
            modelPoll(model, modelReceive, transmitQueue ? &modelTransmit : nullptr, engine.receiveOnEveryInterface, state, now);
        pollReceive(engine, state, view, now);
        FUZZ_CHECK(engine.rxCount == model.rx);
        FUZZ_CHECK(engine.rejectedCount == model.rejected);
        FUZZ_CHECK(engine.lastReceiveTime == model.lastReceive);
        FUZZ_CHECK(engine.receivedLevels == model.levels);
        FUZZ_CHECK(engine.sourceStatus == model.sourceStatus);
        FUZZ_CHECK(receiveQueue.size() == modelReceive.size());
        if (transmitQueue) FUZZ_CHECK(transmitQueue->size() == modelTransmit.size());
        // The column is written whole once, then only the cells whose level changed.
        int expectedWrites = 0;
        if (accepted) {
            for (std::size_t row = 0; row < model.levels.size(); ++row) {
                if (!model.columnShown || model.levels[row] != model.shown[row]) ++expectedWrites;
            }
            model.shown = model.levels;
            model.columnShown = true;
        }
        FUZZ_CHECK(record.cellWrites - writesBefore == expectedWrites);
        if (accepted) {
            for (std::size_t row = 0; row < model.levels.size(); ++row) {
                FUZZ_CHECK(record.cells[row][1] == std::to_string(model.levels[row]));
            }
        }
    }
    closeSocket(engine.receiveEndpoint);
    closeSocket(engine.transmitEndpoint);
    return 0;
}

std::vector<std::string> fuzzSeeds() {
    std::vector<std::string> seeds;
    for (uint8_t setup : {0, 1, 2, 6, 8, 14}) {
        FuzzWriter seed;
        seed.byte(setup).byte(0).byte(6);
        // Each entry: [endpoint flag when there is a transmit endpoint], kind, sender, destination,
        // interface, same-local flag, then the packet choices, then the copies byte.
        for (uint8_t kind : {2, 3, 0, 1, 2, 7}) {
            if (setup & 2) seed.byte(kind & 1);
            seed.byte(kind).byte(20).byte(kind % 3).byte(2).byte(1);
            if (kind == 0) seed.text("not a packet");
            if (kind >= 2) seed.byte(0).byte(0).byte(7).byte(9).byte(1).byte(0xC0).byte(1).byte(100);
            seed.byte(kind == 3 ? 255 : 0);
        }
        seeds.push_back(seed.str());
    }
    return seeds;
}
