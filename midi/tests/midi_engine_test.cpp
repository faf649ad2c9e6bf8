// The engine through its view record, on the fake MIDI service (fake_midi_service.h):
// first with no MIDI system reachable, then with ports the fake lists.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "fake_midi_service.h"
#include "fake_midi_view.h"
#include "midi/midi_cli.h"
#include "midi/midi_control_ids.h"
#include "midi/midi_engine.h"

namespace {

const std::string kRangeNotice = "Use channel 1–16, number/value 0–127 and pulse 0–60000 ms.";

struct MidiEngineView : ::testing::Test {
    FakeMidiWindow window;
    MidiEngine engine;
    void SetUp() override {
        resetFakeMidiService();
        engine.view = makeFakeMidiView(window);
        fillInitialMidiPage(window);
        refreshMidiPorts(engine);
    }
    void TearDown() override { closeMidiPorts(engine); }
    void selectPort(int selector, int value) {
        window.selectors[selector].items.emplace_back(std::to_string(value) + " · gone", value);
        window.selectors[selector].selected = static_cast<int>(window.selectors[selector].items.size()) - 1;
    }
};

TEST_F(MidiEngineView, WithNoPortsEachSelectorHoldsOnlyThePlaceholder) {
    for (const int selector : {kMidiInputPortSelector, kMidiOutputPortSelector}) {
        const FakeSelector& s = window.selectors[selector];
        ASSERT_EQ(s.items.size(), 1u);
        EXPECT_EQ(s.items[0].first, "Select MIDI port …");
        EXPECT_EQ(s.items[0].second, -1);
        EXPECT_EQ(s.selected, 0);
    }
}

TEST_F(MidiEngineView, RefreshIsRefusedWhileAPortIsOpen) {
    int stand_in = 0;
    window.selectors[kMidiInputPortSelector].items.emplace_back("3 · kept", 3);
    engine.outputPort = reinterpret_cast<MidiOutputPort*>(&stand_in);  // never dereferenced by refresh
    refreshMidiPorts(engine);
    engine.outputPort = nullptr;
    EXPECT_EQ(engine.notice, "Close MIDI ports first.");
    EXPECT_EQ(window.selectors[kMidiInputPortSelector].items.size(), 2u);
}

TEST_F(MidiEngineView, StatusTextIsRewrittenOnlyAfterMoreThan199Ms) {
    refreshMidiStatus(engine, 100);  // not more than 199 ms after the start value 0
    EXPECT_EQ(window.texts.count(kMidiStatusText), 0u);
    refreshMidiStatus(engine, 1000);
    EXPECT_EQ(window.texts[kMidiStatusText], "MIDI RX 0 | TX 0 | Rejected 0\r\n");
    engine.notice = "Select a MIDI input port.";
    engine.sentCount = 7;
    refreshMidiStatus(engine, 1199);
    EXPECT_EQ(window.texts[kMidiStatusText], "MIDI RX 0 | TX 0 | Rejected 0\r\n");
    refreshMidiStatus(engine, 1200);
    EXPECT_EQ(window.texts[kMidiStatusText], "MIDI RX 0 | TX 7 | Rejected 0\r\nSelect a MIDI input port.");
}

TEST_F(MidiEngineView, StartWithThePlaceholderSelectedAsksForAPort) {
    toggleMidiInput(engine);
    EXPECT_EQ(engine.notice, "Select a MIDI input port.");
    EXPECT_EQ(engine.inputPort, nullptr);
    EXPECT_EQ(window.texts.count(kMidiStartRxButton), 0u);
}

TEST_F(MidiEngineView, UnreachablePortsGiveTheServiceErrorNumber) {
    selectPort(kMidiInputPortSelector, 0);
    toggleMidiInput(engine);
    EXPECT_EQ(engine.notice, "MIDI input unavailable: " + std::to_string(kMidiErrorNoService));
    EXPECT_EQ(engine.inputPort, nullptr);
    EXPECT_EQ(window.texts.count(kMidiStartRxButton), 0u);

    selectPort(kMidiOutputPortSelector, 0);
    for (int attempt = 0; attempt < 2; ++attempt) {  // each click tries to open again
        engine.notice.clear();
        midiButton(engine, kMidiSendButton, clockAt(5000));
        EXPECT_EQ(engine.notice, "MIDI output unavailable: " + std::to_string(kMidiErrorNoService));
        EXPECT_EQ(engine.outputPort, nullptr);
        EXPECT_EQ(engine.pulseDeadline, 0u);
        EXPECT_EQ(engine.sentCount, 0u);
    }
}

TEST_F(MidiEngineView, FieldsAreCheckedBeforeAnythingIsSent) {
    struct Case {
        int button;
        const char* channel;
        const char* number;
        const char* value;
        const char* pulse;
        int type;
        bool inRange;
    };
    const Case cases[] = {
        {kMidiSendButton, "1", "60", "127", "200", 0, true},
        {kMidiSendButton, "16", "0", "0", "60000", 1, true},
        {kMidiSendButton, "5x", "60", "127", "0", 0, true},   // read like the standard conversion
        {kMidiSendButton, "1", "60", "127", "", 0, true},     // empty pulse counts as 200
        {kMidiSendButton, "0", "60", "127", "200", 0, false},
        {kMidiSendButton, "17", "60", "127", "200", 0, false},
        {kMidiSendButton, "", "60", "127", "200", 0, false},
        {kMidiSendButton, "1", "128", "127", "200", 0, false},
        {kMidiSendButton, "1", "", "127", "200", 0, false},
        {kMidiSendButton, "1", "60", "-1", "200", 0, false},
        {kMidiSendButton, "1", "60", "127", "60001", 0, false},
        {kMidiSendButton, "1", "60", "127", "-5", 0, false},
        {kMidiSendButton, "1", "5", "128", "200", 2, false},  // Program Change still checks the value
        {kMidiNoteOffButton, "1", "60", "", "200", 0, false},
        {kMidiAllNotesOffButton, "1", "60", "", "200", 0, false},
        {kMidiAllNotesOffButton, "1", "60", "0", "200", 0, true},
        {kMidiSendButton, "-2147483648", "60", "127", "200", 0, false},  // compared, not subtracted from
        {kMidiSendButton, "2147483647", "60", "127", "200", 0, false},
    };
    for (const Case& c : cases) {
        window.fields[kMidiChannelField] = c.channel;
        window.fields[kMidiNumberField] = c.number;
        window.fields[kMidiValueField] = c.value;
        window.fields[kMidiPulseField] = c.pulse;
        window.selectors[kMidiTypeSelector].selected = c.type;
        engine.notice.clear();
        midiButton(engine, c.button, clockAt(1000));
        // In range, the click gets as far as the output port, and none is chosen.
        EXPECT_EQ(engine.notice, c.inRange ? "Select a MIDI output port." : kRangeNotice)
            << c.button << " " << c.channel << "/" << c.number << "/" << c.value << "/" << c.pulse;
    }
}

TEST_F(MidiEngineView, ButtonsWaitForARunningPulse) {
    engine.pulseDeadline = 4000;
    for (const int button : {kMidiSendButton, kMidiNoteOffButton, kMidiAllNotesOffButton}) {
        engine.notice.clear();
        midiButton(engine, button, clockAt(1000));
        EXPECT_EQ(engine.notice, "Wait for the current MIDI pulse to finish.");
    }
    window.fields[kMidiValueField] = "";  // the range check comes first
    midiButton(engine, kMidiSendButton, clockAt(1000));
    EXPECT_EQ(engine.notice, kRangeNotice);
}

TEST_F(MidiEngineView, PulseEndsOnTheFirstTickAtOrAfterItsDeadline) {
    engine.pulseDeadline = 4000;
    engine.pendingRelease = packMidiMessage(0x80, 1, 60, 0);
    endMidiPulse(engine, 3999);
    EXPECT_EQ(engine.pulseDeadline, 4000u);
    EXPECT_TRUE(engine.notice.empty());
    endMidiPulse(engine, 4000);
    EXPECT_EQ(engine.pulseDeadline, 0u);
    EXPECT_EQ(engine.notice, "Select a MIDI output port.");  // the release took the normal send path
    engine.notice.clear();
    endMidiPulse(engine, 9000);  // nothing pending any more
    EXPECT_TRUE(engine.notice.empty());
}

TEST_F(MidiEngineView, CloseWithNothingOpenResetsOnlyPulseAndButton) {
    engine.pulseDeadline = 4000;
    engine.notice = "kept";
    engine.sentCount = 3;
    closeMidiPorts(engine);
    EXPECT_EQ(engine.pulseDeadline, 0u);
    EXPECT_EQ(window.texts[kMidiStartRxButton], "Start MIDI RX");
    EXPECT_EQ(engine.notice, "kept");
    EXPECT_EQ(engine.sentCount, 3u);
    // The Close MIDI ports button also empties the notice.
    handleMidiCommand(engine, kMidiCloseButton, clockAt(0));
    EXPECT_TRUE(engine.notice.empty());
}

// The command line's range checks, run in-process so that the sanitizer build sees the
// arithmetic; they come before the MIDI service is asked for ports (none answers here).
TEST(MidiCommandLineRanges, ExtremeNumbersEndWithTwoBeforeAnyPortIsListed) {
    const std::vector<std::vector<std::string>> cases = {
        {"--channel", "-2147483648"}, {"--channel", "2147483647"}, {"--number", "-2147483648"},
        {"--value", "-2147483648"},   {"--pulse", "-2147483648"},  {"--pulse", "2147483647"},
    };
    for (const std::vector<std::string>& options : cases) {
        ArgumentVector args = {"lumibox", "--midi-send", "--port", "0"};
        args.insert(args.end(), options.begin(), options.end());
        EXPECT_EQ(runMidiCommandLine(args), 2) << options[0] << " " << options[1];
    }
}

// With ports: what the fake service lists and records stands in for a device.
struct MidiEngineWithPorts : MidiEngineView {
    void SetUp() override {
        resetFakeMidiService();
        FakeMidiService& service = fakeMidiService();
        service.reachable = true;
        service.inputs = {"keys:out", std::nullopt, "pads:out"};
        service.outputs = {"synth:in"};
        engine.view = makeFakeMidiView(window);
        fillInitialMidiPage(window);
        refreshMidiPorts(engine);
    }
    void setFields(const char* channel, const char* number, const char* value, const char* pulse, int type) {
        setMidiFields(window, channel, number, value, pulse, type);
    }
};

TEST_F(MidiEngineWithPorts, SelectorsListPortsByServiceIndexSkippingUnreadableNames) {
    using Items = std::vector<std::pair<std::string, int>>;
    EXPECT_EQ(window.selectors[kMidiInputPortSelector].items,
              (Items{{"Select MIDI port …", -1}, {"0 · keys:out", 0}, {"2 · pads:out", 2}}));
    EXPECT_EQ(window.selectors[kMidiOutputPortSelector].items, (Items{{"Select MIDI port …", -1}, {"0 · synth:in", 0}}));
    EXPECT_EQ(window.selectors[kMidiInputPortSelector].selected, 0);
}

TEST_F(MidiEngineWithPorts, MonitorShowsRowsUntilStopped) {
    window.selectors[kMidiInputPortSelector].selected = 2;  // "2 · pads:out"
    handleMidiCommand(engine, kMidiStartRxButton, clockAt(0));
    ASSERT_NE(engine.inputPort, nullptr) << engine.notice;
    EXPECT_EQ(window.texts[kMidiStartRxButton], "Stop MIDI RX");
    EXPECT_EQ(fakeMidiService().startedInputs, 1);
    for (const uint32_t word : {0x7F3C90u, 0xF8u, 0x006307B2u}) deliverFakeMidiInput(word, 25);
    EXPECT_EQ(drainMidiInput(engine), 2u);  // the clock byte is not a channel message
    EXPECT_EQ(window.list, (std::deque<std::string>{"25 ms | Note On | Ch 1 | Nr 60 | Value 127",
                                                    "25 ms | CC | Ch 3 | Nr 7 | Value 99"}));
    handleMidiCommand(engine, kMidiStartRxButton, clockAt(0));
    EXPECT_EQ(engine.inputPort, nullptr);
    EXPECT_EQ(fakeMidiService().openInputs, 0);
    EXPECT_EQ(window.texts[kMidiStartRxButton], "Start MIDI RX");
    EXPECT_EQ(deliverFakeMidiInput(0x7F3C90u, 30), 0);
}

TEST_F(MidiEngineWithPorts, PulsesHeldNotesAndCloseLeaveNothingSounding) {
    window.selectors[kMidiOutputPortSelector].selected = 1;
    setFields("2", "61", "90", "0", 0);
    midiButton(engine, kMidiSendButton, clockAt(1000));  // held: pulse 0
    setFields("16", "62", "80", "0", 0);
    midiButton(engine, kMidiSendButton, clockAt(1000));  // held on the last channel
    setFields("1", "60", "100", "200", 0);
    midiButton(engine, kMidiSendButton, clockAt(1000));  // pulsed
    EXPECT_EQ(engine.pulseDeadline, 1200u);
    refreshMidiPorts(engine);
    EXPECT_EQ(engine.notice, "Close MIDI ports first.");
    endMidiPulse(engine, 1199);
    endMidiPulse(engine, 1200);
    setFields("1", "64", "100", "500", 0);
    midiButton(engine, kMidiSendButton, clockAt(2000));  // still running at close
    handleMidiCommand(engine, kMidiCloseButton, clockAt(2100));
    // The running pulse's release, then every held note off in key order, each on its own
    // channel: 0x3D91 (ch 2 note 61), 0x3E9F (ch 16 note 62), 0x4090 (ch 1 note 64, also
    // the pulsed note).
    EXPECT_EQ(fakeMidiService().sent, (std::vector<uint32_t>{0x5A3D91, 0x503E9F, 0x643C90, 0x003C80, 0x644090,
                                                             0x004080, 0x003D81, 0x003E8F, 0x004080}));
    EXPECT_EQ(engine.sentCount, 5u);  // what closing sends is not counted
    EXPECT_TRUE(engine.heldNotes.empty());
    EXPECT_EQ(fakeMidiService().openOutputs, 0);
    EXPECT_TRUE(engine.notice.empty());
}

TEST_F(MidiEngineWithPorts, ServiceRefusalsBecomeNoticesWithTheirNumbers) {
    struct Case {
        uint32_t FakeMidiService::*refusal;
        int button;
        const char* notice;
    };
    const Case cases[] = {
        {&FakeMidiService::openInputResult, kMidiStartRxButton, "MIDI input unavailable: "},
        {&FakeMidiService::openOutputResult, kMidiSendButton, "MIDI output unavailable: "},
        {&FakeMidiService::sendResult, kMidiNoteOffButton, "MIDI send failed: "},
    };
    window.selectors[kMidiInputPortSelector].selected = 1;
    window.selectors[kMidiOutputPortSelector].selected = 1;
    for (const Case& c : cases) {
        fakeMidiService().*c.refusal = kMidiErrorOpenFailed;
        handleMidiCommand(engine, c.button, clockAt(1000));
        EXPECT_EQ(engine.notice, c.notice + std::to_string(kMidiErrorOpenFailed));
        EXPECT_EQ(engine.inputPort, nullptr);
        EXPECT_EQ(engine.pulseDeadline, 0u);
        EXPECT_EQ(engine.sentCount, 0u);
        fakeMidiService().*c.refusal = 0;
    }
    closeMidiPorts(engine);  // the refused send left the output open
    window.selectors[kMidiOutputPortSelector].items.emplace_back("5 · gone", 5);
    window.selectors[kMidiOutputPortSelector].selected = 2;
    handleMidiCommand(engine, kMidiSendButton, clockAt(1000));
    EXPECT_EQ(engine.notice, "MIDI output unavailable: " + std::to_string(kMidiErrorBadPort));
}

}  // namespace
