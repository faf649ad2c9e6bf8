// The ALSA sequencer through RtMidi. RtMidi reports failures by exceptions, by warnings on
// std::cerr and through an error callback; all three end here as error numbers, and
// nothing is printed.
#include <RtMidi.h>

#include <atomic>
#include <chrono>
#include <iostream>
#include <memory>
#include <mutex>
#include <new>
#include <sstream>

#include "midi_message.h"
#include "service_backend.h"

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

// Creating a client is the one step where RtMidi cannot yet call back: what it would
// print is caught, and any such text means the sequencer is not usable.
template <typename Rt>
uint32_t createClient(std::unique_ptr<Rt>& client, ErrorSink& sink) {
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

template <typename Rt>
uint32_t listPorts(MidiPortNames& names) {
    names.clear();
    ErrorSink sink;
    std::unique_ptr<Rt> client;
    if (const uint32_t result = createClient(client, sink)) return result;
    unsigned int count = 0;
    if (const uint32_t result = guarded(sink, kMidiErrorGeneral, [&] { count = client->getPortCount(); }))
        return result;
    for (unsigned int index = 0; index < count; ++index) {
        std::string name;
        const uint32_t result = guarded(sink, kMidiErrorGeneral, [&] { name = client->getPortName(index); });
        names.push_back(result == 0 ? std::optional<std::string>(name) : std::nullopt);
    }
    return 0;
}

template <typename Rt>
uint32_t checkPortIndex(Rt& client, ErrorSink& sink, uint32_t index) {
    unsigned int count = 0;
    if (const uint32_t result = guarded(sink, kMidiErrorGeneral, [&] { count = client.getPortCount(); }))
        return result;
    return index < count ? 0 : kMidiErrorBadPort;
}

int64_t steadyNanoseconds() {
    return std::chrono::duration_cast<std::chrono::nanoseconds>(std::chrono::steady_clock::now().time_since_epoch())
        .count();
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

uint32_t openInput(uint32_t index, MidiInputHandler handler, void* context, void** port) {
    std::unique_ptr<AlsaInput> opened(new (std::nothrow) AlsaInput);
    if (!opened) return kMidiErrorNoMemory;
    opened->handler = handler;
    opened->context = context;
    if (const uint32_t result = createClient(opened->client, opened->sink)) return result;
    if (const uint32_t result = checkPortIndex(*opened->client, opened->sink, index)) return result;
    RtMidiIn& client = *opened->client;
    const uint32_t result = guarded(opened->sink, kMidiErrorOpenFailed, [&] {
        client.ignoreTypes(true, false, false);  // keep clock and active sensing, skip system exclusive
        client.setCallback(forwardInput, opened.get());
        client.openPort(index, "in");
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

uint32_t openOutput(uint32_t index, void** port) {
    std::unique_ptr<AlsaOutput> opened(new (std::nothrow) AlsaOutput);
    if (!opened) return kMidiErrorNoMemory;
    if (const uint32_t result = createClient(opened->client, opened->sink)) return result;
    if (const uint32_t result = checkPortIndex(*opened->client, opened->sink, index)) return result;
    RtMidiOut& client = *opened->client;
    if (const uint32_t result = guarded(opened->sink, kMidiErrorOpenFailed, [&] { client.openPort(index, "out"); }))
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

void closeOutput(void* port) {
    auto* output = static_cast<AlsaOutput*>(port);
    guarded(output->sink, kMidiErrorGeneral, [&] {
        output->client->closePort();
        output->client.reset();
    });
    delete output;
}

}  // namespace

const MidiBackend rtMidiAlsaBackend = {
    "alsa", listInputs, listOutputs, openInput, startInput, stopInput, closeInput, openOutput, sendOutput, closeOutput,
};
