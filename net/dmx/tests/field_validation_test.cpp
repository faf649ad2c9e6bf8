// Network field checks and the transmit buttons' input checks. Nothing here gets as far
// as a socket: every case fails a check before an endpoint would be opened.
#include <gtest/gtest.h>

#include <string>

#include "engine_fixture.h"

namespace {

using FieldValidation = EngineFixture;
using TransmitInput = EngineFixture;

constexpr const char* kInvalidUniverse = "Invalid universe: sACN 1–63999 / Art-Net 0–32767";

TEST_F(FieldValidation, UniverseAndLocalAddress) {
    struct Case { int selector; std::string universe; std::string local; bool ok; int32_t stored; DmxProtocol protocol; const char* message; };
    const Case cases[] = {
        {0, "0", "0.0.0.0", false, 0, DmxProtocol::Sacn, kInvalidUniverse},
        {1, "0", "0.0.0.0", true, 0, DmxProtocol::ArtNet, ""},
        {0, "63999", "0.0.0.0", true, 63999, DmxProtocol::Sacn, ""},
        {1, "63999", "0.0.0.0", false, 63999, DmxProtocol::ArtNet, kInvalidUniverse},
        {0, "64000", "0.0.0.0", false, 64000, DmxProtocol::Sacn, kInvalidUniverse},
        {0, "32767", "0.0.0.0", true, 32767, DmxProtocol::Sacn, ""},
        {1, "32767", "0.0.0.0", true, 32767, DmxProtocol::ArtNet, ""},
        {1, "32768", "0.0.0.0", false, 32768, DmxProtocol::ArtNet, kInvalidUniverse},
        {0, "abc", "0.0.0.0", true, 100, DmxProtocol::Sacn, ""},
        {1, "", "0.0.0.0", true, 100, DmxProtocol::ArtNet, ""},
        {0, "12345678901", "0.0.0.0", true, 100, DmxProtocol::Sacn, ""},
        {0, " 12x", "0.0.0.0", true, 12, DmxProtocol::Sacn, ""},
        {0, "-5", "0.0.0.0", false, -5, DmxProtocol::Sacn, kInvalidUniverse},
        {1, "-5", "0.0.0.0", false, -5, DmxProtocol::ArtNet, kInvalidUniverse},
        {-1, "0", "0.0.0.0", true, 0, DmxProtocol::ArtNet, ""},  // no selection reads as Art-Net
        {0, "100", "1.2.3", false, 100, DmxProtocol::Sacn, "Invalid local IPv4"},
        {0, "100", "", false, 100, DmxProtocol::Sacn, "Invalid local IPv4"},
        {0, "100", "0.0.0.0 ", false, 100, DmxProtocol::Sacn, "Invalid local IPv4"},
        {0, "100", "256.1.1.1", false, 100, DmxProtocol::Sacn, "Invalid local IPv4"},
        {0, "100", " 127.0.0.1", false, 100, DmxProtocol::Sacn, "Invalid local IPv4"},
        {0, "100", "1.2.3.4.5", false, 100, DmxProtocol::Sacn, "Invalid local IPv4"},
        {0, "100", "0x7f.0.0.1", false, 100, DmxProtocol::Sacn, "Invalid local IPv4"},
        {0, "100", "\xEF\xBC\x91.2.3.4", false, 100, DmxProtocol::Sacn, "Invalid local IPv4"},  // full-width 1
        {0, "100", "255.255.255.255", true, 100, DmxProtocol::Sacn, ""},
        {0, "0", "bad", false, 0, DmxProtocol::Sacn, kInvalidUniverse},  // universe is checked first
    };
    for (const Case& c : cases) {
        engine.networkMessage.clear();
        table.selectors[kDmxProtocolSelector] = c.selector;
        setField(kDmxUniverseField, c.universe);
        setField(kDmxLocalIpv4Field, c.local);
        SCOPED_TRACE("universe '" + c.universe + "' local '" + c.local + "' selector " + std::to_string(c.selector));
        EXPECT_EQ(validateNetworkFields(engine, state, view), c.ok);
        EXPECT_EQ(state.universe, c.stored);
        EXPECT_EQ(state.protocol, c.protocol);
        EXPECT_EQ(message(), c.message);
    }
}

TEST_F(FieldValidation, SuccessKeepsTheEarlierMessage) {
    engine.networkMessage = "Send failed: 101";
    EXPECT_TRUE(validateNetworkFields(engine, state, view));
    EXPECT_EQ(message(), "Send failed: 101");
}

TEST_F(FieldValidation, FieldIntegerReadsOnlyWhatAWindowFieldHolds) {
    setField(kDmxUniverseField, std::string(254, ' ') + "7");
    EXPECT_EQ(fieldInteger(view, kDmxUniverseField, -1), 7);
    setField(kDmxUniverseField, std::string(255, ' ') + "7");  // the digit lies past the 255th character
    EXPECT_EQ(fieldInteger(view, kDmxUniverseField, -1), -1);
    setField(kDmxUniverseField, "2147483647");
    EXPECT_EQ(fieldInteger(view, kDmxUniverseField, -1), 2147483647);
    setField(kDmxUniverseField, "2147483648");
    EXPECT_EQ(fieldInteger(view, kDmxUniverseField, -1), -1);
    EXPECT_EQ(fieldInteger(view, 999, 42), 42) << "a control with no text";
}

TEST_F(TransmitInput, RangesOfFromToValueAndPulse) {
    // Local IPv4 that never converts: accepted input stops at the field check of the send.
    setField(kDmxLocalIpv4Field, "none");
    constexpr const char* kRejected = "Use channels 1–512, value 0–255 and pulse 30–60000 ms.";
    constexpr const char* kAccepted = "Invalid local IPv4";
    struct Case { std::string from, to, value, pulse; const char* message; };
    const Case cases[] = {
        {"5", "4", "255", "200", kRejected},
        {"1", "512", "0", "200", kAccepted},
        {"0", "1", "255", "200", kRejected},
        {"1", "513", "255", "200", kRejected},
        {"1", "1", "256", "200", kRejected},
        {"1", "1", "-1", "200", kRejected},
        {"1", "1", "", "200", kRejected},   // empty Value falls back to -1
        {"1", "1", "255", "29", kRejected},
        {"1", "1", "255", "60001", kRejected},
        {"1", "1", "255", "30", kAccepted},
        {"1", "1", "255", "60000", kAccepted},
        {"1", "1", "255", "", kAccepted},   // empty Pulse ms means 200
        {"", "1", "255", "200", kRejected},
        {" 7x", "7", "9", "200", kAccepted},
    };
    for (const bool pulse : {false, true}) {
        for (const Case& c : cases) {
            SCOPED_TRACE(std::string(pulse ? "Pulse " : "Send ") + c.from + ".." + c.to + " = " + c.value + " / " + c.pulse);
            onAllToZero(engine, state, view, 4000);  // drops the pulse an accepted case armed
            engine.networkMessage.clear();
            setField(kDmxFromField, c.from);
            setField(kDmxToField, c.to);
            setField(kDmxValueField, c.value);
            setField(kDmxPulseMsField, c.pulse);
            const long writesBefore = table.cellWrites;
            if (pulse) {
                onPulseToZero(engine, state, view, 5000);
            } else {
                onSendValue(engine, state, view, 5000);
            }
            EXPECT_EQ(message(), c.message);
            const bool accepted = std::string(c.message) == kAccepted;
            EXPECT_EQ(table.cellWrites - writesBefore, accepted ? 512 : 0);
            EXPECT_EQ(engine.pulseDeadline != 0, accepted && pulse);
            EXPECT_EQ(state.sequence, 0) << "nothing was sent";
        }
    }
    EXPECT_EQ(table.cell(7, kDmxOutputColumn), "9");
    EXPECT_EQ(table.cell(512, kDmxOutputColumn), "0");
}

TEST_F(TransmitInput, APendingPulseBlocksBothButtonsUntilDroppedOrDue) {
    // The pulse is armed even though its send could not open an endpoint.
    setField(kDmxLocalIpv4Field, "none");
    setField(kDmxFromField, "1");
    setField(kDmxToField, "3");
    onPulseToZero(engine, state, view, 1000);
    EXPECT_EQ(table.cell(3, kDmxOutputColumn), "255");

    setField(kDmxFromField, "10");
    setField(kDmxToField, "10");
    for (auto* button : {&onSendValue, &onPulseToZero}) {
        engine.networkMessage.clear();
        button(engine, state, view, 1100);
        EXPECT_EQ(message(), "Wait for the current pulse to finish.");
        EXPECT_EQ(table.cell(10, kDmxOutputColumn), "0");
    }
    // Invalid input is reported first, even while a pulse is pending.
    setField(kDmxValueField, "300");
    onSendValue(engine, state, view, 1100);
    EXPECT_EQ(message(), "Use channels 1–512, value 0–255 and pulse 30–60000 ms.");
    setField(kDmxValueField, "255");

    // All to 0 drops the pulse at once; the next pulse is accepted at once.
    onAllToZero(engine, state, view, 1150);
    EXPECT_EQ(table.cell(1, kDmxOutputColumn), "0");
    onPulseToZero(engine, state, view, 1160);
    EXPECT_EQ(message(), "Invalid local IPv4");
    EXPECT_EQ(table.cell(10, kDmxOutputColumn), "255");

    // Its end step comes with the first tick at or after the deadline, endpoint or not.
    transmitTick(engine, state, view, 1359);
    EXPECT_EQ(table.cell(10, kDmxOutputColumn), "255");
    transmitTick(engine, state, view, 1360);
    EXPECT_EQ(table.cell(10, kDmxOutputColumn), "0");
    engine.networkMessage.clear();
    onSendValue(engine, state, view, 1370);
    EXPECT_EQ(message(), "Invalid local IPv4") << "no pulse pending any more";
}

}  // namespace
