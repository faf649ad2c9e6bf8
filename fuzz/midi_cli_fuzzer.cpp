// The MIDI command-line modes end to end over the fake MIDI service and the scripted
// clock: any argument vector, ports that cannot be named, opened or sent to, and input
// arriving while --midi-listen waits. Exit code, the files written and every message
// sent are checked against a model of the modes; no port may stay open.
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <fstream>
#include <optional>
#include <sstream>

#include "midi/tests/fake_midi_service.h"
#include "fake_network.h"
#include "fuzz_target.h"
#include "reference_rules.h"
#include "core/json_text.h"
#include "midi/midi_cli.h"
#include "midi/midi_message.h"

namespace {

const char* const kWords[] = {"--midi-list", "--midi-listen", "--midi-send", "--midi-other", "--port", "0", "1", "2",
                              "-1", "100000", "--listen-ms", "100", "99", "60000", "60001", "--ready-file", "--channel",
                              "16", "17", "--number", "127", "128", "--value", "--pulse", "200", "--type", "Note",
                              "NoteOff", "CC", "PC", "note", "--output", " 7", "12abc", "x", ""};
constexpr std::size_t kWordCount = sizeof kWords / sizeof kWords[0];

// The files go to a private folder, whatever the arguments say: "--output <that file>"
// comes first after the mode word, and every --ready-file value is replaced.
struct PrivateFiles {
    std::string output, ready;
};

const PrivateFiles& privateFiles() {
    static const PrivateFiles files = [] {
        char pattern[] = "/tmp/lumibox-fuzz-XXXXXX";
        FUZZ_CHECK(mkdtemp(pattern) != nullptr);
        static std::string folder = pattern;
        std::atexit([] {
            unlink((folder + "/out.json").c_str());
            unlink((folder + "/ready").c_str());
            rmdir(folder.c_str());
        });
        return PrivateFiles{folder + "/out.json", folder + "/ready"};
    }();
    return files;
}

std::optional<std::string> readFile(const std::string& name) {
    struct stat info {};
    if (stat(name.c_str(), &info) != 0) return std::nullopt;
    std::ifstream file(name, std::ios::binary);
    std::stringstream bytes;
    bytes << file.rdbuf();
    return bytes.str();
}

std::string portList(const std::vector<std::optional<std::string>>& ports) {
    std::string json;
    for (std::size_t i = 0; i < ports.size(); ++i) {
        json += (i ? ",{\"index\":" : "{\"index\":") + std::to_string(i) + ",\"name\":\"" + toUtf8Json(ports[i].value_or("")) + "\"}";
    }
    return json;
}

// Input the scripted service delivers while --midi-listen sleeps: words with the
// milliseconds after the sleep began.
struct ScriptedInput {
    uint32_t word;
    uint32_t atMs;
};
std::vector<ScriptedInput> scriptedInput;

void deliverDuringSleep(uint32_t milliseconds) {
    for (const ScriptedInput& input : scriptedInput) {
        if (input.atMs < milliseconds) deliverFakeMidiInput(input.word, input.atMs);
    }
}

int expectedList(const FakeMidiService& service) {
    const auto inputs = service.reachable ? service.inputs : std::vector<std::optional<std::string>>{};
    const auto outputs = service.reachable ? service.outputs : std::vector<std::optional<std::string>>{};
    FUZZ_CHECK(readFile(privateFiles().output) == "{\"inputs\":[" + portList(inputs) + "],\"outputs\":[" + portList(outputs) + "]}");
    return 0;
}

int expectedListen(const ArgumentVector& args, const FakeMidiService& service) {
    const auto port = referenceDecimal(referenceOption(args, "--port", "-1"));
    const auto listenMs = referenceDecimal(referenceOption(args, "--listen-ms", "3000"));
    if (!port || !listenMs || *listenMs < 100 || *listenMs > 60000) return 2;
    const std::size_t ports = service.reachable ? service.inputs.size() : 0;
    if (*port < 0 || static_cast<std::size_t>(*port) >= ports) return 2;
    if (service.openInputResult != 0) return 4;
    const bool wantsReady = !referenceOption(args, "--ready-file", "").empty();
    FUZZ_CHECK(readFile(privateFiles().ready) == (wantsReady ? std::optional<std::string>("ready") : std::nullopt));
    std::string json = "{\"messages\":[";
    std::size_t captured = 0;
    for (const ScriptedInput& input : scriptedInput) {
        if (input.atMs >= static_cast<uint32_t>(*listenMs) || captured == 512) continue;
        json += (captured++ ? "," : "") + std::to_string(static_cast<int32_t>(input.word));
    }
    FUZZ_CHECK(readFile(privateFiles().output) == json + "]}");
    return 0;
}

int expectedSend(const ArgumentVector& args, const FakeMidiService& service) {
    const auto port = referenceDecimal(referenceOption(args, "--port", "-1"));
    const auto channel = referenceDecimal(referenceOption(args, "--channel", "1"));
    const auto number = referenceDecimal(referenceOption(args, "--number", "60"));
    const auto value = referenceDecimal(referenceOption(args, "--value", "127"));
    const auto pulse = referenceDecimal(referenceOption(args, "--pulse", "200"));
    if (!port || !channel || !number || !value || !pulse) return 2;
    if (*channel < 1 || *channel > 16 || *number < 0 || *number > 127 || *value < 0 || *value > 127 || *pulse < 0 ||
        *pulse > 60000)
        return 2;
    const std::size_t ports = service.reachable ? service.outputs.size() : 0;
    if (*port < 0 || static_cast<std::size_t>(*port) >= ports) return 2;
    if (service.openOutputResult != 0) return 4;
    const std::string type = referenceOption(args, "--type", "Note");
    uint32_t status = 0;
    if (type == "Note") status = 0x90;
    if (type == "NoteOff") status = 0x80;
    if (type == "CC") status = 0xB0;
    if (type == "PC") status = 0xC0;
    if (status == 0) return 2;
    const auto ch = static_cast<uint32_t>(*channel - 1), nr = static_cast<uint32_t>(*number);
    std::vector<uint32_t> words = {status | ch | nr << 8 | (status == 0xC0 ? 0u : static_cast<uint32_t>(*value)) << 16};
    if (*pulse != 0 && (status == 0x90 || status == 0xB0)) words.push_back((status == 0x90 ? 0x80 : 0xB0) | ch | nr << 8);
    FUZZ_CHECK(service.sent == (service.sendResult == 0 ? words : std::vector<uint32_t>{}));
    return service.sendResult == 0 ? 0 : 5;
}

ArgumentVector argumentsFrom(FuzzReader& in) {
    ArgumentVector args = {"lumibox"};
    const std::size_t count = 1 + in.below(12);
    for (std::size_t i = 0; i < count; ++i) {
        const uint8_t choice = in.byte();
        args.push_back(choice < 240 ? kWords[choice % kWordCount] : "--midi-" + in.text());
    }
    for (std::size_t i = 2; i + 1 < args.size(); ++i) {
        if (args[i] == "--ready-file" && !args[i + 1].empty()) args[i + 1] = privateFiles().ready;
    }
    args.insert(args.begin() + 2, {"--output", privateFiles().output});
    return args;
}

void serviceFrom(FuzzReader& in) {
    resetFakeMidiService();
    FakeMidiService& service = fakeMidiService();
    const uint8_t setup = in.byte();
    service.reachable = (setup & 1) == 0;
    service.openInputResult = (setup & 0x06) == 0x06 ? kMidiErrorOpenFailed : 0;
    service.openOutputResult = (setup & 0x18) == 0x18 ? kMidiErrorOpenFailed : 0;
    service.sendResult = (setup & 0x60) == 0x60 ? kMidiErrorSendFailed : 0;
    for (auto* ports : {&service.inputs, &service.outputs}) {
        for (std::size_t i = 0, n = in.below(4); i < n; ++i) {
            if (in.flag()) ports->push_back(in.text());
            else ports->push_back(std::nullopt);
        }
    }
    scriptedInput.clear();
    for (std::size_t i = 0, n = in.flag() ? 600 : in.below(16); i < n; ++i) {
        scriptedInput.push_back({in.u32(), in.below(8) * 50u});
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size) {
    resetFakeNetwork();
    fakeNetwork().onSleep = deliverDuringSleep;
    unlink(privateFiles().output.c_str());
    unlink(privateFiles().ready.c_str());
    FuzzReader in(data, size);
    const ArgumentVector args = argumentsFrom(in);
    serviceFrom(in);

    const int code = runMidiCommandLine(args);
    const FakeMidiService& service = fakeMidiService();
    FUZZ_CHECK(service.openInputs == 0 && service.openOutputs == 0);

    int expected = 2;
    if (args[1] == "--midi-list") expected = expectedList(service);
    if (args[1] == "--midi-listen") expected = expectedListen(args, service);
    if (args[1] == "--midi-send") expected = expectedSend(args, service);
    if (args[1] != "--midi-send" || expected == 2 || expected == 4) FUZZ_CHECK(service.sent.empty());
    if (expected != 0) FUZZ_CHECK(!readFile(privateFiles().output));
    if (args[1] != "--midi-listen" || expected != 0) FUZZ_CHECK(!readFile(privateFiles().ready));
    FUZZ_CHECK(code == expected);
    return 0;
}

std::vector<std::string> fuzzSeeds() {
    const auto word = [](const char* text) {
        for (std::size_t i = 0; i < kWordCount; ++i) {
            if (std::string(kWords[i]) == text) return static_cast<uint8_t>(i);
        }
        return uint8_t{0};
    };
    const std::vector<std::vector<const char*>> commands = {
        {"--midi-list"},
        {"--midi-listen", "--port", "0", "--listen-ms", "100", "--ready-file", "x"},
        {"--midi-send", "--port", "1", "--type", "CC", "--channel", "16"},
        {"--midi-send", "--port", "0", "--type", "PC", "--number", "127", "--pulse", "60000"},
    };
    std::vector<std::string> seeds;
    for (const auto& command : commands) {
        FuzzWriter seed;
        seed.byte(static_cast<uint8_t>(command.size() - 1));
        for (const char* text : command) seed.byte(word(text));
        // Service: reachable; two inputs and two outputs, one of them without a name.
        seed.byte(0).byte(2).byte(1).text("Midi Through:0").byte(0).byte(2).byte(1).text("synth \"A\"").byte(1).text("\xC3\xA9");
        // Input during a capture: Note On, its Note Off and a timing clock.
        seed.byte(0).byte(3);
        for (MidiShortMessage message : {packMidiMessage(kMidiNoteOn, 1, 60, 127), packMidiMessage(kMidiNoteOff, 1, 60, 0),
                                         MidiShortMessage{0xF8}}) {
            seed.u32(message).byte(1);
        }
        seeds.push_back(seed.str());
    }
    return seeds;
}
