// A stand-in winmm.dll for the tests under wine, which offers no MIDI devices: one input
// and one output device looped back to each other. What the output sends while the input
// is started, the input hands to its callback from a thread of its own, with MIM_DATA and
// the milliseconds since midiInStart, as winmm does. Loaded in place of wine's winmm with
// WINEDLLOVERRIDES winmm=n,b; it exports exactly what lumibox imports and never ships.
//
// For tests of whole programs two settings in the environment widen the loop:
//   LUMIBOX_WINMM_LOOP_PORT  the cable runs through UDP on 127.0.0.1 and that port, so it
//       joins processes: the output sends each message as a 4-byte datagram (little-endian
//       word), and an open input holds the port and takes every word of every datagram
//       that reaches it (a test can play a burst as one datagram). While one process holds
//       the input, opening it elsewhere fails as a device in use does.
//   LUMIBOX_WINMM_LOOP_LOG   a file to which every device call appends one line, so a test
//       sees whether and in which order ports were opened, started, stopped and closed.
#define _WINMM_
#include <winsock2.h>
#include <windows.h>
#include <mmsystem.h>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <deque>
#include <mutex>
#include <string>
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
    SOCKET cable = INVALID_SOCKET;   // the UDP cable's receiving end, when the loop joins processes
    std::atomic<bool> cableOpen{false};
    std::thread cableThread;
};

struct LoopOutput {
    SOCKET cable = INVALID_SOCKET;
};

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

// A message for the input: delivered when it is started, dropped otherwise, as a real
// device drops what arrives while nobody records. The caller holds input.mutex.
void arriveLocked(LoopInput& input, DWORD message) {
    if (!input.started) return;
    const auto elapsed = std::chrono::steady_clock::now() - input.startedAt;
    const auto stamp = static_cast<DWORD>(std::chrono::duration_cast<std::chrono::milliseconds>(elapsed).count());
    input.events.push_back({MIM_DATA, message, stamp});
}

void logCall(const std::string& line) {
    const char* path = std::getenv("LUMIBOX_WINMM_LOOP_LOG");
    if (path == nullptr || *path == '\0') return;
    static std::mutex logMutex;
    std::lock_guard lock(logMutex);
    if (FILE* file = std::fopen(path, "ab")) {
        std::fputs((line + "\n").c_str(), file);
        std::fclose(file);
    }
}

// The UDP cable between processes; 0 when the loop stays inside the process.
u_short cablePort() {
    const char* text = std::getenv("LUMIBOX_WINMM_LOOP_PORT");
    const long port = text ? std::strtol(text, nullptr, 10) : 0;
    return port > 0 && port < 65536 ? static_cast<u_short>(port) : 0;
}

sockaddr_in cableAddress(u_short port) {
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(port);
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    return address;
}

SOCKET openCable() {
    WSADATA data;
    if (WSAStartup(MAKEWORD(2, 2), &data) != 0) return INVALID_SOCKET;
    const SOCKET cable = socket(AF_INET, SOCK_DGRAM, IPPROTO_UDP);
    if (cable == INVALID_SOCKET) WSACleanup();
    return cable;
}

void closeCable(SOCKET cable) {
    if (cable == INVALID_SOCKET) return;
    closesocket(cable);
    WSACleanup();
}

// The input's receiving thread: every word of every datagram arrives, in order.
void receiveCable(LoopInput* input) {
    char buffer[8192];
    while (input->cableOpen.load()) {
        const int n = recv(input->cable, buffer, sizeof buffer, 0);
        if (n <= 0) continue;  // time-out: look at cableOpen again
        {
            std::lock_guard lock(input->mutex);
            for (int at = 0; at + 4 <= n; at += 4) {
                DWORD word = 0;
                std::memcpy(&word, buffer + at, 4);
                arriveLocked(*input, word);
            }
        }
        input->wake.notify_one();
    }
}

