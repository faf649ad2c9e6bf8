// The .deb that ./package.sh writes, when there is one: its control fields and its files.
// Without a package the tests are skipped and CTest reports them as skipped.
#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <map>
#include <sstream>
#include <vector>

#include "core/tests/run_binary.h"
#include "core/product_identity.h"

namespace {

const std::string kDeb = std::string(LUMIBOX_SOURCE_DIR) + "/dist/lumibox_" LUMIBOX_VERSION "_amd64.deb";

bool debExists() { return std::ifstream(kDeb).good(); }

// Field name to value; continuation lines are kept with their line ends.
std::map<std::string, std::string> controlFields(const std::string& control) {
    std::map<std::string, std::string> fields;
    std::istringstream lines(control);
    std::string name;
    for (std::string line; std::getline(lines, line);) {
        if (!line.empty() && line[0] == ' ' && !name.empty()) {
            fields[name] += '\n' + line;
        } else if (const std::size_t colon = line.find(": "); colon != std::string::npos) {
            name = line.substr(0, colon);
            fields[name] = line.substr(colon + 2);
        }
    }
    return fields;
}

TEST(DebPackage, ControlFields) {
    if (!debExists()) GTEST_SKIP() << "no " << kDeb << ": ./package.sh builds it";
    const BinaryRun info = runBinaryCapturing("/usr/bin/dpkg-deb", {"--field", kDeb});
    ASSERT_EQ(info.exitCode, 0) << info.standardError;
    std::map<std::string, std::string> fields = controlFields(info.standardOutput);
    const std::pair<const char*, const char*> exact[] = {
        {"Package", "lumibox"}, {"Version", LUMIBOX_VERSION}, {"Architecture", "amd64"},
        {"Section", "net"},     {"Priority", "optional"},
    };
    for (const auto& [name, value] : exact) EXPECT_EQ(fields[name], value) << name;
    EXPECT_NE(fields["Maintainer"].find('@'), std::string::npos) << fields["Maintainer"];
    EXPECT_TRUE(fields["Description"].starts_with("DMX over IP and MIDI monitor and test sender\n")) << fields["Description"];
    EXPECT_GT(std::atoi(fields["Installed-Size"].c_str()), 0);
    // Computed from the binary by dpkg-shlibdeps, plus the window-system plugin Qt loads.
    const std::string& depends = fields["Depends"];
    for (const char* library : {"libqt6widgets6", "libqt6gui6", "libqt6core6", "librtmidi6", "libjack-jackd2-0",
                                "libc6", "libstdc++6", "qt6-qpa-plugins"}) {
        EXPECT_NE(depends.find(library), std::string::npos) << library << " in " << depends;
    }
    EXPECT_NE(fields["Recommends"].find("fonts-dejavu-extra"), std::string::npos);
    EXPECT_NE(fields["Suggests"].find("prometheus"), std::string::npos);
    // The service's options survive upgrades.
    const BinaryRun conffiles = runBinaryCapturing("/usr/bin/dpkg-deb", {"--info", kDeb, "conffiles"});
    EXPECT_EQ(conffiles.standardOutput, "/etc/default/lumibox-monitor\n");
}

TEST(DebPackage, FilesUnderUsrAndEtcDefaultOwnedByRoot) {
    if (!debExists()) GTEST_SKIP() << "no " << kDeb << ": ./package.sh builds it";
    const BinaryRun contents = runBinaryCapturing("/usr/bin/dpkg-deb", {"--contents", kDeb});
    ASSERT_EQ(contents.exitCode, 0) << contents.standardError;
    const std::string appId = kDesktopApplicationId;
    std::map<std::string, std::string> entries;  // path to "mode owner"
    std::istringstream lines(contents.standardOutput);
    for (std::string line; std::getline(lines, line);) {
        std::istringstream fields(line);
        std::string mode, owner, size, date, time, path;
        fields >> mode >> owner >> size >> date >> time >> path;
        EXPECT_EQ(owner, "root/root") << line;
        EXPECT_TRUE(path == "./" || path.starts_with("./usr/") || path == "./etc/" || path.starts_with("./etc/default/"))
            << line;
        entries[path] = mode;
    }
    std::vector<std::string> expected = {"./usr/bin/lumibox", "./usr/share/applications/" + appId + ".desktop",
                                         "./usr/share/metainfo/" + appId + ".metainfo.xml",
                                         "./usr/share/man/man1/lumibox.1",
                                         "./usr/lib/systemd/system/lumibox-monitor.service",
                                         "./etc/default/lumibox-monitor",
                                         "./usr/share/doc/lumibox/examples/lumibox-alerts.yml"};
    for (int size : {16, 32, 48, 64, 128, 256}) {
        const std::string dir = std::to_string(size) + 'x' + std::to_string(size);
        expected.push_back("./usr/share/icons/hicolor/" + dir + "/apps/" + appId + ".png");
    }
    for (const std::string& path : expected) EXPECT_TRUE(entries.contains(path)) << path;
    EXPECT_EQ(entries["./usr/bin/lumibox"], "-rwxr-xr-x");
}

}  // namespace
