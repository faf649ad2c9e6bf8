// A stand-in winmm.dll for the tests under wine, which offers no MIDI devices: one input
// and one output device looped back to each other. What the output sends while the input
// is started, the input hands to its callback from a thread of its own, with MIM_DATA and
// the milliseconds since midiInStart, as winmm does. Loaded in place of wine's winmm with
// WINEDLLOVERRIDES winmm=n,b; it exports exactly what lumibox imports and never ships.
#define _WINMM_
#include <windows.h>
#include <mmsystem.h>

#include <chrono>
#include <condition_variable>
#include <cstring>
#include <deque>
#include <mutex>
#include <thread>

namespace {

// Quote, backslash and non-ASCII letters, so names exercise the UTF-8 and JSON paths.
constexpr wchar_t kInputName[] = L"Loop \"In\" \\ Ä";
constexpr wchar_t kOutputName[] = L"Loop Out ü";
static_assert(sizeof kInputName / sizeof(wchar_t) <= MAXPNAMELEN && sizeof kOutputName / sizeof(wchar_t) <= MAXPNAMELEN);

struct Event {
    UINT kind;
    DWORD_PTR param1;
    DWORD_PTR param2;
};

using InputCallback = void(CALLBACK*)(HMIDIIN, UINT, DWORD_PTR, DWORD_PTR, DWORD_PTR);

struct LoopInput {
    InputCallback callback = nullptr;
    DWORD_PTR instance = 0;
    std::mutex mutex;
    std::condition_variable wake;
    std::deque<Event> events;
    bool started = false;
    bool closing = false;
    std::chrono::steady_clock::time_point startedAt;
    std::thread thread;
};

struct LoopOutput {};

std::mutex deviceMutex;          // guards openInput
LoopInput* openInput = nullptr;  // one client at a time, like a real input device

HMIDIIN handleOf(LoopInput* input) { return reinterpret_cast<HMIDIIN>(input); }

void post(LoopInput& input, const Event& event) {
    {
        std::lock_guard lock(input.mutex);
        input.events.push_back(event);
    }
    input.wake.notify_one();
}

// The input's own thread: delivers in order, and ends after MIM_CLOSE.
void deliver(LoopInput* input) {
    for (;;) {
        Event event;
        {
            std::unique_lock lock(input->mutex);
            input->wake.wait(lock, [&] { return !input->events.empty(); });
            event = input->events.front();
            input->events.pop_front();
        }
        input->callback(handleOf(input), event.kind, input->instance, event.param1, event.param2);
        if (event.kind == MIM_CLOSE) return;
    }
}

template <typename Caps>
MMRESULT fillCaps(UINT_PTR id, Caps* caps, UINT size, const wchar_t* name, std::size_t nameBytes) {
    if (id != 0) return MMSYSERR_BADDEVICEID;
    if (caps == nullptr || size < sizeof(Caps)) return MMSYSERR_INVALPARAM;
    std::memset(caps, 0, sizeof(Caps));
    caps->vDriverVersion = 0x0100;
    std::memcpy(caps->szPname, name, nameBytes);
    return MMSYSERR_NOERROR;
}

}  // namespace

