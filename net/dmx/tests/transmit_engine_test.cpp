// Sends, pulses and the 33 ms cadence on real sockets, with injected tick counts.
// Runs inside a private network namespace (lo only, multicast routed to lo).
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "engine_fixture.h"
#include "net/socket/tests/socket_helpers.h"

namespace {

// What a captured datagram carried: sequence, universe and slots 1 to 4; sequence -1 when
// nothing arrived or the datagram was no valid packet.
struct Captured {
    int sequence = -1;
    int universe = -1;
    std::vector<int> slots;
};

Captured decode(const std::vector<uint8_t>& packet, DmxProtocol protocol) {
    Captured out;
    DmxPacketInfo info;
    if (!parseDmxPacket(packet.data(), packet.size(), protocol, info)) return out;
    out.sequence = info.sequence;
    out.universe = info.universe;
    for (int slot = 1; slot <= 4; ++slot) out.slots.push_back(packet[static_cast<std::size_t>(info.dataOffset + slot - 1)]);
    return out;
}

struct Transmit : EngineFixture {
    Peer capture{"127.0.0.2", 5568};

    Transmit() {
        setField(kDmxLocalIpv4Field, "127.0.0.1");
        setField(kDmxTargetField, "127.0.0.2");
    }

    uint64_t sent() {
        const std::string line = firstStatusLine();
        return std::stoull(line.substr(line.find(" | TX ") + 6));
    }

    // Ticks every `step` ms from `first` through `last`; the tick counts at which a send happened.
    std::vector<uint64_t> tick(uint64_t first, uint64_t last, uint64_t step = 10) {
        std::vector<uint64_t> times;
        for (uint64_t now = first; now <= last; now += step) {
            const uint64_t before = sent();
            transmitTick(engine, state, view, now);
            if (sent() != before) times.push_back(now);
        }
        return times;
    }

    Captured next(DmxProtocol protocol = DmxProtocol::Sacn) { return decode(capture.next(), protocol); }

    void setLevels(const char* from, const char* to, const char* value, const char* ms = "200") {
        setField(kDmxFromField, from);
        setField(kDmxToField, to);
        setField(kDmxValueField, value);
        setField(kDmxPulseMsField, ms);
    }
};

TEST_F(Transmit, PulseSendsAtOnceRepeatsOnTheGridAndEndsOnTheFirstTickAtTheDeadline) {
    struct Case { const char* ms; uint64_t firstTick; std::vector<uint64_t> sends; };
    const Case cases[] = {
        {"200", 1010, {1040, 1070, 1100, 1140, 1170, 1200}},  // a tick falls on the deadline
        {"200", 1005, {1035, 1075, 1105, 1135, 1165, 1205}},  // none does: the zero send comes at 1205
        {"100", 1010, {1040, 1070, 1100}},
        {"30", 1010, {1030}},
    };
    int sequence = 0;
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.ms) + " ms, first tick " + std::to_string(c.firstTick));
        setLevels("1", "3", "255", c.ms);
        onPulseToZero(engine, state, view, 1000);
        EXPECT_EQ(message(), "");
        EXPECT_EQ(table.cell(3, kDmxOutputColumn), "255");
        EXPECT_EQ(tick(c.firstTick, 1500), c.sends);
        EXPECT_EQ(table.cell(3, kDmxOutputColumn), "0");
        for (std::size_t i = 0; i <= c.sends.size(); ++i) {
            const int level = i == c.sends.size() ? 0 : 255;
            const Captured packet = next();
            EXPECT_EQ(packet.sequence, ++sequence);
            EXPECT_EQ(packet.slots, (std::vector<int>{level, level, level, 0})) << "packet " << i;
        }
        stopTransmit(engine, state, view, 1600);
    }
}

TEST_F(Transmit, ContinuousCadenceKeepsTheGridAndCatchesUpOnceAfterAStall) {
    onContinuousTx(engine, state, view, 1000);
    EXPECT_EQ(table.texts[kDmxContinuousTxButton], "Stop continuous TX");
    EXPECT_EQ(table.networkFieldsEnabled(), 0);
    // The k-th send falls on the first tick at or after 1000 + 33k.
    std::vector<uint64_t> expected;
    for (uint64_t k = 1; 1000 + 33 * k <= 1990; ++k) expected.push_back((1000 + 33 * k + 9) / 10 * 10);
    EXPECT_EQ(tick(1010, 2000), expected);
    EXPECT_EQ(sent(), 1 + expected.size());

    // Stall: the tick at 2300 sends, the grid moves to 2267, so 2310 catches up once.
    EXPECT_EQ(tick(2300, 2400), (std::vector<uint64_t>{2300, 2310, 2340, 2370, 2400}));

    // A button send moves the grid: the cadence resumes 33 ms after it.
    setLevels("2", "2", "7");
    onSendValue(engine, state, view, 2415);
    EXPECT_EQ(tick(2420, 2460), (std::vector<uint64_t>{2450}));

    onContinuousTx(engine, state, view, 2470);
    EXPECT_EQ(table.texts[kDmxContinuousTxButton], "Continuous TX");
    EXPECT_EQ(table.networkFieldsEnabled(), 1) << "the transmit endpoint closed";
    EXPECT_EQ(tick(2480, 3000), std::vector<uint64_t>{});

    // Closed and unlocked: the next send validates the fields again.
    setField(kDmxUniverseField, "0");
    onSendValue(engine, state, view, 3010);
    EXPECT_EQ(message(), "Invalid universe: sACN 1–63999 / Art-Net 0–32767");
}

