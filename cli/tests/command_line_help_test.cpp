// The usage summary read from the option tables: every mode, option, default and exit
// code the parsers use, in lines a terminal shows without wrapping.
#include <gtest/gtest.h>

#include <sstream>

#include "cli/capture_modes.h"
#include "cli/command_line_help.h"
#include "cli/dmx_options.h"
#include "cli/scan_options.h"
#include "cli/serve_options.h"
#include "cli/source_options.h"
#include "midi/midi_options.h"

namespace {

// The lines of the mode's section: from its heading to the next blank line.
std::vector<std::string> sectionOf(const std::string& help, std::string_view word) {
    std::istringstream lines(help);
    std::vector<std::string> section;
    bool inside = false;
    for (std::string line; std::getline(lines, line);) {
        if (!inside && line == word) inside = true;
        if (inside && line.empty()) break;
        if (inside) section.push_back(line);
    }
    return section;
}

// "--channel N", or the name alone for a flag, which takes no value.
std::string headingOf(const CommandLineOption& option) {
    return std::string(option.name) + (option.isFlag() ? "" : ' ' + std::string(option.placeholder));
}

// The option's entry: its first line and the indented lines that continue it.
std::string entryOf(const std::vector<std::string>& section, const CommandLineOption& option) {
    const std::string head = "    " + headingOf(option) + ' ';
    std::string entry;
    for (const std::string& line : section) {
        if (!entry.empty() && line.starts_with("                        ")) {
            entry += ' ' + line.substr(line.find_first_not_of(' '));
        } else if (!entry.empty()) {
            break;
        } else if (line.starts_with(head)) {
            entry = line;
        }
    }
    return entry;
}

TEST(CommandLineHelp, EveryModeOptionDefaultAndExitCodeOfTheTables) {
    const std::string help = commandLineHelpText();
    const std::string synopsis = help.substr(0, help.find("\n\n", help.find("\n\n") + 2));
    for (const auto& modes : {std::span<const CommandLineMode>(dmx_options::kModes),
                              std::span<const CommandLineMode>(scan_options::kModes),
                              std::span<const CommandLineMode>(serve_options::kModes),
                              std::span<const CommandLineMode>(source_options::kModes),
                              builtCaptureModes(),  // none where the modes are not built
                              std::span<const CommandLineMode>(midi_options::kModes)}) {
        for (const CommandLineMode& mode : modes) {
            const std::string heading = std::string(mode.word) + (mode.argument.empty() ? "" : ' ' + std::string(mode.argument));
            const std::vector<std::string> section = sectionOf(help, heading);
            ASSERT_FALSE(section.empty()) << mode.word;
            const std::size_t usage = synopsis.find("  lumibox " + heading + " [");
            ASSERT_NE(usage, std::string::npos) << "synopsis " << mode.word;
            const std::string usageLines = synopsis.substr(usage, synopsis.find("\n  lumibox ", usage + 1) - usage);
            for (const CommandLineOption* option : mode.options) {
                EXPECT_NE(usageLines.find('[' + headingOf(*option) + ']'), std::string::npos) << usageLines;
                const std::string entry = entryOf(section, *option);
                ASSERT_FALSE(entry.empty()) << mode.word << ' ' << option->name;
                const std::string fallback =
                    option->isFlag() ? "off" : option->fallback.empty() ? "none" : std::string(option->fallback);
                EXPECT_TRUE(entry.ends_with(". Default: " + fallback + '.')) << entry;
                if (option->hasRange() && option->max != kNoUpperBound) {
                    const std::string range = ", " + std::to_string(option->min) + " to " + std::to_string(option->max) + '.';
                    EXPECT_NE(entry.find(range), std::string::npos) << entry;
                }
            }
            for (const ExitCodeMeaning& exit : mode.exitCodes) {
                const std::string prefix = "      " + std::to_string(exit.code) + ' ';
                const bool listed = std::any_of(section.begin(), section.end(),
                                                [&](const std::string& line) { return line.starts_with(prefix); });
                EXPECT_TRUE(listed) << mode.word << " exit " << exit.code;
            }
            for (const OutputKey& key : mode.outputKeys) {
                const std::string prefix = "      " + std::string(key.name) + ' ';
                EXPECT_TRUE(std::any_of(section.begin(), section.end(),
                                        [&](const std::string& line) { return line.starts_with(prefix); }))
                    << mode.word << " key " << key.name;
            }
        }
    }
}

TEST(CommandLineHelp, NamesEveryModeWordAndFitsATerminal) {
    const std::string help = commandLineHelpText();
    EXPECT_TRUE(help.starts_with("Usage: lumibox [MODE [OPTION VALUE]...]\nVelmora Lumibox 0.2.1: "));
    for (const char* word : {"--help", "--version", "--export-icon PATH", "--self-test", "--send", "--listen",
                             "--scan", "--source", "--midi-list", "--midi-listen", "--midi-send"}) {
        EXPECT_NE(help.find("\n" + std::string(word) + "\n"), std::string::npos) << word;
    }
    for (const CommandLineMode& mode : builtCaptureModes()) {
        EXPECT_NE(help.find("\n" + std::string(mode.word)), std::string::npos) << mode.word;
    }
    std::istringstream lines(help);
    for (std::string line; std::getline(lines, line);) {
        EXPECT_LE(line.size(), kHelpWidth) << line;
        EXPECT_FALSE(!line.empty() && line.back() == ' ') << "trailing blank: " << line;
    }
    EXPECT_EQ(versionText(), "Velmora Lumibox 0.2.1\n");
}

}  // namespace
