// Opening and closing the endpoints, the field lock, Reset network and bind failures.
// Runs inside a private network namespace (lo only).
#include <gtest/gtest.h>

#include <string>

#include "engine_fixture.h"
#include "net/socket/tests/socket_helpers.h"

namespace {

using Endpoints = EngineFixture;

// "UDP bind failed: <code>" with the platform's code for the failure.
std::string bindFailure(SocketError error) { return "UDP bind failed: " + std::to_string(socketErrorCode(error)); }

TEST_F(Endpoints, FieldsLockWhileEitherEndpointIsOpenAndResetUnlocks) {
    Peer capture("127.0.0.1", 5568);  // the target of the sends below
    toggleReceive(engine, state, view);
    EXPECT_EQ(table.networkFieldsEnabled(), 0);

    // Transmit endpoint on the same address and port while receiving: address reuse.
    onSendValue(engine, state, view, 100);
    EXPECT_EQ(firstStatusLine(), "RX 0 | TX 1 | Rejected 0 | No signal yet");
    EXPECT_EQ(table.networkFieldsEnabled(), 0);
    toggleReceive(engine, state, view);  // Stop RX: the transmit endpoint still holds the lock
    EXPECT_EQ(table.texts[kDmxStartRxButton], "Start RX");
    EXPECT_EQ(table.networkFieldsEnabled(), 0);
    toggleReceive(engine, state, view);  // and the reverse order binds as well
    EXPECT_EQ(table.texts[kDmxStartRxButton], "Stop RX");
    EXPECT_EQ(message(), "");

    engine.networkMessage = "Send failed: 1";
    resetNetwork(engine, state, view, 200);
    EXPECT_EQ(table.networkFieldsEnabled(), 1);
    EXPECT_EQ(table.texts[kDmxStartRxButton], "Start RX");
    EXPECT_EQ(table.texts[kDmxContinuousTxButton], "Continuous TX");
    EXPECT_EQ(message(), "");
    EXPECT_EQ(firstStatusLine(), "RX 0 | TX 1 | Rejected 0 | No signal yet") << "counters survive a reset";

    // Only the transmit endpoint open locks the fields too.
    onSendValue(engine, state, view, 300);
    EXPECT_EQ(table.networkFieldsEnabled(), 0);
    resetNetwork(engine, state, view, 400);
    EXPECT_EQ(table.networkFieldsEnabled(), 1);
}

TEST_F(Endpoints, BindFailuresReportTheErrorCode) {
    // No interface of the namespace has this address.
    setField(kDmxLocalIpv4Field, "10.1.2.3");
    toggleReceive(engine, state, view);
    EXPECT_EQ(message(), bindFailure(SocketError::AddressNotAvailable));
    EXPECT_EQ(table.texts[kDmxStartRxButton], "Start RX");
    EXPECT_FALSE(table.enabled.count(kDmxUniverseField)) << "nothing opened, the lock was never touched";
    engine.networkMessage.clear();
    onSendValue(engine, state, view, 100);
    EXPECT_EQ(message(), bindFailure(SocketError::AddressNotAvailable));
    EXPECT_EQ(table.networkFieldsEnabled(), 1);
    EXPECT_EQ(state.sequence, 0);

    // A port held without address reuse, for both endpoints.
    setField(kDmxLocalIpv4Field, "127.0.0.1");
    const SocketHandle holder = openUdpSocket();
    ASSERT_TRUE(bindSocket(holder, ip("127.0.0.1"), 5568));
    toggleReceive(engine, state, view);
    EXPECT_EQ(message(), bindFailure(SocketError::AddressInUse));
    setField(kDmxLocalIpv4Field, "0.0.0.0");
    toggleReceive(engine, state, view);
    EXPECT_EQ(message(), bindFailure(SocketError::AddressInUse));
    onContinuousTx(engine, state, view, 100);
    EXPECT_EQ(message(), bindFailure(SocketError::AddressInUse));
    EXPECT_EQ(table.texts[kDmxContinuousTxButton], "Continuous TX") << "no endpoint: continuous stays off";
    closeSocket(holder);
}

TEST_F(Endpoints, ReceivingLeavesThePortsOtherAddressesToOtherPrograms) {
    // The command-line modes bind 127.0.0.3 without address reuse. They and the window's
    // receive endpoint coexist unless the window's Local IPv4 covers that address too.
    struct Case {
        bool artNet;
        const char* local;
        bool coexist;
    };
    const Case cases[] = {
        {false, "127.0.0.1", true},
        {true, "127.0.0.1", true},
        {false, "0.0.0.0", false},
        {true, "127.0.0.3", false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.artNet ? "Art-Net " : "sACN ") + c.local);
        table.selectors[kDmxProtocolSelector] = c.artNet ? 1 : 0;
        setField(kDmxLocalIpv4Field, c.local);
        const uint16_t port = c.artNet ? kArtNetPort : kSacnPort;
        // A program already there: Start RX binds beside it, or fails.
        SocketHandle other = openUdpSocket();
        ASSERT_TRUE(bindSocket(other, ip("127.0.0.3"), port));
        toggleReceive(engine, state, view);
        EXPECT_EQ(message(), c.coexist ? "" : bindFailure(SocketError::AddressInUse));
        EXPECT_EQ(table.texts[kDmxStartRxButton], c.coexist ? "Stop RX" : "Start RX");
        closeSocket(other);
        // The program starting while the window receives: it binds, or fails.
        resetNetwork(engine, state, view, 100);
        toggleReceive(engine, state, view);
        ASSERT_EQ(message(), "");
        other = openUdpSocket();
        EXPECT_EQ(bindSocket(other, ip("127.0.0.3"), port), c.coexist);
        closeSocket(other);
        resetNetwork(engine, state, view, 200);
    }
}

TEST_F(Endpoints, AFailedJoinKeepsReceivingUnicast) {
    // A multicast address is bindable but is no interface to join on.
    setField(kDmxLocalIpv4Field, "224.0.0.1");
    toggleReceive(engine, state, view);
    EXPECT_EQ(message(), "Multicast join failed; unicast RX remains active.");
    EXPECT_EQ(table.texts[kDmxStartRxButton], "Stop RX");
    EXPECT_EQ(table.networkFieldsEnabled(), 0);
}

TEST_F(Endpoints, InvalidFieldsOpenNothing) {
    setField(kDmxUniverseField, "0");
    toggleReceive(engine, state, view);
    EXPECT_EQ(message(), "Invalid universe: sACN 1–63999 / Art-Net 0–32767");
    EXPECT_EQ(table.texts[kDmxStartRxButton], "Start RX");
    EXPECT_FALSE(portIsBound(5568));
    onContinuousTx(engine, state, view, 100);
    EXPECT_EQ(table.texts[kDmxContinuousTxButton], "Continuous TX");
    EXPECT_FALSE(portIsBound(5568));
}

}  // namespace
