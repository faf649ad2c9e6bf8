// `cmake --install` of this build into a temporary prefix: the files of the desktop
// application, valid for the freedesktop validators, a manual that renders without warnings
// and agrees with the option tables, icons scaled from the export, and a lumibox that runs.
#include <gtest/gtest.h>

#include <QImage>

#include <sys/stat.h>

#include <algorithm>
#include <cctype>
#include <cstdlib>
#include <fstream>
#include <span>
#include <sstream>

#include "cli/capture_options.h"
#include "cli/dmx_options.h"
#include "cli/scan_options.h"
#include "cli/source_options.h"
#include "cli/serve_options.h"
#include "core/tests/run_binary.h"
#include "core/product_identity.h"
#include "midi/midi_options.h"

namespace {

const std::string kAppId = kDesktopApplicationId;
const int kIconSizes[] = {16, 32, 48, 64, 128, 256};

std::string iconPath(int size) {
    return "share/icons/hicolor/" + std::to_string(size) + 'x' + std::to_string(size) + "/apps/" + kAppId + ".png";
}

std::vector<std::string> linesOf(const std::string& text) {
    std::vector<std::string> lines;
    std::istringstream stream(text);
    for (std::string line; std::getline(stream, line);) lines.push_back(line);
    return lines;
}

class InstallLayout : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        prefix_ = makeTempDirectory() + "/prefix";
        const BinaryRun install =
            runBinaryCapturing(CMAKE_COMMAND, {"--install", LUMIBOX_BUILD_DIR, "--prefix", prefix_}, "", 120000);
        installLog_ = install.standardOutput + install.standardError;
        installed_ = install.exitCode == 0;
    }
    void SetUp() override { ASSERT_TRUE(installed_) << "cmake --install failed:\n" << installLog_; }
    static std::string path(const std::string& relative) { return prefix_ + '/' + relative; }

    static inline std::string prefix_;
    static inline std::string installLog_;
    static inline bool installed_ = false;
};

TEST_F(InstallLayout, EveryFileOfTheDesktopApplication) {
    std::vector<std::string> files = {"bin/lumibox", "share/applications/" + kAppId + ".desktop",
                                      "share/metainfo/" + kAppId + ".metainfo.xml", "share/man/man1/lumibox.1",
                                      "share/doc/lumibox/copyright", "lib/systemd/system/lumibox-monitor.service",
                                      "etc/default/lumibox-monitor", "share/doc/lumibox/examples/lumibox-alerts.yml"};
    for (int size : kIconSizes) files.push_back(iconPath(size));
    for (const std::string& file : files) {
        struct stat info {};
        ASSERT_EQ(stat(path(file).c_str(), &info), 0) << file;
        EXPECT_GT(info.st_size, 0) << file;
    }
    struct stat binary {};
    ASSERT_EQ(stat(path("bin/lumibox").c_str(), &binary), 0);
    EXPECT_EQ(binary.st_mode & 0755, 0755u);
}

// The unit as systemd reads it (pointed at the installed binary), hardened as far as
// systemd's own exposure score says, and the example alerting rules as Prometheus reads them
// and fires them on scripted series.
TEST_F(InstallLayout, MonitorServiceAndAlertingRulesCheckOut) {
    const BinaryRun rules = runBinaryCapturing("/usr/bin/promtool",
                                               {"check", "rules", path("share/doc/lumibox/examples/lumibox-alerts.yml")});
    EXPECT_EQ(rules.exitCode, 0) << rules.standardOutput << rules.standardError;
    const BinaryRun firing = runBinaryCapturing(
        "/bin/sh", {"-c", "cd " LUMIBOX_SOURCE_DIR "/packaging/tests && /usr/bin/promtool test rules lumibox-alerts-test.yml"});
    EXPECT_EQ(firing.exitCode, 0) << firing.standardOutput << firing.standardError;
    const std::string analyze = "/usr/bin/systemd-analyze";
    if (!std::ifstream(analyze).good()) GTEST_SKIP() << "no " << analyze << " on this machine";
    std::string unit = readWholeFile(path("lib/systemd/system/lumibox-monitor.service"));
    const std::string installedPath = "ExecStart=/usr/bin/lumibox ";
    const std::size_t exec = unit.find(installedPath);
    ASSERT_NE(exec, std::string::npos);
    unit.replace(exec, installedPath.size(), "ExecStart=" + path("bin/lumibox") + ' ');
    const std::string copy = makeTempDirectory() + "/lumibox-monitor.service";
    std::ofstream(copy) << unit;
    const BinaryRun verify = runBinaryCapturing(analyze, {"verify", "--man=no", copy});
    EXPECT_EQ(verify.exitCode, 0);
    EXPECT_EQ(verify.standardOutput + verify.standardError, "");
    // 2.0 of systemd's 10: "OK" is below 4.
    const BinaryRun exposure = runBinaryCapturing(analyze, {"security", "--offline=yes", "--threshold=20", copy});
    EXPECT_EQ(exposure.exitCode, 0) << exposure.standardOutput;
    EXPECT_NE(unit.find("\nEnvironmentFile=-/etc/default/lumibox-monitor\n"), std::string::npos);
    const std::string options = readWholeFile(path("etc/default/lumibox-monitor"));
    EXPECT_NE(options.find("\nLUMIBOX_MONITOR_OPTIONS=\""), std::string::npos);
}

