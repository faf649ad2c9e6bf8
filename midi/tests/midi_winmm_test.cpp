// The winmm service against the looped-back test winmm.dll (fake_winmm_win32.cpp): names,
// refused indexes, messages from output to input with their time stamps, stop and close.
#include <gtest/gtest.h>

#include <chrono>
#include <condition_variable>
#include <mutex>
#include <vector>

#include "core/clock.h"
#include "midi/midi_message.h"
#include "midi/midi_service.h"

namespace {

// What the input handler saw, waited for with a deadline.
struct Received {
    std::mutex mutex;
    std::condition_variable arrived;
    std::vector<uint32_t> words;
    std::vector<uint32_t> stamps;

    static void handle(void* context, uint32_t word, uint32_t timestampMs) {
        auto* self = static_cast<Received*>(context);
        {
            std::lock_guard lock(self->mutex);
            self->words.push_back(word);
            self->stamps.push_back(timestampMs);
        }
        self->arrived.notify_all();
    }
    bool waitFor(std::size_t count) {
        std::unique_lock lock(mutex);
        return arrived.wait_for(lock, std::chrono::seconds(10), [&] { return words.size() >= count; });
    }
    std::vector<uint32_t> wordsSoFar() {
        std::lock_guard lock(mutex);
        return words;
    }
};

// One input opened and started on the loop, and the output that feeds it.
struct Loop : ::testing::Test {
    Received received;
    MidiInputPort* input = nullptr;
    MidiOutputPort* output = nullptr;

    void SetUp() override {
        ASSERT_EQ(openMidiInput(0, "", Received::handle, &received, &input), 0u);
        ASSERT_EQ(startMidiInput(input), 0u);
        ASSERT_EQ(openMidiOutput(0, "", &output), 0u);
    }
    void TearDown() override {
        closeMidiOutput(output);
        closeMidiInput(input);
    }
    void send(uint32_t word) { EXPECT_EQ(sendMidiShortMessage(output, word), 0u); }
};

const uint32_t kNoteOn = packMidiMessage(kMidiNoteOn, 1, 60, 127);

TEST(WinmmService, ListsTheDevicesWithUtf8Names) {
    MidiPortNames inputs;
    MidiPortNames outputs;
    ASSERT_EQ(listMidiInputPorts(inputs), 0u);
    ASSERT_EQ(listMidiOutputPorts(outputs), 0u);
    EXPECT_EQ(inputs, MidiPortNames{std::string("Loop \"In\" \\ \xC3\x84")});
    EXPECT_EQ(outputs, MidiPortNames{std::string("Loop Out \xC3\xBC")});
}

TEST(WinmmService, RefusesWhatItCannotOpen) {
    Received received;
    MidiInputPort* input = nullptr;
    MidiOutputPort* output = nullptr;
    struct Case { const char* what; uint32_t result; uint32_t expected; };
    const Case cases[] = {
        {"input index past the list", openMidiInput(1, "", Received::handle, &received, &input), kMidiErrorBadPort},
        {"input without a handler", openMidiInput(0, "", nullptr, &received, &input), kMidiErrorInvalid},
        {"output index past the list", openMidiOutput(1, "", &output), kMidiErrorBadPort},
        // Another device now at the listed index: refused rather than reaching it.
        {"input listed under another name", openMidiInput(0, "gone", Received::handle, &received, &input), kMidiErrorBadPort},
        {"output listed under another name", openMidiOutput(0, "gone", &output), kMidiErrorBadPort},
        {"output index far past the list", openMidiOutput(0xFFFF, "", &output), kMidiErrorBadPort},
        {"start without a port", startMidiInput(nullptr), kMidiErrorInvalid},
        {"send without a port", sendMidiShortMessage(nullptr, kNoteOn), kMidiErrorInvalid},
    };
    for (const Case& c : cases) EXPECT_EQ(c.result, c.expected) << c.what;
    EXPECT_EQ(input, nullptr);
    EXPECT_EQ(output, nullptr);
}

TEST_F(Loop, SentWordsArriveInOrderWithMillisecondStamps) {
    const uint32_t words[] = {kNoteOn, packMidiMessage(kMidiNoteOff, 1, 60, 0), packMidiMessage(kMidiProgramChange, 16, 5, 0), 0xF8};
    for (uint32_t word : words) send(word);
    sleepMs(120);
    send(packMidiMessage(kMidiControlChange, 2, 7, 100));
    ASSERT_TRUE(received.waitFor(5));
    std::lock_guard lock(received.mutex);
    EXPECT_EQ(received.words, (std::vector<uint32_t>{words[0], words[1], words[2], words[3],
                                                     packMidiMessage(kMidiControlChange, 2, 7, 100)}))
        << "only MIM_DATA reaches the handler: not the device's open message";
    for (std::size_t i = 1; i < received.stamps.size(); ++i) EXPECT_LE(received.stamps[i - 1], received.stamps[i]);
    EXPECT_GE(received.stamps[4], 100u) << "milliseconds since the input was started, 120 ms slept";
}

TEST_F(Loop, ABurstArrivesWhole) {
    constexpr uint32_t kBurst = 600;
    for (uint32_t i = 0; i < kBurst; ++i) send(packMidiMessage(kMidiControlChange, 1, i % 128, i / 128));
    ASSERT_TRUE(received.waitFor(kBurst));
    const std::vector<uint32_t> words = received.wordsSoFar();
    ASSERT_EQ(words.size(), kBurst);
    for (uint32_t i = 0; i < kBurst; ++i) EXPECT_EQ(words[i], packMidiMessage(kMidiControlChange, 1, i % 128, i / 128));
}

TEST_F(Loop, AStoppedInputHandsNothingOn) {
    stopMidiInput(input);
    send(packMidiMessage(kMidiNoteOn, 3, 1, 1));
    ASSERT_EQ(startMidiInput(input), 0u);
    send(kNoteOn);
    ASSERT_TRUE(received.waitFor(1));
    EXPECT_EQ(received.wordsSoFar(), std::vector<uint32_t>{kNoteOn});
}

TEST_F(Loop, CloseReleasesTheDeviceForTheNextClient) {
    closeMidiInput(input);
    input = nullptr;
    send(packMidiMessage(kMidiNoteOn, 4, 2, 2));  // no input open: dropped by the device

    Received next;
    ASSERT_EQ(openMidiInput(0, "", Received::handle, &next, &input), 0u) << "the device is free again";
    ASSERT_EQ(startMidiInput(input), 0u);
    send(kNoteOn);
    ASSERT_TRUE(next.waitFor(1));
    EXPECT_EQ(next.wordsSoFar(), std::vector<uint32_t>{kNoteOn});
    EXPECT_TRUE(received.wordsSoFar().empty()) << "the closed port's handler ran no more";
}

}  // namespace
