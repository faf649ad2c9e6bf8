// The ALSA sequencer through RtMidi. RtMidi reports failures by exceptions, by warnings on
// std::cerr and through an error callback, and the ALSA library through its own error
// handler on stderr; all of them end here as error numbers, and nothing is printed.
#include <RtMidi.h>
#include <alsa/asoundlib.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <cstdlib>
#include <iostream>
#include <memory>
#include <mutex>
#include <new>
#include <set>
#include <sstream>
#include <string>

#include "../core/clock.h"
#include "midi_message.h"
#include "service_linux.h"

namespace {

constexpr const char* kClientName = "lumibox";

uint32_t errorNumberFor(RtMidiError::Type type, uint32_t fallback) {
    switch (type) {
        case RtMidiError::MEMORY_ERROR: return kMidiErrorNoMemory;
        case RtMidiError::SYSTEM_ERROR:
        case RtMidiError::THREAD_ERROR: return kMidiErrorSystem;
        case RtMidiError::NO_DEVICES_FOUND:
        case RtMidiError::INVALID_DEVICE:
        case RtMidiError::INVALID_PARAMETER: return kMidiErrorBadPort;
        case RtMidiError::INVALID_USE: return kMidiErrorInvalid;
        default: return fallback;
    }
}

// Receives RtMidi's error reports once the callback is installed. The input thread may
// report too, hence the atomics.
struct ErrorSink {
    std::atomic<bool> raised{false};
    std::atomic<int> type{RtMidiError::UNSPECIFIED};

