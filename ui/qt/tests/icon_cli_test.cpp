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

#include "core/tests/run_binary.h"
#include "ui/qt/app_icon_painter.h"
#include "ui/tests/icon_file_checks.h"

namespace {

const std::string kBinary = LUMIBOX_BINARY;

bool exists(const std::string& path) {
    std::error_code error;
    return std::filesystem::exists(path, error);
}

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

TEST_F(IconExportCli, FailuresGiveExitCode2) {
    // Directory missing: neither file appears.
    const std::string missing = dir + "/no-such-dir/out.ico";
    EXPECT_EQ(exportIconWithBinary(missing), 2);
    EXPECT_FALSE(exists(missing));
    EXPECT_FALSE(exists(missing + ".png"));

    // The icon path is a directory: the PNG is written, the icon file cannot be.
    const std::string taken = dir + "/taken";
    ASSERT_EQ(mkdir(taken.c_str(), 0700), 0);
    EXPECT_EQ(exportIconWithBinary(taken), 2);
    EXPECT_TRUE(exists(taken + ".png"));
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