extern "C" {

UINT WINAPI midiInGetNumDevs() { return 1; }
UINT WINAPI midiOutGetNumDevs() { return 1; }

MMRESULT WINAPI midiInGetDevCapsW(UINT_PTR id, LPMIDIINCAPSW caps, UINT size) {
    const MMRESULT result = fillCaps(id, caps, size, kInputName, sizeof kInputName);
    if (result == MMSYSERR_NOERROR) caps->dwSupport = 0;
    return result;
}

MMRESULT WINAPI midiOutGetDevCapsW(UINT_PTR id, LPMIDIOUTCAPSW caps, UINT size) {
    const MMRESULT result = fillCaps(id, caps, size, kOutputName, sizeof kOutputName);
    if (result == MMSYSERR_NOERROR) {
        caps->wTechnology = MOD_MIDIPORT;
        caps->wChannelMask = 0xFFFF;
    }
    return result;
}

MMRESULT WINAPI midiInOpen(LPHMIDIIN handle, UINT id, DWORD_PTR callback, DWORD_PTR instance, DWORD flags) {
    if (handle == nullptr) return MMSYSERR_INVALPARAM;
    if (id != 0) return MMSYSERR_BADDEVICEID;
    if ((flags & CALLBACK_TYPEMASK) != CALLBACK_FUNCTION || callback == 0) return MMSYSERR_INVALFLAG;
    std::lock_guard lock(deviceMutex);
    if (openInput != nullptr) return MMSYSERR_ALLOCATED;
    auto* input = new LoopInput;
    input->callback = reinterpret_cast<InputCallback>(callback);
    input->instance = instance;
    input->thread = std::thread(deliver, input);
    post(*input, {MIM_OPEN, 0, 0});
    openInput = input;
    *handle = handleOf(input);
    return MMSYSERR_NOERROR;
}

MMRESULT WINAPI midiInStart(HMIDIIN handle) {
    std::lock_guard lock(deviceMutex);
    if (openInput == nullptr || handle != handleOf(openInput)) return MMSYSERR_INVALHANDLE;
    std::lock_guard inputLock(openInput->mutex);
    openInput->started = true;
    openInput->startedAt = std::chrono::steady_clock::now();
    return MMSYSERR_NOERROR;
}

MMRESULT WINAPI midiInStop(HMIDIIN handle) {
    std::lock_guard lock(deviceMutex);
    if (openInput == nullptr || handle != handleOf(openInput)) return MMSYSERR_INVALHANDLE;
    std::lock_guard inputLock(openInput->mutex);
    openInput->started = false;
    return MMSYSERR_NOERROR;
}

MMRESULT WINAPI midiInReset(HMIDIIN handle) { return midiInStop(handle); }

// Returns after the input's thread has delivered MIM_CLOSE and ended.
MMRESULT WINAPI midiInClose(HMIDIIN handle) {
    LoopInput* input = nullptr;
    {
        std::lock_guard lock(deviceMutex);
        if (openInput == nullptr || handle != handleOf(openInput)) return MMSYSERR_INVALHANDLE;
        input = openInput;
        openInput = nullptr;
    }
    {
        std::lock_guard inputLock(input->mutex);
        input->started = false;
    }
    post(*input, {MIM_CLOSE, 0, 0});
    input->thread.join();
    delete input;
    return MMSYSERR_NOERROR;
}

MMRESULT WINAPI midiOutOpen(LPHMIDIOUT handle, UINT id, DWORD_PTR, DWORD_PTR, DWORD) {
    if (handle == nullptr) return MMSYSERR_INVALPARAM;
    if (id != 0) return MMSYSERR_BADDEVICEID;
    *handle = reinterpret_cast<HMIDIOUT>(new LoopOutput);
    return MMSYSERR_NOERROR;
}

// Loops the message to the input when it is started; a stopped or closed input drops it,
// as a real device drops what arrives while nobody records.
MMRESULT WINAPI midiOutShortMsg(HMIDIOUT handle, DWORD message) {
    if (handle == nullptr) return MMSYSERR_INVALHANDLE;
    std::lock_guard lock(deviceMutex);
    if (openInput == nullptr) return MMSYSERR_NOERROR;
    std::unique_lock inputLock(openInput->mutex);
    if (!openInput->started) return MMSYSERR_NOERROR;
    const auto elapsed = std::chrono::steady_clock::now() - openInput->startedAt;
    const auto stamp = static_cast<DWORD>(std::chrono::duration_cast<std::chrono::milliseconds>(elapsed).count());
    openInput->events.push_back({MIM_DATA, message, stamp});
    inputLock.unlock();
    openInput->wake.notify_one();
    return MMSYSERR_NOERROR;
}

MMRESULT WINAPI midiOutClose(HMIDIOUT handle) {
    if (handle == nullptr) return MMSYSERR_INVALHANDLE;
    delete reinterpret_cast<LoopOutput*>(handle);
    return MMSYSERR_NOERROR;
}

}  // extern "C"
