#include "command_line_help.h"

#include <algorithm>
#include <cstdio>
#include <span>
#include <vector>

#include "../core/product_identity.h"
#include "../midi/midi_options.h"
#include "capture_modes.h"
#include "dmx_options.h"
#include "scan_options.h"
#include "serve_options.h"
#include "source_options.h"
#include "../core/exit_codes.h"

namespace {

constexpr std::size_t kModeIndent = 4;
constexpr std::size_t kOptionTextColumn = 24;

constexpr ExitCodeMeaning kWindowExits[] = {{kSuccess, "the window was closed"},
                                            {1, "no display could be had"}};
constexpr ExitCodeMeaning kNetworkWindowExits[] = {{kSuccess, "the Network window and any main window it opened were closed"},
                                                   {1, "no display could be had"}};
constexpr ExitCodeMeaning kInformationExits[] = {{kSuccess, "printed"},
                                                 {kOutputNotWritten, "standard output could not be written"}};
constexpr ExitCodeMeaning kExportIconExits[] = {{kSuccess, "both files were written"},
                                                {kInvalidArguments, "a file could not be written"}};

// The modes that take no options, in the order the summary lists them.
constexpr CommandLineMode kFixedModes[] = {
    {"", "Open the window.", {}, kWindowExits},
    {kNetworkMode,
     "Open the Network window: every sACN source, Art-Net sender and node heard, live, and the merged levels of "
     "the selected universe. \"Monitor this universe\" opens the main window on it in the same process. Only "
     "with exactly this one argument.",
     {}, kNetworkWindowExits},
    {kHelpMode, "Print this summary.", {}, kInformationExits},
    {kVersionMode, "Print the name and version.", {}, kInformationExits},
    {kExportIconMode,
     "Render the application icon at 256 x 256 into PATH.png and write the Windows icon file PATH holding that "
     "PNG. Only with exactly this one argument.",
     {}, kExportIconExits, "PATH"},
};

std::vector<std::string> splitWords(std::string_view text) {
    std::vector<std::string> words;
    std::size_t start = 0;
    while (start < text.size()) {
        const std::size_t end = std::min(text.find(' ', start), text.size());
        if (end > start) words.emplace_back(text.substr(start, end - start));
        start = end + 1;
    }
    return words;
}

// Appends the tokens after prefix, breaking before kHelpWidth; continuation lines start at indent.
void appendWrapped(std::string& text, std::string_view prefix, std::size_t indent, const std::vector<std::string>& tokens) {
    std::string line(prefix);
    std::size_t lineStart = prefix.size();  // where the first token of the line goes
    for (const std::string& token : tokens) {
        const bool first = line.size() == lineStart;
        if (!first && line.size() + 1 + token.size() > kHelpWidth) {
            text += line + '\n';
            line.assign(indent, ' ');
            lineStart = indent;
        } else if (!first) {
            line += ' ';
        }
        line += token;
    }
    while (!line.empty() && line.back() == ' ') line.pop_back();
    text += line + '\n';
}

std::string padTo(std::string text, std::size_t width) {
    if (text.size() < width) text.resize(width, ' ');
    return text;
}

// The mode word with its one fixed argument: "--export-icon PATH".
std::string modeHeading(const CommandLineMode& mode) {
    return std::string(mode.word) + (mode.argument.empty() ? "" : ' ' + std::string(mode.argument));
}

std::string invocation(const CommandLineMode& mode) {
    return mode.word.empty() ? std::string("lumibox") : "lumibox " + modeHeading(mode);
}

// "--channel N", or only the name for a flag.
std::string optionHeading(const CommandLineOption& option) {
    const std::string name(option.name);
    return option.isFlag() ? name : name + ' ' + std::string(option.placeholder);
}

void appendSynopsis(std::string& text, const CommandLineMode& mode) {
    const std::string head = "  " + invocation(mode) + ' ';
    std::vector<std::string> groups;
    for (const CommandLineOption* option : mode.options) {
        groups.push_back('[' + optionHeading(*option) + ']');
    }
    appendWrapped(text, head, head.size(), groups);
}

// "Slot that is pulsed, 1 to 512. Default: 1." An open range's lower bound is left to the meaning;
// a flag is off by default.
// The default stays on one line with its value.
std::vector<std::string> optionDescription(const CommandLineOption& option) {
    std::string text(option.meaning);
    if (option.hasRange() && option.max != kNoUpperBound) {
        text += ", " + std::to_string(option.min) + " to " + std::to_string(option.max);
    }
    std::vector<std::string> tokens = splitWords(text + '.');
    const std::string_view fallback = option.isFlag() ? "off" : option.fallback.empty() ? "none" : option.fallback;
    tokens.push_back("Default: " + std::string(fallback) + '.');
    return tokens;
}

void appendModeDetails(std::string& text, const CommandLineMode& mode) {
    text += '\n' + (mode.word.empty() ? std::string("(no mode word)") : modeHeading(mode)) + '\n';
    const std::string indent(kModeIndent, ' ');
    appendWrapped(text, indent, kModeIndent, splitWords(mode.summary));
    for (const CommandLineOption* option : mode.options) {
        const std::string head = indent + optionHeading(*option) + ' ';
        appendWrapped(text, padTo(head, kOptionTextColumn), kOptionTextColumn, optionDescription(*option));
    }
    text += indent + "Exit codes:\n";
    for (const ExitCodeMeaning& exit : mode.exitCodes) {
        const std::string head = indent + "  " + padTo(std::to_string(exit.code), 4);
        appendWrapped(text, head, head.size(), splitWords(exit.meaning));
    }
    if (mode.outputKeys.empty()) return;
    text += indent + "JSON keys:\n";
    for (const OutputKey& key : mode.outputKeys) {
        const std::string head = padTo(indent + "  " + std::string(key.name) + ' ', kOptionTextColumn);
        appendWrapped(text, head, kOptionTextColumn, splitWords(key.meaning));
    }
}

}  // namespace

