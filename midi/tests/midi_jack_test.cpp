// The service layer and the engine against a real JACK server (dummy driver), with our
// peer standing in for a device. Engine time is passed in; only arrival at the peer or
// at our callback is waited for.
#include <gtest/gtest.h>

#include <chrono>
#include <thread>
#include <vector>

#include "fake_midi_view.h"
#include "jack_peer.h"
#include "midi/midi_control_ids.h"
#include "midi/midi_engine.h"
#include "midi_test_ports.h"

namespace {

constexpr int kArrivalTimeoutMs = 3000;

uint32_t word(uint8_t b0, uint8_t b1 = 0, uint8_t b2 = 0) { return b0 | b1 << 8 | b2 << 16; }

std::vector<uint32_t> wordsOf(const std::vector<JackPeerEvent>& events) {
    std::vector<uint32_t> words;
    for (const JackPeerEvent& e : events) words.push_back(e.word);
    return words;
}

// Waits for a condition the MIDI thread makes true; false after the timeout.
template <typename Condition>
bool eventually(Condition condition) {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(kArrivalTimeoutMs);
    while (!condition()) {
        if (std::chrono::steady_clock::now() >= deadline) return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    return true;
}

struct MidiJack : ::testing::Test {
    JackPeer peer;
    FakeMidiWindow window;
    MidiEngine engine;

    void SetUp() override {
        ASSERT_TRUE(openJackPeer(peer, "peer", {"in"}, {"out"})) << "no JACK server: run through ctest";
        engine.view = makeFakeMidiView(window);
        fillInitialMidiPage(window);
        refreshMidiPorts(engine);
    }
    void TearDown() override {
        closeMidiPorts(engine);
        closeJackPeer(peer);
    }
    // Selects the selector entry whose text names the given port; false if none does.
    bool selectPortNamed(int selector, const std::string& name) {
        FakeSelector& s = window.selectors[selector];
        for (size_t i = 0; i < s.items.size(); ++i) {
            const std::string& text = s.items[i].first;
            if (text.size() >= name.size() && text.compare(text.size() - name.size(), name.size(), name) == 0) {
                s.selected = static_cast<int>(i);
                return true;
            }
        }
        return false;
    }
    void setFields(const char* channel, const char* number, const char* value, const char* pulse, int type) {
        window.fields[kMidiChannelField] = channel;
        window.fields[kMidiNumberField] = number;
        window.fields[kMidiValueField] = value;
        window.fields[kMidiPulseField] = pulse;
        window.selectors[kMidiTypeSelector].selected = type;
    }
};

TEST_F(MidiJack, SelectorsListThePeerPortsByServiceIndex) {
    for (const bool input : {true, false}) {
        const std::string name = input ? peerOutputName(peer, 0) : peerInputName(peer, 0);
        const int index = servicePortIndex(input, name);
        ASSERT_GE(index, 0) << name;
        const FakeSelector& s = window.selectors[input ? kMidiInputPortSelector : kMidiOutputPortSelector];
        bool listed = false;
        for (const auto& [text, value] : s.items)
            listed = listed || (text == std::to_string(index) + " · " + name && value == index);
        EXPECT_TRUE(listed) << name;
        EXPECT_EQ(s.selected, 0);
    }
}

TEST_F(MidiJack, NoteOnPulseIsReleasedByTheTickAtItsDeadline) {
    ASSERT_TRUE(selectPortNamed(kMidiOutputPortSelector, peerInputName(peer, 0)));
    setFields("1", "60", "127", "200", 0);
    midiButton(engine, kMidiSendButton, clockAt(10000));
    ASSERT_TRUE(waitForPeerEvents(peer, 1, kArrivalTimeoutMs));
    EXPECT_EQ(engine.pulseDeadline, 10200u);
    endMidiPulse(engine, 10199);
    midiButton(engine, kMidiNoteOffButton, clockAt(10199));
    EXPECT_EQ(engine.notice, "Wait for the current MIDI pulse to finish.");
    endMidiPulse(engine, 10200);
    ASSERT_TRUE(waitForPeerEvents(peer, 2, kArrivalTimeoutMs));
    EXPECT_EQ(wordsOf(peerEvents(peer)), (std::vector<uint32_t>{word(0x90, 0x3C, 0x7F), word(0x80, 0x3C, 0x00)}));
    EXPECT_EQ(engine.sentCount, 2u);
    EXPECT_TRUE(engine.heldNotes.empty());
    EXPECT_EQ(engine.pulseDeadline, 0u);
    EXPECT_TRUE(engine.notice.empty());
}

TEST_F(MidiJack, ControlChangeAndProgramChangeOnTheWire) {
    ASSERT_TRUE(selectPortNamed(kMidiOutputPortSelector, peerInputName(peer, 0)));
    setFields("2", "5", "0", "500", 2);  // Program Change: no pulse whatever the field says
    midiButton(engine, kMidiSendButton, clockAt(1000));
    EXPECT_EQ(engine.pulseDeadline, 0u);
    setFields("1", "7", "100", "500", 1);
    midiButton(engine, kMidiSendButton, clockAt(2000));
    endMidiPulse(engine, 2500);
    setFields("16", "1", "0", "0", 0);
    midiButton(engine, kMidiAllNotesOffButton, clockAt(3000));
    ASSERT_TRUE(waitForPeerEvents(peer, 4, kArrivalTimeoutMs));
    const std::vector<JackPeerEvent> events = peerEvents(peer);
    EXPECT_EQ(wordsOf(events), (std::vector<uint32_t>{word(0xC1, 5), word(0xB0, 7, 100), word(0xB0, 7, 0),
                                                      word(0xBF, 123, 0)}));
    EXPECT_EQ(events[0].size, 2u);  // Program Change goes out as two bytes
    EXPECT_EQ(engine.sentCount, 4u);
}

TEST_F(MidiJack, CloseSendsThePulseReleaseThenEveryHeldNoteOffInKeyOrder) {
    ASSERT_TRUE(selectPortNamed(kMidiOutputPortSelector, peerInputName(peer, 0)));
    setFields("2", "61", "90", "0", 0);
    midiButton(engine, kMidiSendButton, clockAt(1000));  // held: channel 2 note 61
    setFields("1", "62", "90", "0", 0);
    midiButton(engine, kMidiSendButton, clockAt(1000));  // held, then switched off again below
    setFields("1", "60", "90", "0", 0);
    midiButton(engine, kMidiSendButton, clockAt(1000));
    midiButton(engine, kMidiSendButton, clockAt(1000));  // the same note twice is held once
    setFields("1", "62", "0", "0", 0);
    midiButton(engine, kMidiNoteOffButton, clockAt(1000));
    setFields("1", "64", "100", "500", 0);
    midiButton(engine, kMidiSendButton, clockAt(1000));  // a pulse still running at close
    ASSERT_TRUE(waitForPeerEvents(peer, 6, kArrivalTimeoutMs));
    const uint64_t sentBefore = engine.sentCount;

    closeMidiPorts(engine);
    ASSERT_TRUE(waitForPeerEvents(peer, 10, kArrivalTimeoutMs));
    std::vector<uint32_t> words = wordsOf(peerEvents(peer));
    words.erase(words.begin(), words.begin() + 6);
    // Keys in ascending order: 0x3C90 (ch 1 note 60) < 0x3D91 (ch 2 note 61) < 0x4090 (ch 1 note 64).
    EXPECT_EQ(words, (std::vector<uint32_t>{word(0x80, 64, 0), word(0x80, 60, 0), word(0x81, 61, 0), word(0x80, 64, 0)}));
    EXPECT_EQ(engine.sentCount, sentBefore);
    EXPECT_TRUE(engine.heldNotes.empty());
    EXPECT_EQ(engine.outputPort, nullptr);
    EXPECT_EQ(engine.pulseDeadline, 0u);
}

TEST_F(MidiJack, MonitorListsChannelMessagesWithTimeSinceStart) {
    ASSERT_TRUE(selectPortNamed(kMidiInputPortSelector, peerOutputName(peer, 0)));
    toggleMidiInput(engine);
    ASSERT_NE(engine.inputPort, nullptr) << engine.notice;
    EXPECT_EQ(window.texts[kMidiStartRxButton], "Stop MIDI RX");
    for (const std::vector<uint8_t>& bytes : std::vector<std::vector<uint8_t>>{
             {0x90, 60, 127}, {0xF8}, {0xB2, 7, 99}, {0xFE}, {0x90, 60, 0}, {0xE0, 0, 64}})
        ASSERT_TRUE(sendFromPeer(peer, 0, bytes));
    ASSERT_TRUE(eventually([&] { return engine.inFlight.load() == 4; }));
    EXPECT_EQ(drainMidiInput(engine), 4u);
    ASSERT_EQ(window.list.size(), 4u);
    const char* expected[] = {" ms | Note On | Ch 1 | Nr 60 | Value 127", " ms | CC | Ch 3 | Nr 7 | Value 99",
                              " ms | Note Off (V0) | Ch 1 | Nr 60 | Value 0", " ms | MIDI | Ch 1 | Nr 0 | Value 64"};
    for (size_t i = 0; i < 4; ++i) {
        const std::string& row = window.list[i];
        const size_t digits = row.find(' ');
        EXPECT_EQ(row.substr(digits), expected[i]);
        EXPECT_LT(std::stoul(row), 10000u) << "milliseconds since the port was started";
    }
    EXPECT_EQ(engine.receivedCount, 4u);
    EXPECT_EQ(engine.dropped.load(), 0u);
    toggleMidiInput(engine);
    EXPECT_EQ(engine.inputPort, nullptr);
    EXPECT_EQ(window.texts[kMidiStartRxButton], "Start MIDI RX");
}

TEST_F(MidiJack, BurstOf600OverJackGives512ShownAnd88Dropped) {
    ASSERT_TRUE(selectPortNamed(kMidiInputPortSelector, peerOutputName(peer, 0)));
    toggleMidiInput(engine);
    ASSERT_NE(engine.inputPort, nullptr) << engine.notice;
    for (uint32_t i = 0; i < 600; ++i)
        ASSERT_TRUE(sendFromPeer(peer, 0, {0x90, static_cast<uint8_t>(i % 128), static_cast<uint8_t>(1 + i / 128)}));
    ASSERT_TRUE(eventually([&] { return engine.inFlight.load() + engine.dropped.load() == 600; }));
    // Stopping with messages in flight: they are still shown.
    toggleMidiInput(engine);
    EXPECT_EQ(drainMidiInput(engine), 512u);
    EXPECT_EQ(engine.receivedCount, 512u);
    EXPECT_EQ(engine.dropped.load(), 88u);
    ASSERT_EQ(window.list.size(), 500u);
    const size_t cut = window.list.back().find(" | ");
    EXPECT_EQ(window.list.back().substr(cut), " | Note On | Ch 1 | Nr 127 | Value 4");  // message 511
}

TEST_F(MidiJack, ServiceRefusesBadIndexesAndNonShortMessages) {
    // Our own input port, registered by the engine, is another JACK input port on the server.
    ASSERT_TRUE(selectPortNamed(kMidiInputPortSelector, peerOutputName(peer, 0)));
    toggleMidiInput(engine);
    ASSERT_NE(engine.inputPort, nullptr) << engine.notice;
    std::string ownInput;
    for (const std::string& name : serverPortNames(peer, JackPortIsInput))
        if (name.rfind("lumibox", 0) == 0) ownInput = name;
    ASSERT_FALSE(ownInput.empty()) << "the engine's input port is not on the server";
    EXPECT_EQ(servicePortIndex(false, ownInput), -1) << "our own port is listed";

    struct Refused {
        const char* what;
        bool input;
        uint32_t index;
        std::string name;
    };
    const Refused refused[] = {
        {"input index out of range", true, 100000, ""},
        {"output index out of range", false, 100000, ""},
        {"listed port gone", false, 0, "peer:gone"},
        {"listed output is an input", false, 0, peerOutputName(peer, 0)},
        {"listed input is an output", true, 0, peerInputName(peer, 0)},
        {"our own port", false, 0, ownInput},
    };
    for (const Refused& r : refused) {
        MidiInputPort* input = nullptr;
        MidiOutputPort* output = nullptr;
        const uint32_t result = r.input ? openMidiInput(r.index, r.name, onMidiInputFromService, &engine, &input)
                                        : openMidiOutput(r.index, r.name, &output);
        EXPECT_EQ(result, kMidiErrorBadPort) << r.what;
        EXPECT_EQ(input, nullptr) << r.what;
        EXPECT_EQ(output, nullptr) << r.what;
    }

    MidiOutputPort* output = nullptr;
    ASSERT_EQ(openMidiOutput(0, peerInputName(peer, 0), &output), 0u);
    EXPECT_EQ(sendMidiShortMessage(output, 0x3C), kMidiErrorInvalid);  // no status byte
    EXPECT_EQ(sendMidiShortMessage(output, 0xF0), kMidiErrorInvalid);  // system exclusive
    EXPECT_EQ(sendMidiShortMessage(output, 0xF8), 0u);
    closeMidiOutput(output);
    ASSERT_TRUE(waitForPeerEvents(peer, 1, kArrivalTimeoutMs));
    EXPECT_EQ(wordsOf(peerEvents(peer)), std::vector<uint32_t>{0xF8});
}

}  // namespace
