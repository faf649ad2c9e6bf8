#pragma once
// The MIDI modes' words, options and exit codes. The parser takes its defaults and ranges
// from here, and --help prints the same entries.
#include <string_view>

#include "../core/exit_codes.h"
#include "../core/option_lookup.h"

namespace midi_options {

inline constexpr std::string_view kPrefix = "--midi-";  // every word with it belongs to these modes
inline constexpr std::string_view kList = "--midi-list";
inline constexpr std::string_view kListen = "--midi-listen";
inline constexpr std::string_view kSend = "--midi-send";

inline constexpr CommandLineOption kListOutput{"--output", "PATH", "midi-ports.json", "Port list to write"};
inline constexpr CommandLineOption kInputPort{"--port", "N", "-1", "Input port index, as --midi-list numbers them; must be given", 0,
                                              kNoUpperBound};
inline constexpr CommandLineOption kListenMs{"--listen-ms", "MS", "3000", "Capture time in milliseconds", 100, 60000};
inline constexpr CommandLineOption kReadyFile{"--ready-file", "PATH", "",
                                              "File that receives \"ready\" once capturing has begun"};
inline constexpr CommandLineOption kCaptureOutput{"--output", "PATH", "midi-capture.json", "Capture file to write"};
inline constexpr CommandLineOption kOutputPort{"--port", "N", "-1", "Output port index, as --midi-list numbers them; must be given", 0,
                                               kNoUpperBound};
inline constexpr CommandLineOption kChannel{"--channel", "N", "1", "MIDI channel", 1, 16};
inline constexpr CommandLineOption kNumber{"--number", "N", "60", "Note, controller or program number", 0, 127};
inline constexpr CommandLineOption kValue{"--value", "N", "127", "Velocity or controller value", 0, 127};
inline constexpr CommandLineOption kPulse{"--pulse", "MS", "200",
                                          "Milliseconds before the release of a Note or CC (0: no release)", 0, 60000};
inline constexpr CommandLineOption kType{"--type", "TYPE", "Note", "Message type: Note, NoteOff, CC or PC, case-sensitive"};

inline constexpr const CommandLineOption* kListOptions[] = {&kListOutput};
inline constexpr const CommandLineOption* kListenOptions[] = {&kInputPort, &kListenMs, &kReadyFile, &kCaptureOutput};
inline constexpr const CommandLineOption* kSendOptions[] = {&kOutputPort, &kChannel, &kNumber,
                                                            &kValue,      &kPulse,   &kType};

inline constexpr ExitCodeMeaning kInvalid{kInvalidArguments, "invalid arguments: a number that does not read, a value "
                                                             "out of range, no such port"};
inline constexpr ExitCodeMeaning kNotWritten{kOutputNotWritten, "the JSON file could not be written"};
inline constexpr ExitCodeMeaning kListExits[] = {{kSuccess, "the list was written"}, kNotWritten};
inline constexpr ExitCodeMeaning kListenExits[] = {
    {kSuccess, "the capture was written"}, kInvalid, {kPortNotOpened, "the port could not be opened or started"},
    kNotWritten};
inline constexpr ExitCodeMeaning kSendExits[] = {
    {kSuccess, "the message was sent"}, {kInvalidArguments, "invalid arguments: a number that does not read, a value out of range, no such "
                         "port, an unknown --type"},
    {kPortNotOpened, "the port could not be opened"},
    {kSendFailed, "the MIDI system refused the message or its release, or went away before they left"}};

inline constexpr CommandLineMode kModes[] = {
    {kList, "Write the MIDI input and output ports as one line of JSON: {\"inputs\":[...],\"outputs\":[...]}.",
     kListOptions, kListExits},
    {kListen,
     "Capture the messages arriving on one input port for the capture time, at most 512, and write them as "
     "{\"messages\":[...]}, each a 32-bit word: status byte, data 1 << 8, data 2 << 16. Interrupted (SIGINT, "
     "SIGTERM), it removes the ready file, writes nothing and ends by the signal.",
     kListenOptions, kListenExits},
    {kSend,
     "Send one Note On, Note Off, Control Change or Program Change; after a Note or CC, wait the pulse and send "
     "its release (Note Off, or the controller at 0). Interrupted (SIGINT, SIGTERM), it sends the release at once "
     "and ends by the signal.",
     kSendOptions, kSendExits},
};

}  // namespace midi_options