std::string commandLineHelpText() {
    const std::span<const CommandLineMode> groups[] = {kFixedModes, dmx_options::kModes, scan_options::kModes,
                                                     serve_options::kModes, source_options::kModes, builtCaptureModes(),
                                                     midi_options::kModes};
    std::string text = "Usage: lumibox [MODE [OPTION VALUE]...]\n";
    text += std::string(kProductTitle) + ": DMX / MIDI monitor and test sender.\n\n";
    for (const auto& modes : groups) {
        for (const CommandLineMode& mode : modes) appendSynopsis(text, mode);
    }
    text += '\n';
    appendWrapped(text, "", 0,
                  splitWords("Options follow the mode word as separate name and value arguments, in any order. "
                             "The first occurrence counts, an option with no value after it keeps its default, "
                             "and unknown options are ignored. An option shown without a value is a flag: it "
                             "takes none and is on when it appears anywhere after the mode word. Numbers are "
                             "base-10 integers. Only --help, --version and --replay print: the other modes "
                             "report through their exit code and the files they write. Any other mode word ends with exit code 2 (3 or 4 when the DMX socket cannot be "
                             "created or bound first)."));
    for (const auto& modes : groups) {
        for (const CommandLineMode& mode : modes) appendModeDetails(text, mode);
    }
    return text;
}

std::string versionText() { return std::string(kProductTitle) + '\n'; }

bool isInformationMode(const ArgumentVector& args) {
    return args.size() > 1 && (args[1] == kHelpMode || args[1] == kVersionMode);
}

int runInformationMode(const ArgumentVector& args) {
    const std::string text = args[1] == kHelpMode ? commandLineHelpText() : versionText();
    const bool written = std::fwrite(text.data(), 1, text.size(), stdout) == text.size();
    return written && std::fflush(stdout) == 0 ? kSuccess : kOutputNotWritten;
}