TEST_F(InstallLayout, InstalledBinaryRunsFromThePrefix) {
    EXPECT_EQ(runBinary(path("bin/lumibox"), {"--self-test"}), 0);
    EXPECT_EQ(runBinaryCapturing(path("bin/lumibox"), {"--version"}).standardOutput, "Velmora Lumibox 0.2.1\n");
}

TEST_F(InstallLayout, ValidatorsAcceptTheDesktopEntryAndTheMetainfo) {
    struct Check {
        std::vector<std::string> command;
    };
    const Check checks[] = {
        {{"/usr/bin/desktop-file-validate", path("share/applications/" + kAppId + ".desktop")}},
        {{"/usr/bin/appstreamcli", "validate", "--no-net", path("share/metainfo/" + kAppId + ".metainfo.xml")}},
        // The tree: the metainfo's launchable finds the desktop entry, whose icon is installed.
        {{"/usr/bin/appstreamcli", "validate-tree", "--no-net", prefix_}},
    };
    for (const Check& check : checks) {
        const std::vector<std::string> args(check.command.begin() + 1, check.command.end());
        const BinaryRun run = runBinaryCapturing(check.command[0], args);
        const std::string output = run.standardOutput + run.standardError;
        EXPECT_EQ(run.exitCode, 0) << check.command[0] << ' ' << check.command[1] << '\n' << output;
        // Errors, warnings and infos fail; only pedantic notes (the upper-case letter of the id) pass.
        for (const std::string& line : linesOf(output)) {
            EXPECT_FALSE(line.starts_with("E:") || line.starts_with("W:") || line.starts_with("I:")) << line;
        }
        if (check.command[0].ends_with("desktop-file-validate")) {
            EXPECT_EQ(output, "") << "no hints either";
        }
    }
}

TEST_F(InstallLayout, DesktopEntryNamesTheWindowClassTheCommandAndTheIcon) {
    const std::vector<std::string> lines = linesOf(readWholeFile(path("share/applications/" + kAppId + ".desktop")));
    const std::string expected[] = {"StartupWMClass=" + std::string(kWindowClassName), "Exec=lumibox",
                                    "Icon=" + kAppId, "Type=Application", "Terminal=false",
                                    "Actions=network;", "Exec=lumibox --network"};
    for (const std::string& line : expected) {
        EXPECT_NE(std::find(lines.begin(), lines.end(), line), lines.end()) << line;
    }
    EXPECT_EQ(std::string(kWindowClassName), "VelmoraLumibox") << "the window's class, its WM_CLASS on X11";
}