// Holds the cable's port for the input; false when another process holds it.
bool attachCable(LoopInput& input, u_short port) {
    input.cable = openCable();
    if (input.cable == INVALID_SOCKET) return false;
    const sockaddr_in address = cableAddress(port);
    const DWORD timeoutMs = 50;
    if (bind(input.cable, reinterpret_cast<const sockaddr*>(&address), sizeof address) != 0 ||
        setsockopt(input.cable, SOL_SOCKET, SO_RCVTIMEO, reinterpret_cast<const char*>(&timeoutMs), sizeof timeoutMs) != 0) {
        closeCable(input.cable);
        input.cable = INVALID_SOCKET;
        return false;
    }
    input.cableOpen = true;
    input.cableThread = std::thread(receiveCable, &input);
    return true;
}

void detachCable(LoopInput& input) {
    if (input.cable == INVALID_SOCKET) return;
    input.cableOpen = false;
    input.cableThread.join();
    closeCable(input.cable);
    input.cable = INVALID_SOCKET;
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

MMRESULT stopInput(HMIDIIN handle, const char* call) {
    std::lock_guard lock(deviceMutex);
    if (openInput == nullptr || handle != handleOf(openInput)) return MMSYSERR_INVALHANDLE;
    std::lock_guard inputLock(openInput->mutex);
    openInput->started = false;
    logCall(call);
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
    if (const u_short port = cablePort(); port != 0 && !attachCable(*input, port)) {
        delete input;
        logCall("in open refused");
        return MMSYSERR_ALLOCATED;
    }
    logCall("in open " + std::to_string(id));
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
    logCall("in start");
    return MMSYSERR_NOERROR;
}

MMRESULT WINAPI midiInStop(HMIDIIN handle) { return stopInput(handle, "in stop"); }

MMRESULT WINAPI midiInReset(HMIDIIN handle) { return stopInput(handle, "in reset"); }

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
    detachCable(*input);
    post(*input, {MIM_CLOSE, 0, 0});
    input->thread.join();
    delete input;
    logCall("in close");
    return MMSYSERR_NOERROR;
}

MMRESULT WINAPI midiOutOpen(LPHMIDIOUT handle, UINT id, DWORD_PTR, DWORD_PTR, DWORD) {
    if (handle == nullptr) return MMSYSERR_INVALPARAM;
    if (id != 0) return MMSYSERR_BADDEVICEID;
    auto* output = new LoopOutput;
    if (cablePort() != 0) output->cable = openCable();
    *handle = reinterpret_cast<HMIDIOUT>(output);
    logCall("out open " + std::to_string(id));
    return MMSYSERR_NOERROR;
}

// Loops the message to the input (through the cable when it joins processes); a stopped
// or closed input drops it.
MMRESULT WINAPI midiOutShortMsg(HMIDIOUT handle, DWORD message) {
    if (handle == nullptr) return MMSYSERR_INVALHANDLE;
    char hex[16];
    std::snprintf(hex, sizeof hex, "%08lX", static_cast<unsigned long>(message));
    logCall(std::string("out ") + hex);
    if (const u_short port = cablePort(); port != 0) {
        const sockaddr_in address = cableAddress(port);
        char bytes[4];
        std::memcpy(bytes, &message, 4);
        sendto(reinterpret_cast<LoopOutput*>(handle)->cable, bytes, 4, 0, reinterpret_cast<const sockaddr*>(&address),
               sizeof address);
        return MMSYSERR_NOERROR;
    }
    std::lock_guard lock(deviceMutex);
    if (openInput == nullptr) return MMSYSERR_NOERROR;
    {
        std::lock_guard inputLock(openInput->mutex);
        arriveLocked(*openInput, message);
    }
    openInput->wake.notify_one();
    return MMSYSERR_NOERROR;
}

MMRESULT WINAPI midiOutClose(HMIDIOUT handle) {
    if (handle == nullptr) return MMSYSERR_INVALHANDLE;
    auto* output = reinterpret_cast<LoopOutput*>(handle);
    closeCable(output->cable);
    delete output;
    logCall("out close");
    return MMSYSERR_NOERROR;
}

// The loop has no timer to change; the log shows whether a program asks for and gives back
// a finer one.
MMRESULT WINAPI timeBeginPeriod(UINT period) {
    logCall("timer begin " + std::to_string(period));
    return TIMERR_NOERROR;
}

MMRESULT WINAPI timeEndPeriod(UINT period) {
    logCall("timer end " + std::to_string(period));
    return TIMERR_NOERROR;
}

}  // extern "C"
