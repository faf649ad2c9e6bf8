// MIDI latency over a JACK server with the dummy driver at 64 frames per period:
// from our send to the peer's process callback, and from the peer's send to our input
// callback. Starts and stops its own server, with realtime scheduling when the system
// grants it. A message that never arrives (the server dropped a late cycle) is counted
// as lost. Usage: midi_latency_bench [rounds]
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <thread>
#include <vector>

#include "midi/midi_service.h"
#include "midi/tests/jack_peer.h"
#include "midi/tests/midi_test_ports.h"

namespace {

int64_t nowNs() {
    return std::chrono::duration_cast<std::chrono::nanoseconds>(std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

struct Arrival {
    std::atomic<int64_t> at{0};
};

void recordArrival(void* context, uint32_t, uint32_t) { static_cast<Arrival*>(context)->at.store(nowNs()); }

struct Samples {
    std::vector<double> ms;
    int lost = 0;
};

template <typename Condition>
bool spinUntil(Condition condition) {
    const int64_t deadline = nowNs() + 100000000;
    while (!condition()) {
        if (nowNs() > deadline) return false;
        std::this_thread::yield();
    }
    return true;
}

// Spreads the sends over the period so that every phase of the cycle is sampled.
void pauseBetweenRounds(int round) { std::this_thread::sleep_for(std::chrono::microseconds(300 + (round * 137) % 1700)); }

void report(const char* direction, Samples samples) {
    std::vector<double>& ms = samples.ms;
    if (ms.empty()) {
        std::printf("%-28s no samples, %d lost\n", direction, samples.lost);
        return;
    }
    std::sort(ms.begin(), ms.end());
    std::printf("%-28s n=%zu  median %.3f ms  p99 %.3f ms  max %.3f ms  lost %d\n", direction, ms.size(),
                ms[ms.size() / 2], ms[ms.size() * 99 / 100], ms.back(), samples.lost);
}

Samples ourSendToPeer(JackPeer& peer, int rounds) {
    Samples samples;
    MidiOutputPort* output = nullptr;
    const int index = servicePortIndex(false, peerInputName(peer, 0));
    if (index < 0 || openMidiOutput(static_cast<uint32_t>(index), peerInputName(peer, 0), &output) != 0) return samples;
    for (int round = 0; round < rounds; ++round) {
        const size_t before = peer.eventCount.load();
        const int64_t sentAt = nowNs();
        sendMidiShortMessage(output, 0x7F3C90);
        if (spinUntil([&] { return peer.eventCount.load() > before; }))
            samples.ms.push_back(static_cast<double>(peerEvents(peer).back().arrivedNs - sentAt) / 1e6);
        else
            ++samples.lost;
        pauseBetweenRounds(round);
    }
    closeMidiOutput(output);
    return samples;
}

Samples peerSendToOurs(JackPeer& peer, int rounds) {
    Samples samples;
    Arrival arrival;
    MidiInputPort* input = nullptr;
    const int index = servicePortIndex(true, peerOutputName(peer, 0));
    if (index < 0 || openMidiInput(static_cast<uint32_t>(index), peerOutputName(peer, 0), recordArrival, &arrival, &input) != 0)
        return samples;
    startMidiInput(input);
    for (int round = 0; round < rounds; ++round) {
        arrival.at.store(0);
        const int64_t sentAt = nowNs();
        sendFromPeer(peer, 0, {0x90, 0x3C, 0x7F});
        if (spinUntil([&] { return arrival.at.load() != 0; }))
            samples.ms.push_back(static_cast<double>(arrival.at.load() - sentAt) / 1e6);
        else
            ++samples.lost;
        pauseBetweenRounds(round);
    }
    stopMidiInput(input);
    closeMidiInput(input);
    return samples;
}

}  // namespace

int main(int argc, char** argv) {
    const int rounds = argc > 1 ? std::max(1, std::atoi(argv[1])) : 2000;
    const std::string server = "lumibox-bench-" + std::to_string(getpid());
    const std::string pidFile = "/tmp/" + server + ".pid";
    const std::string script = std::string(LUMIBOX_SOURCE_DIR) + "/tools/jack-dummy.sh";
    setenv("JACK_DEFAULT_SERVER", server.c_str(), 1);
    setenv("LUMIBOX_MIDI_API", "jack", 1);
    if (std::system((script + " start " + server + " " + pidFile + " 64 realtime").c_str()) != 0) return 1;

    JackPeer peer;
    int status = 1;
    if (openJackPeer(peer, "bench-peer", {"in"}, {"out"})) {
        std::printf("JACK dummy driver: %u frames per period at %u Hz (%.3f ms)\n", jackPeriodFrames(peer),
                    jackSampleRate(peer), 1000.0 * jackPeriodFrames(peer) / jackSampleRate(peer));
        report("our send -> peer callback", ourSendToPeer(peer, rounds));
        report("peer send -> our callback", peerSendToOurs(peer, rounds));
        closeJackPeer(peer);
        status = 0;
    }
    std::system((script + " stop " + pidFile).c_str());
    return status;
}
