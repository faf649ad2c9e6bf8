// The MIDI service on Linux, through RtMidi: the ALSA sequencer, or a JACK server when
// there is no sequencer. RtMidi reports failures by exceptions, by warnings on std::cerr
// and through an error callback; all three end here as error numbers, and nothing is printed.
#include <RtMidi.h>
#include <jack/jack.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <cstdlib>
#include <iostream>
#include <memory>
#include <mutex>
#include <new>
#include <sstream>
#include <string_view>

#include "midi_message.h"
#include "midi_service.h"

namespace {

constexpr const char* kClientName = "lumibox";

enum class ApiChoice { Auto, Alsa, Jack };

ApiChoice forcedApi() {
    const char* forced = std::getenv("LUMIBOX_MIDI_API");
    const std::string_view value = forced ? forced : "";
    if (value == "alsa") return ApiChoice::Alsa;
    if (value == "jack") return ApiChoice::Jack;
    return ApiChoice::Auto;
}

bool alsaSequencerPresent() { return access("/dev/snd/seq", R_OK | W_OK) == 0; }

RtMidi::Api preferredApi() {
    switch (forcedApi()) {
        case ApiChoice::Alsa: return RtMidi::LINUX_ALSA;
        case ApiChoice::Jack: return RtMidi::UNIX_JACK;
        case ApiChoice::Auto: break;
    }
    return alsaSequencerPresent() ? RtMidi::LINUX_ALSA : RtMidi::UNIX_JACK;
}

void discardJackText(const char*) {}

// libjack prints its connection failures on stderr unless told otherwise.
void silenceJack() {
    static std::once_flag once;
    std::call_once(once, [] {
        jack_set_error_function(discardJackText);
        jack_set_info_function(discardJackText);
    });
}

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

// Runs one RtMidi call: any exception, or any error reported during it, becomes an
// error number (fallback for driver errors), else 0.
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

// Creating a client is the one step where RtMidi cannot yet call back: a JACK server
// that is not running shows only as a warning on std::cerr, so that is caught here.
template <typename Rt>
uint32_t createClientFor(RtMidi::Api api, std::unique_ptr<Rt>& client) {
    static std::mutex cerrSwap;
    std::lock_guard lock(cerrSwap);
    std::stringbuf captured;
    std::streambuf* original = std::cerr.rdbuf(&captured);
    uint32_t result = 0;
    try {
        client = std::make_unique<Rt>(api, kClientName);
    } catch (const RtMidiError& error) {
        result = errorNumberFor(error.getType(), kMidiErrorNoService);
        if (result == kMidiErrorBadPort) result = kMidiErrorNoService;
    } catch (const std::bad_alloc&) {
        result = kMidiErrorNoMemory;
    } catch (...) {
        result = kMidiErrorGeneral;
    }
    std::cerr.rdbuf(original);
    if (result == 0 && !captured.str().empty()) result = kMidiErrorNoService;
    if (result != 0) client.reset();
    return result;
}

template <typename Rt>
uint32_t createClient(std::unique_ptr<Rt>& client, ErrorSink& sink) {
    silenceJack();
    const RtMidi::Api api = preferredApi();
    uint32_t result = createClientFor(api, client);
    if (result != 0 && api == RtMidi::LINUX_ALSA && forcedApi() == ApiChoice::Auto)
        result = createClientFor(RtMidi::UNIX_JACK, client);
    if (result == 0) client->setErrorCallback(recordError, &sink);
    return result;
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

}  // namespace

struct MidiInputPort {
    std::unique_ptr<RtMidiIn> client;
    ErrorSink sink;
    MidiInputHandler handler = nullptr;
    void* context = nullptr;
    std::atomic<bool> running{false};
    std::atomic<int64_t> startedAt{0};
};

struct MidiOutputPort {
    std::unique_ptr<RtMidiOut> client;
    ErrorSink sink;
};

namespace {

// RtMidi's input callback, on its input thread: constant work, no allocation.
void forwardInput(double, std::vector<unsigned char>* bytes, void* userData) {
    auto* port = static_cast<MidiInputPort*>(userData);
    if (!port->running.load(std::memory_order_acquire) || bytes == nullptr) return;
    MidiShortMessage word = 0;
    if (!packMidiBytes(bytes->data(), bytes->size(), word)) return;
    const int64_t elapsed = steadyNanoseconds() - port->startedAt.load(std::memory_order_relaxed);
    port->handler(port->context, word, static_cast<uint32_t>(elapsed / 1000000));
}

}  // namespace

uint32_t listMidiInputPorts(MidiPortNames& names) { return listPorts<RtMidiIn>(names); }

uint32_t listMidiOutputPorts(MidiPortNames& names) { return listPorts<RtMidiOut>(names); }

uint32_t openMidiInput(uint32_t index, MidiInputHandler handler, void* context, MidiInputPort** port) {
    *port = nullptr;
    if (handler == nullptr) return kMidiErrorInvalid;
    std::unique_ptr<MidiInputPort> opened(new (std::nothrow) MidiInputPort);
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

uint32_t startMidiInput(MidiInputPort* port) {
    if (port == nullptr) return kMidiErrorInvalid;
    port->startedAt.store(steadyNanoseconds(), std::memory_order_relaxed);
    port->running.store(true, std::memory_order_release);
    return 0;
}

void stopMidiInput(MidiInputPort* port) {
    if (port != nullptr) port->running.store(false, std::memory_order_release);
}

void closeMidiInput(MidiInputPort* port) {
    if (port == nullptr) return;
    port->running.store(false, std::memory_order_release);
    // Destroying the client joins RtMidi's input thread (ALSA) or closes the JACK client,
    // so no callback can still be running when the port record goes.
    guarded(port->sink, kMidiErrorGeneral, [&] {
        port->client->closePort();
        port->client.reset();
    });
    delete port;
}

uint32_t openMidiOutput(uint32_t index, MidiOutputPort** port) {
    *port = nullptr;
    std::unique_ptr<MidiOutputPort> opened(new (std::nothrow) MidiOutputPort);
    if (!opened) return kMidiErrorNoMemory;
    if (const uint32_t result = createClient(opened->client, opened->sink)) return result;
    if (const uint32_t result = checkPortIndex(*opened->client, opened->sink, index)) return result;
    RtMidiOut& client = *opened->client;
    if (const uint32_t result = guarded(opened->sink, kMidiErrorOpenFailed, [&] { client.openPort(index, "out"); }))
        return result;
    *port = opened.release();
    return 0;
}

uint32_t sendMidiShortMessage(MidiOutputPort* port, uint32_t word) {
    if (port == nullptr) return kMidiErrorInvalid;
    unsigned char bytes[3];
    const size_t count = shortMessageBytes(word, bytes);
    if (count == 0) return kMidiErrorInvalid;
    return guarded(port->sink, kMidiErrorSendFailed, [&] { port->client->sendMessage(bytes, count); });
}

void closeMidiOutput(MidiOutputPort* port) {
    if (port == nullptr) return;
    guarded(port->sink, kMidiErrorGeneral, [&] {
        port->client->closePort();
        port->client.reset();
    });
    delete port;
}

const char* midiServiceApiName() { return preferredApi() == RtMidi::LINUX_ALSA ? "alsa" : "jack"; }