TEST_F(InstallLayout, IconsAreTheExportedArtAtEverySize) {
    const std::string exported = makeTempDirectory() + "/icon.ico";
    ASSERT_EQ(runBinary(path("bin/lumibox"), {"--export-icon", exported}), 0);
    EXPECT_EQ(readWholeFile(path(iconPath(256))), readWholeFile(exported + ".png")) << "256 is the export itself";
    const QImage reference =
        QImage(QString::fromStdString(exported + ".png")).convertToFormat(QImage::Format_ARGB32_Premultiplied);
    for (int size : kIconSizes) {
        const QImage icon(QString::fromStdString(path(iconPath(size))));
        ASSERT_FALSE(icon.isNull()) << size;
        EXPECT_EQ(icon.size(), QSize(size, size));
        EXPECT_TRUE(icon.hasAlphaChannel()) << size;
        // From 32 px on the corner pixel lies wholly outside the rounded tile; at 16 it is cut.
        EXPECT_LT(qAlpha(icon.pixel(0, 0)), size >= 32 ? 1 : 128) << "transparent corner at " << size;
        EXPECT_EQ(qAlpha(icon.pixel(size / 2, size / 2)), 255) << "opaque tile at " << size;
        // Scaled, not redrawn differently: the mean colour stays that of the export.
        const QImage expected = reference.scaled(size, size, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
        double difference = 0;
        for (int y = 0; y < size; ++y) {
            for (int x = 0; x < size; ++x) {
                difference += std::abs(qGreen(qPremultiply(icon.pixel(x, y))) - qGreen(qPremultiply(expected.pixel(x, y))));
            }
        }
        EXPECT_LT(difference / (size * size), 8.0) << size;
    }
}

// The manual as text: sections start at a line with three spaces before a non-space, option
// entries at seven, their paragraphs at fourteen.
std::vector<std::string> manualSection(const std::vector<std::string>& lines, std::string_view word) {
    std::vector<std::string> section;
    bool inside = false;
    for (const std::string& line : lines) {
        const bool heading = line.starts_with("   ") && line.size() > 3 && line[3] != ' ';
        if (inside && (heading || (!line.empty() && line[0] != ' '))) break;
        if (heading && line.substr(3) == word) inside = true;
        if (inside) section.push_back(line);
    }
    return section;
}

std::string manualEntry(const std::vector<std::string>& section, std::string_view name) {
    std::string entry;
    for (const std::string& line : section) {
        if (!entry.empty() && line.starts_with("              ")) {
            entry += ' ' + line.substr(14);
        } else if (!entry.empty() && !line.empty()) {
            break;
        } else if (line.starts_with("       " + std::string(name) + ' ') || line == "       " + std::string(name)) {
            // A flag longer than the tag column stands alone on its line.
            entry = line;
        }
    }
    return entry;
}

TEST_F(InstallLayout, ManualRendersWithoutWarningsAndAgreesWithTheOptionTables) {
    const std::string page = path("share/man/man1/lumibox.1");
    const BinaryRun groff = runBinaryCapturing("/usr/bin/groff", {"-ww", "-man", "-Tutf8", "-z", page});
    EXPECT_EQ(groff.exitCode, 0);
    EXPECT_EQ(groff.standardError, "");
    const BinaryRun man = runBinaryCapturing("/usr/bin/man", {"--warnings", "-E", "UTF-8", "-l", page});
    EXPECT_EQ(man.exitCode, 0);
    EXPECT_EQ(man.standardError, "");
    EXPECT_NE(man.standardOutput.find("Velmora Lumibox 0.2.1"), std::string::npos);
    const BinaryRun whatis = runBinaryCapturing("/usr/bin/lexgrog", {page});
    EXPECT_EQ(whatis.exitCode, 0) << "the NAME section parses for whatis and apropos";

    // Wide lines keep each paragraph on one line.
    const BinaryRun text = runBinaryCapturing("/usr/bin/groff", {"-man", "-Tascii", "-P-cbou", "-rLL=250n", page});
    ASSERT_EQ(text.exitCode, 0);
    const std::vector<std::string> lines = linesOf(text.standardOutput);
    for (const auto& modes : {std::span<const CommandLineMode>(dmx_options::kModes),
                              std::span<const CommandLineMode>(scan_options::kModes),
                              std::span<const CommandLineMode>(serve_options::kModes),
                              std::span<const CommandLineMode>(source_options::kModes),
                              std::span<const CommandLineMode>(capture_options::kModes),
                              std::span<const CommandLineMode>(midi_options::kModes)}) {
        for (const CommandLineMode& mode : modes) {
            std::string heading = std::string(mode.word) + (mode.argument.empty() ? "" : ' ' + std::string(mode.argument));
            for (std::size_t i = mode.word.size(); i < heading.size(); ++i)
                heading[i] = static_cast<char>(std::tolower(static_cast<unsigned char>(heading[i])));
            const std::vector<std::string> section = manualSection(lines, heading);
            ASSERT_FALSE(section.empty()) << mode.word;
            const std::string synopsisHead = "       lumibox " + std::string(mode.word) + ' ';
            const auto synopsis = std::find_if(lines.begin(), lines.end(),
                                               [&](const std::string& line) { return line.starts_with(synopsisHead); });
            ASSERT_NE(synopsis, lines.end()) << "synopsis " << mode.word;
            std::string usageLines = *synopsis;  // with the lines a long synopsis wraps onto
            for (auto next = synopsis + 1; next != lines.end() && next->starts_with(std::string(15, ' ')); ++next) usageLines += *next;
            for (const CommandLineOption* option : mode.options) {
                // The synopsis writes placeholders in lower case; a flag has none.
                std::string placeholder(option->placeholder);
                for (char& c : placeholder) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
                const std::string usage =
                    '[' + std::string(option->name) + (option->isFlag() ? "" : ' ' + placeholder) + ']';
                EXPECT_NE(usageLines.find(usage), std::string::npos) << usageLines << " lacks " << usage;
                const std::string entry = manualEntry(section, option->name);
                ASSERT_FALSE(entry.empty()) << mode.word << ' ' << option->name;
                const std::string fallback =
                    option->isFlag() ? "off" : option->fallback.empty() ? "none" : std::string(option->fallback);
                EXPECT_TRUE(entry.ends_with("Default: " + fallback + '.')) << entry;
                if (option->hasRange() && option->max != kNoUpperBound) {
                    const std::string range = std::to_string(option->min) + " to " + std::to_string(option->max);
                    EXPECT_NE(entry.find(range), std::string::npos) << entry;
                }
            }
            for (const ExitCodeMeaning& exit : mode.exitCodes) {
                const std::string tag = "       " + std::to_string(exit.code) + ' ';
                const bool listed = std::any_of(section.begin(), section.end(),
                                                [&](const std::string& line) { return line.starts_with(tag); });
                EXPECT_TRUE(listed) << mode.word << " exit " << exit.code;
            }
        }
    }
}

}  // namespace