    void clear() { raised.store(false); }
    uint32_t number(uint32_t fallback) const {
        return raised.load() ? errorNumberFor(static_cast<RtMidiError::Type>(type.load()), fallback) : 0;
    }
};

void recordError(RtMidiError::Type type, const std::string&, void* userData) {
    if (type == RtMidiError::DEBUG_WARNING) return;
    auto* sink = static_cast<ErrorSink*>(userData);
    sink->type.store(type);
    sink->raised.store(true);
}

// Runs one RtMidi call: any exception, or any error reported during it, becomes an error
// number (fallback for driver errors), else 0.
template <typename Call>
uint32_t guarded(ErrorSink& sink, uint32_t fallback, Call&& call) {
    sink.clear();
    try {
        call();
    } catch (const RtMidiError& error) {
        return errorNumberFor(error.getType(), fallback);
    } catch (const std::bad_alloc&) {
        return kMidiErrorNoMemory;
    } catch (...) {
        return kMidiErrorGeneral;
    }
    return sink.number(fallback);
}

void discardAlsaError(const char*, int, const char*, int, const char*, ...) {}

// Without this the ALSA library prints, for example, "ALSA lib seq_hw.c:… open
// /dev/snd/seq failed" for every client RtMidi tries to make on a machine without one.
void silenceAlsaLibrary() {
    static std::once_flag once;
    std::call_once(once, [] { snd_lib_error_set_handler(discardAlsaError); });
}

// Creating a client is the one step where RtMidi cannot yet call back: what it would
// print is caught, and any such text means the sequencer is not usable.
template <typename Rt>
uint32_t createClient(std::unique_ptr<Rt>& client, ErrorSink& sink) {
    silenceAlsaLibrary();
    static std::mutex cerrSwap;
    std::lock_guard lock(cerrSwap);
    std::stringbuf captured;
    std::streambuf* original = std::cerr.rdbuf(&captured);
    uint32_t result = 0;
    try {
        client = std::make_unique<Rt>(RtMidi::LINUX_ALSA, kClientName);
    } catch (const std::bad_alloc&) {
        result = kMidiErrorNoMemory;
    } catch (...) {
        result = kMidiErrorNoService;
    }
    std::cerr.rdbuf(original);
    if (result == 0 && !captured.str().empty()) result = kMidiErrorNoService;
    if (result != 0) {
        client.reset();
        return result;
    }
    client->setErrorCallback(recordError, &sink);
    return 0;
}

// Sequencer client numbers that belong to this process. RtMidi lists every client's
// ports, ours among them, and numbers them all; ours are left out of our lists.
std::set<int> ownClientNumbers() {
    std::set<int> own;
    snd_seq_t* sequencer = nullptr;
    if (snd_seq_open(&sequencer, "default", SND_SEQ_OPEN_DUPLEX, 0) < 0) return own;
    snd_seq_client_info_t* info = nullptr;
    if (snd_seq_client_info_malloc(&info) == 0) {
        snd_seq_client_info_set_client(info, -1);
        const pid_t self = getpid();
        while (snd_seq_query_next_client(sequencer, info) >= 0) {
            if (snd_seq_client_info_get_pid(info) == self) own.insert(snd_seq_client_info_get_client(info));
        }
        snd_seq_client_info_free(info);
    }
    snd_seq_close(sequencer);
    return own;
}

// RtMidi names an ALSA port "client:port C:P"; C is the sequencer client number.
bool belongsToClients(const std::string& rtMidiName, const std::set<int>& clients) {
    if (clients.empty()) return false;
    const size_t blank = rtMidiName.rfind(' ');
    if (blank == std::string::npos) return false;
    char* end = nullptr;
    const long client = std::strtol(rtMidiName.c_str() + blank + 1, &end, 10);
    return end != nullptr && *end == ':' && clients.count(static_cast<int>(client)) > 0;
}

// The other clients' ports as RtMidi numbers them (rtIndexes) with their names; a port
// whose name cannot be read keeps its place with no name.
template <typename Rt>
uint32_t otherClientsPorts(Rt& client, ErrorSink& sink, MidiPortNames& names, std::vector<unsigned>& rtIndexes) {
    names.clear();
    rtIndexes.clear();
    unsigned int count = 0;
    if (const uint32_t result = guarded(sink, kMidiErrorGeneral, [&] { count = client.getPortCount(); }))
        return result;
    const std::set<int> own = ownClientNumbers();
    for (unsigned int index = 0; index < count; ++index) {
        std::string name;
        const uint32_t result = guarded(sink, kMidiErrorGeneral, [&] { name = client.getPortName(index); });
        if (result == 0 && belongsToClients(name, own)) continue;
        names.push_back(result == 0 ? std::optional<std::string>(name) : std::nullopt);
        rtIndexes.push_back(index);
    }
    return 0;
}

template <typename Rt>
uint32_t listPorts(MidiPortNames& names) {
    names.clear();
    ErrorSink sink;
    std::unique_ptr<Rt> client;
    if (const uint32_t result = createClient(client, sink)) return result;
    std::vector<unsigned> rtIndexes;
    return otherClientsPorts(*client, sink, names, rtIndexes);
}

// RtMidi's number now for the port listed as index / listedName: found by its name, which
// carries the sequencer's client and port numbers, so another port cannot take its place.
template <typename Rt>
uint32_t listedRtMidiIndex(Rt& client, ErrorSink& sink, uint32_t index, const std::string& listedName,
                           unsigned& rtIndex) {
    MidiPortNames names;
    std::vector<unsigned> rtIndexes;
    if (const uint32_t result = otherClientsPorts(client, sink, names, rtIndexes)) return result;
    for (size_t i = 0; i < names.size(); ++i) {
        const bool chosen = listedName.empty() ? i == index : names[i] && *names[i] == listedName;
        if (!chosen) continue;
        rtIndex = rtIndexes[i];
        return 0;
    }
    return kMidiErrorBadPort;
}

struct AlsaInput {
    std::unique_ptr<RtMidiIn> client;
    ErrorSink sink;
    MidiInputHandler handler = nullptr;
    void* context = nullptr;
    std::atomic<bool> running{false};
    std::atomic<int64_t> startedAt{0};
};

struct AlsaOutput {
    std::unique_ptr<RtMidiOut> client;
    ErrorSink sink;
};

// RtMidi's input callback, on its input thread: constant work, no allocation of ours.
void forwardInput(double, std::vector<unsigned char>* bytes, void* userData) {
    auto* input = static_cast<AlsaInput*>(userData);
    if (!input->running.load(std::memory_order_acquire) || bytes == nullptr) return;
    MidiShortMessage word = 0;
    if (!packMidiBytes(bytes->data(), bytes->size(), word)) return;
    const int64_t elapsed = steadyNanoseconds() - input->startedAt.load(std::memory_order_relaxed);
    input->handler(input->context, word, static_cast<uint32_t>(elapsed / 1000000));
}

uint32_t listInputs(MidiPortNames& names) { return listPorts<RtMidiIn>(names); }

uint32_t listOutputs(MidiPortNames& names) { return listPorts<RtMidiOut>(names); }

uint32_t openInput(uint32_t index, const std::string& listedName, MidiInputHandler handler, void* context,
                   void** port) {
    std::unique_ptr<AlsaInput> opened(new (std::nothrow) AlsaInput);
    if (!opened) return kMidiErrorNoMemory;
    opened->handler = handler;
    opened->context = context;
    if (const uint32_t result = createClient(opened->client, opened->sink)) return result;
    unsigned rtIndex = 0;
    if (const uint32_t result = listedRtMidiIndex(*opened->client, opened->sink, index, listedName, rtIndex))
        return result;
    RtMidiIn& client = *opened->client;
    const uint32_t result = guarded(opened->sink, kMidiErrorOpenFailed, [&] {
        client.ignoreTypes(true, false, false);  // keep clock and active sensing, skip system exclusive
        client.setCallback(forwardInput, opened.get());
        client.openPort(rtIndex, "in");
    });
    if (result != 0) return result;
    *port = opened.release();
    return 0;
}

uint32_t startInput(void* port) {
    auto* input = static_cast<AlsaInput*>(port);
    input->startedAt.store(steadyNanoseconds(), std::memory_order_relaxed);
    input->running.store(true, std::memory_order_release);
    return 0;
}

void stopInput(void* port) { static_cast<AlsaInput*>(port)->running.store(false, std::memory_order_release); }

void closeInput(void* port) {
    auto* input = static_cast<AlsaInput*>(port);
    input->running.store(false, std::memory_order_release);
    // Destroying the client joins RtMidi's input thread: no callback runs after this.
    guarded(input->sink, kMidiErrorGeneral, [&] {
        input->client->closePort();
        input->client.reset();
    });
    delete input;
}

uint32_t openOutput(uint32_t index, const std::string& listedName, void** port) {
    std::unique_ptr<AlsaOutput> opened(new (std::nothrow) AlsaOutput);
    if (!opened) return kMidiErrorNoMemory;
    if (const uint32_t result = createClient(opened->client, opened->sink)) return result;
    unsigned rtIndex = 0;
    if (const uint32_t result = listedRtMidiIndex(*opened->client, opened->sink, index, listedName, rtIndex))
        return result;
    RtMidiOut& client = *opened->client;
    if (const uint32_t result = guarded(opened->sink, kMidiErrorOpenFailed, [&] { client.openPort(rtIndex, "out"); }))
        return result;
    *port = opened.release();
    return 0;
}

uint32_t sendOutput(void* port, uint32_t word) {
    auto* output = static_cast<AlsaOutput*>(port);
    unsigned char bytes[3];
    const size_t count = shortMessageBytes(word, bytes);
    if (count == 0) return kMidiErrorInvalid;
    return guarded(output->sink, kMidiErrorSendFailed, [&] { output->client->sendMessage(bytes, count); });
}

// The sequencer has each message once sendMessage returns: nothing is left to go out.
uint32_t closeOutput(void* port) {
    auto* output = static_cast<AlsaOutput*>(port);
    guarded(output->sink, kMidiErrorGeneral, [&] {
        output->client->closePort();
        output->client.reset();
    });
    delete output;
    return 0;
}

}  // namespace

const MidiBackend rtMidiAlsaBackend = {
    listInputs, listOutputs, openInput, startInput, stopInput, closeInput, openOutput, sendOutput, closeOutput,
};
