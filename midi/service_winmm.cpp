// The MIDI service on the Windows multimedia API (winmm). Its results are passed on as
// they come: the error numbers of midi_service.h are winmm's own MMSYSERR values.
#include <windows.h>
#include <mmsystem.h>

#include <new>
#include <string>
#include <string_view>

#include "../core/utf16_text_win32.h"
#include "midi_service.h"

struct MidiInputPort {
    HMIDIIN handle = nullptr;
    MidiInputHandler handler = nullptr;
    void* context = nullptr;
};

struct MidiOutputPort {
    HMIDIOUT handle = nullptr;
};

namespace {

// A product name is at most 31 UTF-16 units and a driver may leave out the terminator.
std::string productName(const WCHAR (&name)[MAXPNAMELEN]) {
    std::size_t length = 0;
    while (length < MAXPNAMELEN && name[length] != L'\0') ++length;
    return utf16ToUtf8(std::wstring_view(name, length));
}

// A port whose capabilities cannot be read keeps its index, without a name.
template <typename Caps, typename QueryCaps>
uint32_t listPorts(MidiPortNames& names, UINT count, QueryCaps queryCaps) {
    names.clear();
    try {
        names.reserve(count);
        for (UINT index = 0; index < count; ++index) {
            Caps caps{};
            if (queryCaps(index, &caps, sizeof caps) == MMSYSERR_NOERROR) {
                names.emplace_back(productName(caps.szPname));
            } else {
                names.emplace_back(std::nullopt);
            }
        }
    } catch (const std::bad_alloc&) {
        names.clear();
        return kMidiErrorNoMemory;
    }
    return 0;
}

// Runs on winmm's own thread. Only short messages are handed on; open, close, long data
// and errors are not. param2 is the time stamp: milliseconds since midiInStart.
void CALLBACK onMidiInput(HMIDIIN, UINT kind, DWORD_PTR instance, DWORD_PTR param1, DWORD_PTR param2) {
    if (kind != MIM_DATA) return;
    const auto* port = reinterpret_cast<const MidiInputPort*>(instance);
    port->handler(port->context, static_cast<uint32_t>(param1), static_cast<uint32_t>(param2));
}

}  // namespace

uint32_t listMidiInputPorts(MidiPortNames& names) {
    return listPorts<MIDIINCAPSW>(names, midiInGetNumDevs(), [](UINT index, MIDIINCAPSW* caps, UINT size) {
        return midiInGetDevCapsW(index, caps, size);
    });
}

uint32_t listMidiOutputPorts(MidiPortNames& names) {
    return listPorts<MIDIOUTCAPSW>(names, midiOutGetNumDevs(), [](UINT index, MIDIOUTCAPSW* caps, UINT size) {
        return midiOutGetDevCapsW(index, caps, size);
    });
}

// The device at index is still the one that was listed there: winmm renumbers its devices
// when one is plugged in or out. An empty name (unreadable when listed) is not checked.
static bool isListedPort(uint32_t (*list)(MidiPortNames&), uint32_t index, const std::string& listedName) {
    if (listedName.empty()) return true;
    MidiPortNames names;
    if (list(names) != 0 || index >= names.size()) return false;
    return names[index] && *names[index] == listedName;
}

uint32_t openMidiInput(uint32_t index, const std::string& listedName, MidiInputHandler handler, void* context,
                       MidiInputPort** port) {
    *port = nullptr;
    if (handler == nullptr) return kMidiErrorInvalid;
    if (!isListedPort(listMidiInputPorts, index, listedName)) return kMidiErrorBadPort;
    auto* opened = new (std::nothrow) MidiInputPort{nullptr, handler, context};
    if (opened == nullptr) return kMidiErrorNoMemory;
    const MMRESULT result = midiInOpen(&opened->handle, index, reinterpret_cast<DWORD_PTR>(onMidiInput),
                                       reinterpret_cast<DWORD_PTR>(opened), CALLBACK_FUNCTION);
    if (result != MMSYSERR_NOERROR) {
        delete opened;
        return result;
    }
    *port = opened;
    return 0;
}

uint32_t startMidiInput(MidiInputPort* port) {
    return port == nullptr ? kMidiErrorInvalid : midiInStart(port->handle);
}

void stopMidiInput(MidiInputPort* port) {
    if (port != nullptr) midiInStop(port->handle);
}

// Stop, reset, close: once midiInClose returns, winmm calls the callback no more.
void closeMidiInput(MidiInputPort* port) {
    if (port == nullptr) return;
    midiInStop(port->handle);
    midiInReset(port->handle);
    midiInClose(port->handle);
    delete port;
}

uint32_t openMidiOutput(uint32_t index, const std::string& listedName, MidiOutputPort** port) {
    *port = nullptr;
    if (!isListedPort(listMidiOutputPorts, index, listedName)) return kMidiErrorBadPort;
    auto* opened = new (std::nothrow) MidiOutputPort;
    if (opened == nullptr) return kMidiErrorNoMemory;
    const MMRESULT result = midiOutOpen(&opened->handle, index, 0, 0, CALLBACK_NULL);
    if (result != MMSYSERR_NOERROR) {
        delete opened;
        return result;
    }
    *port = opened;
    return 0;
}

uint32_t sendMidiShortMessage(MidiOutputPort* port, uint32_t word) {
    return port == nullptr ? kMidiErrorInvalid : midiOutShortMsg(port->handle, word);
}

// midiOutShortMsg returns once the driver has the message, so nothing is left to wait for.
uint32_t closeMidiOutput(MidiOutputPort* port) {
    if (port == nullptr) return kMidiErrorInvalid;
    midiOutClose(port->handle);
    delete port;
    return 0;
}

const char* midiServiceApiName() { return "winmm"; }
