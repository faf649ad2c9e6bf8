#pragma once
// What the DMX command-line modes answer, for the Linux binary (dmx_cli_test.cpp) and
// lumibox.exe under wine (exe_dmx_cli_test.cpp): the exit codes of argument checks, run
// inside a private network namespace with only loopback up, and the capture file.
#include <string>
#include <vector>

struct DmxExitCodeCase {
    std::vector<std::string> args;
    int expected;
    // Wine binds a UDP socket for an address no interface has to 0.0.0.0, so such a bind
    // succeeds there; Windows itself refuses it as Linux does.
    bool needsABindToFail = false;
};

inline const std::vector<DmxExitCodeCase> kDmxExitCodeCases = {
    {{"--self-test"}, 0},
    {{"--self-test", "--universe", "0"}, 2},
    {{"--self-test", "--protocol", "Art-Net", "--universe", "0"}, 10},
    {{"--self-test", "--protocol", "artnet", "--universe", "0"}, 10},
    {{"--self-test", "--protocol", "SACN", "--universe", "0"}, 10},
    {{"--self-test", "--universe", "32767"}, 0},
    // The self-test builds both protocols with one universe; Art-Net cannot carry 63999.
    {{"--self-test", "--universe", "63999"}, 10},
    {{"--send", "--local", "127.0.0.5", "--universe", "63999", "--pulse", "30"}, 0},
    {{"--send", "--local", "127.0.0.5", "--universe", "64000", "--pulse", "30"}, 2},
    {{"--self-test", "--universe", "64000"}, 2},
    {{"--self-test", "--protocol", "Art-Net", "--universe", "32768"}, 2},
    {{"--self-test", "--universe", "12abc"}, 0},
    {{"--self-test", "--universe", " -5"}, 2},
    {{"--self-test", "--universe", "abc"}, 2},
    {{"--self-test", "--universe", ""}, 2},
    {{"--self-test", "--universe", "2147483648"}, 2},
    {{"--self-test", "--universe", "99999999999999999999"}, 2},
    {{"--self-test", "--universe"}, 0},  // last position: no value, default 100
    {{"--bogus"}, 2},
    {{"--HELP"}, 2},
    {{"-h"}, 2},
    {{"help"}, 2},
    {{"-V"}, 2},
    {{"--midi-help"}, 2},
    {{"--export-icon"}, 2},
    {{"--export-icon", "a.ico", "extra"}, 2},
    {{"--MIDI-list"}, 2},
    {{"some-file.txt"}, 2},
    {{"--send", "--local", "127.0.0.5", "--channel", "0"}, 2},
    {{"--send", "--local", "127.0.0.5", "--channel", "513"}, 2},
    {{"--send", "--local", "127.0.0.5", "--value", "256"}, 2},
    {{"--send", "--local", "127.0.0.5", "--value", "-1"}, 2},
    {{"--send", "--local", "127.0.0.5", "--pulse", "29"}, 2},
    {{"--send", "--local", "127.0.0.5", "--pulse", "60001"}, 2},
    {{"--send", "--local", "127.0.0.5", "--pulse", "x"}, 2},
    {{"--send", "--local", "127.0.0.5", "--target", "localhost"}, 2},
    {{"--send", "--local", "127.0.0.5", "--target", "127.0.0.1 "}, 2},
    {{"--send", "--local", "not-an-address"}, 4},
    {{"--listen", "--local", "10.99.99.99"}, 4, true},  // no interface in the namespace has it
    {{"--listen", "--local", "::1"}, 4},
    // --scan has options of its own; nothing reaches 127.0.0.1 here, so a valid one ends with 7.
    {{"--scan", "--local", "127.0.0.1", "--listen-ms", "100"}, 7},
    {{"--scan", "--local", "127.0.0.1", "--listen-ms", "100", "--universe", "0", "--protocol", "x"}, 7},
    {{"--scan", "--local", "127.0.0.1", "--listen-ms", "100", "--universes", "1-16,100"}, 7},
    {{"--scan", "--local", "127.0.0.1", "--listen-ms", "100", "--universes", " 1 - 3 ,63999"}, 7},
    {{"--scan", "--local", "127.0.0.1", "--listen-ms", "100", "--universes", ""}, 7},
    {{"--scan", "--local", "127.0.0.1", "--listen-ms", "100", "--poll"}, 7},
    {{"--scan", "--listen-ms", "99"}, 2},
    {{"--scan", "--listen-ms", "60001"}, 2},
    {{"--scan", "--listen-ms", "x"}, 2},
    {{"--scan", "--listen-ms", "0"}, 2},  // only --follow runs until stopped
    {{"--scan", "--follow", "--interval-ms", "99"}, 2},
    {{"--scan", "--follow", "--interval-ms", "60001"}, 2},
    {{"--scan", "--local", "127.0.0.1", "--listen-ms", "250", "--follow", "--interval-ms", "100", "--levels"}, 7},
    {{"--scan", "--universes", "0"}, 2},
    {{"--scan", "--universes", "64000"}, 2},
    {{"--scan", "--universes", "5-3"}, 2},
    {{"--scan", "--universes", "1-"}, 2},
    {{"--scan", "--universes", "1,,2"}, 2},
    {{"--scan", "--universes", "-5"}, 2},
    {{"--scan", "--universes", "12abc"}, 2},
    {{"--scan", "--universes", "000001"}, 2},
    {{"--scan", "--local", "not-an-address", "--listen-ms", "100"}, 4},
    {{"--scan", "--local", "10.99.99.99", "--listen-ms", "100"}, 4, true},
    // --source: multicast reaches loopback here; only loopback has a route, so the limited broadcast has none.
    {{"--source", "--duration", "100", "--universes", "1-3,63999", "--sync", "7", "--discovery", "--pattern", "wave"}, 0},
    {{"--source", "--protocol", "Art-Net", "--universes", "0,32767", "--target", "127.0.0.1", "--duration", "100"}, 0},
    {{"--source", "--protocol", "Art-Net", "--duration", "100"}, 5},
    {{"--source", "--protocol", "artnet"}, 2},
    {{"--source", "--universes", "0"}, 2},
    {{"--source", "--universes", ""}, 2},
    {{"--source", "--protocol", "Art-Net", "--universes", "32768"}, 2},
    {{"--source", "--rate", "1001"}, 2},
    {{"--source", "--slots", "0"}, 2},
    {{"--source", "--priority", "201"}, 2},
    {{"--source", "--per-address", "1-24=201"}, 2},
    {{"--source", "--sync", "64000"}, 2},
    {{"--source", "--cid", "0123"}, 2},
    {{"--source", "--pattern", "snapshot:no-such-file.json"}, 2},
    {{"--source", "--target", "localhost"}, 2},
    {{"--source", "--duration", "-1"}, 2},
    {{"--source", "--local", "not-an-address"}, 4},
    {{"--source", "--local", "10.99.99.99", "--duration", "100"}, 4, true},
    {{"--source", "--duration", "50", "--output", "no-such-folder/summary.json"}, 6},
};

inline std::string joinArguments(const std::vector<std::string>& args) {
    std::string joined;
    for (const std::string& a : args) joined += a + ' ';
    return joined;
}

// The capture file of --listen: the universe, the sequence and 512 levels (the given ones,
// then zeros).
inline std::string captureText(int universe, int sequence, const std::vector<int>& levels) {
    std::string text = "{\"universe\":" + std::to_string(universe) + ",\"sequence\":" + std::to_string(sequence) + ",\"levels\":[";
    for (int i = 0; i < 512; ++i) {
        if (i > 0) text += ',';
        text += std::to_string(i < static_cast<int>(levels.size()) ? levels[static_cast<std::size_t>(i)] : 0);
    }
    return text + "]}";
}