TEST_F(Transmit, AllToZeroDropsAPendingPulseAndStopTransmitEndsOneWithZeros) {
    setLevels("1", "2", "200", "300");
    onPulseToZero(engine, state, view, 1000);
    EXPECT_EQ(tick(1010, 1050), (std::vector<uint64_t>{1040}));
    onAllToZero(engine, state, view, 1055);
    EXPECT_EQ(tick(1060, 1600), std::vector<uint64_t>{}) << "no cadence and no separate end send";
    EXPECT_EQ(next().slots, (std::vector<int>{200, 200, 0, 0}));
    EXPECT_EQ(next().slots, (std::vector<int>{200, 200, 0, 0}));
    EXPECT_EQ(next().slots, (std::vector<int>{0, 0, 0, 0}));

    setLevels("3", "4", "90", "300");
    onPulseToZero(engine, state, view, 1700);
    EXPECT_EQ(message(), "") << "accepted at once after All to 0";
    stopTransmit(engine, state, view, 1750);
    EXPECT_EQ(sent(), 5u);
    EXPECT_EQ(next().slots, (std::vector<int>{0, 0, 90, 90}));
    EXPECT_EQ(next().slots, (std::vector<int>{0, 0, 0, 0}));
    EXPECT_EQ(table.cell(4, kDmxOutputColumn), "0");
    EXPECT_EQ(table.networkFieldsEnabled(), 1);
    EXPECT_EQ(tick(1760, 2200), std::vector<uint64_t>{});

    // With continuous on and no pulse, stopping sends nothing more.
    onContinuousTx(engine, state, view, 2300);
    stopTransmit(engine, state, view, 2310);
    EXPECT_EQ(sent(), 6u);
}

TEST_F(Transmit, MulticastTargetReachesTheUniverseGroupWithSacnOnly) {
    Peer member("239.255.1.44", 5568);
    ASSERT_TRUE(member.joinGroup("239.255.1.44"));
    setField(kDmxUniverseField, "300");
    setField(kDmxTargetField, "multicast");
    onSendValue(engine, state, view, 100);
    EXPECT_EQ(message(), "");
    const Captured packet = decode(member.next(), DmxProtocol::Sacn);
    EXPECT_EQ(packet.universe, 300);
    EXPECT_EQ(packet.sequence, 1);
    EXPECT_EQ(packet.slots, (std::vector<int>{255, 0, 0, 0}));
    resetNetwork(engine, state, view, 200);

    for (const char* target : {"multicast", "Multicast", "239.255.1.44 ", ""}) {
        setField(kDmxTargetField, target);
        table.selectors[kDmxProtocolSelector] = std::string(target) == "multicast" ? 1 : 0;
        onSendValue(engine, state, view, 300);
        EXPECT_EQ(message(), "Target: enter IPv4 or 'multicast' for sACN") << "'" << target << "'";
        EXPECT_EQ(sent(), 1u);
        resetNetwork(engine, state, view, 400);
    }
    EXPECT_EQ(state.sequence, 1) << "no packet was built for a rejected target";
}

TEST_F(Transmit, SequenceAdvancesOnlyWhenAPacketIsBuilt) {
    setField(kDmxTargetField, "nowhere");
    onSendValue(engine, state, view, 100);
    setField(kDmxTargetField, "127.0.0.2");
    resetNetwork(engine, state, view, 110);
    setField(kDmxLocalIpv4Field, "10.1.2.3");  // the endpoint cannot open
    onSendValue(engine, state, view, 120);
    EXPECT_EQ(message(), "UDP bind failed: " + std::to_string(socketErrorCode(SocketError::AddressNotAvailable)));
    setField(kDmxLocalIpv4Field, "127.0.0.1");
    onSendValue(engine, state, view, 130);
    onSendValue(engine, state, view, 140);
    EXPECT_EQ(next().sequence, 1);
    EXPECT_EQ(next().sequence, 2);
    // The counter is not reset by stopping: Art-Net continues it.
    resetNetwork(engine, state, view, 150);
    Peer artCapture("127.0.0.2", 6454);
    useArtNet();
    onSendValue(engine, state, view, 160);
    EXPECT_EQ(decode(artCapture.next(), DmxProtocol::ArtNet).sequence, 3);
}

TEST_F(Transmit, AFailedSendIsReportedAndContinuousStartsAnyway) {
    setField(kDmxTargetField, "10.0.0.1");  // no route in the namespace
    onContinuousTx(engine, state, view, 1000);
    EXPECT_EQ(message(), "Send failed: " + std::to_string(socketErrorCode(SocketError::NetworkUnreachable)));
    EXPECT_EQ(table.texts[kDmxContinuousTxButton], "Stop continuous TX");
    EXPECT_EQ(sent(), 0u);
    // The cadence keeps trying, on the grid, and the count stays.
    for (uint64_t now = 1010; now <= 1100; now += 10) transmitTick(engine, state, view, now);
    EXPECT_EQ(sent(), 0u);
    EXPECT_EQ(message(), "Send failed: " + std::to_string(socketErrorCode(SocketError::NetworkUnreachable)));
    EXPECT_EQ(state.sequence, 4) << "sends at 1000, 1040, 1070 and 1100 were built";

    // The next good send clears the message.
    stopTransmit(engine, state, view, 1200);
    setField(kDmxTargetField, "127.0.0.2");
    onSendValue(engine, state, view, 1300);
    EXPECT_EQ(message(), "");
    EXPECT_EQ(sent(), 1u);
}

}  // namespace
