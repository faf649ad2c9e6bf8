// Drives the real lumibox binary with --export-icon: arguments in, exit code and file bytes out.
#include <gtest/gtest.h>

#include <QByteArray>
#include <QImage>
#include <QPainter>

#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "core/tests/run_binary.h"
#include "ui/qt/app_icon_painter.h"
#include "ui/tests/icon_file_checks.h"

namespace {

const std::string kBinary = LUMIBOX_BINARY;

const std::string kFullFileSystemTool = LUMIBOX_SOURCE_DIR "/tools/on-full-filesystem.sh";

int exportIconWithBinary(const std::string& path) { return runBinary(kBinary, {"--export-icon", path}); }

class IconExportCli : public ::testing::Test {
protected:
    // A headless machine: the export must not need a display or a chosen Qt platform.
    static void SetUpTestSuite() {
        unsetenv("DISPLAY");
        unsetenv("WAYLAND_DISPLAY");
        unsetenv("QT_QPA_PLATFORM");
    }
    void TearDown() override { std::filesystem::remove_all(dir); }
    std::string dir = makeTempDirectory();
};

TEST_F(IconExportCli, WritesPngAndIconFileWithTheHeader) {
    const std::string ico = dir + "/out.ico";
    ASSERT_EQ(exportIconWithBinary(ico), 0);
    expectIconFileWrapsPng(readWholeFile(ico), readWholeFile(ico + ".png"));
}

TEST_F(IconExportCli, PngIs256SquareRgbaWithTheRenderedPixels) {
    const std::string ico = dir + "/app.ico";
    ASSERT_EQ(exportIconWithBinary(ico), 0);
    const std::string png = readWholeFile(ico + ".png");
    expectRgbaPng256(png);

    QImage decoded;
    ASSERT_TRUE(decoded.loadFromData(QByteArray(png.data(), static_cast<qsizetype>(png.size())), "PNG"));
    decoded = decoded.convertToFormat(QImage::Format_ARGB32);
    ASSERT_EQ(decoded.size(), QSize(256, 256));
    EXPECT_EQ(qAlpha(decoded.pixel(0, 0)), 0);
    EXPECT_EQ(qAlpha(decoded.pixel(255, 255)), 0);

    // The file holds the renderer's pixels with straight alpha, partial-alpha edges included.
    QImage expected(256, 256, QImage::Format_ARGB32);
    expected.fill(Qt::transparent);
    {
        QPainter painter(&expected);
        drawAppIcon(painter, 256);
    }
    int differing = 0;
    for (int y = 0; y < 256; ++y)
        for (int x = 0; x < 256; ++x)
            if (decoded.pixel(x, y) != expected.pixel(x, y)) ++differing;
    EXPECT_EQ(differing, 0);
}

// A failed export writes nothing and leaves earlier files as they were: both files are put
// in place only once both are written whole.
TEST_F(IconExportCli, FailuresGiveExitCode2AndWriteNothing) {
    enum class Trouble { None, FileSizeLimit, FullFileSystem, ClosedPipe };
    struct Case {
        const char* path;  // relative to a fresh folder, which is the current one
        Trouble trouble;
        bool earlierFiles;  // out.ico and out.ico.png exist before
    };
    const Case cases[] = {
        {"no-such-dir/out.ico", Trouble::None, false},
        {"taken", Trouble::None, false},  // a folder: no taken.png either
        {"", Trouble::None, false},       // no ".png"
        {"out.ico", Trouble::FileSizeLimit, true},
        {"out.ico", Trouble::FullFileSystem, true},
        {"out.ico", Trouble::ClosedPipe, false},  // out.ico links to the standard output
    };
    for (const Case& c : cases) {
        const std::string folder = makeTempDirectory();
        ASSERT_TRUE(std::filesystem::create_directory(folder + "/taken"));
        std::vector<std::string> before = {"taken"};
        if (c.earlierFiles) {
            std::ofstream(folder + "/out.ico", std::ios::binary) << "earlier icon";
            std::ofstream(folder + "/out.ico.png", std::ios::binary) << "earlier png";
            before = {"out.ico", "out.ico.png", "taken"};
        }
        ChildOptions child;
        child.directory = folder;
        if (c.trouble == Trouble::FileSizeLimit) child.fileSizeLimit = 1024;
        if (c.trouble == Trouble::FullFileSystem) child.wrapper = {kFullFileSystemTool, folder};
        if (c.trouble == Trouble::ClosedPipe) {
            std::filesystem::create_symlink("/dev/stdout", folder + "/out.ico");
            before = {"out.ico", "taken"};
            child.standardOutput = pipeWithoutReader();
        }
        RunningBinary running = startBinary(kBinary, {"--export-icon", c.path}, child);
        closeDescriptor(child.standardOutput);
        EXPECT_EQ(waitForExit(running, 20000), 2) << c.path << " " << static_cast<int>(c.trouble);
        EXPECT_EQ(directoryEntries(folder), before) << c.path << " " << static_cast<int>(c.trouble);
        if (c.earlierFiles) {
            EXPECT_EQ(readWholeFile(folder + "/out.ico"), "earlier icon");
            EXPECT_EQ(readWholeFile(folder + "/out.ico.png"), "earlier png");
        }
        std::filesystem::remove_all(folder);
    }
}

TEST_F(IconExportCli, ExportingAgainReplacesBothFiles) {
    const std::string ico = dir + "/again.ico";
    const std::string junk(100000, 'x');
    std::ofstream(ico, std::ios::binary) << junk;
    std::ofstream(ico + ".png", std::ios::binary) << junk;

    ASSERT_EQ(exportIconWithBinary(ico), 0);
    const std::string firstPng = readWholeFile(ico + ".png");
    const std::string firstIcon = readWholeFile(ico);
    EXPECT_EQ(firstIcon.size(), firstPng.size() + 22);
    EXPECT_EQ(firstPng.substr(1, 3), "PNG");

    ASSERT_EQ(exportIconWithBinary(ico), 0);
    EXPECT_EQ(readWholeFile(ico + ".png"), firstPng);
    EXPECT_EQ(readWholeFile(ico), firstIcon);
}

}  // namespace
