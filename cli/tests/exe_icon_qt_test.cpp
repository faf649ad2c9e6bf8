// lumibox.exe --export-icon under wine, end to end: the files GDI+ writes against the
// Linux binary's export of the same design. Wine's GDI+ draws without anti-aliasing, so
// pixels are compared with a tolerance and a one-pixel allowance at edges.
// Runs through `tools/wine-run.sh <prefix> --host` (see cli/tests/win32_exe_tests.cmake).
#include <gtest/gtest.h>

#include <QByteArray>
#include <QImage>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

#include "core/tests/run_binary.h"
#include "ui/tests/icon_design_pixels.h"
#include "ui/tests/icon_file_checks.h"
#include "wine_program.h"

namespace {

const std::string kLinuxBinary = LUMIBOX_BINARY;
const std::string kWindowsBinary = environmentText("LUMIBOX_WINDOWS_BINARY");

bool exists(const std::string& path) {
    std::error_code error;
    return std::filesystem::exists(path, error);
}

QImage decodePng(const std::string& png) {
    QImage image;
    image.loadFromData(QByteArray(png.data(), static_cast<qsizetype>(png.size())), "PNG");
    return image.convertToFormat(QImage::Format_ARGB32_Premultiplied);
}

// The largest channel difference of two premultiplied pixels, alpha included.
int difference(QRgb a, QRgb b) {
    return std::max({std::abs(qAlpha(a) - qAlpha(b)), std::abs(qRed(a) - qRed(b)), std::abs(qGreen(a) - qGreen(b)),
                     std::abs(qBlue(a) - qBlue(b))});
}

// How far a pixel of `image` is from the nearest colour `reference` has within two pixels
// of the same place: an edge drawn without anti-aliasing takes the colour of one side,
// and the thin frame's corner arcs round to pixels up to two away.
int distanceToNeighbourhood(const QImage& image, const QImage& reference, int x, int y) {
    int best = 255;
    for (int dy = -2; dy <= 2; ++dy)
        for (int dx = -2; dx <= 2; ++dx) {
            const int nx = std::clamp(x + dx, 0, 255), ny = std::clamp(y + dy, 0, 255);
            best = std::min(best, difference(image.pixel(x, y), reference.pixel(nx, ny)));
        }
    return best;
}

class ExeIconExport : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_FALSE(kWindowsBinary.empty()) << "LUMIBOX_WINDOWS_BINARY is not set: run through ctest"; }
    void TearDown() override { std::filesystem::remove_all(dir); }
    int exportWithExe(const std::string& linuxPath) {
        return runWindowsProgram(kWindowsBinary, {"--export-icon", windowsPath(linuxPath)});
    }
    std::string dir = makeTempDirectory();
};

TEST_F(ExeIconExport, FilesMatchTheLinuxExportWithinTolerance) {
    const std::string ico = dir + "/symbol-\xC3\xA4\xE2\x86\x92.ico";  // a name beyond ASCII
    ASSERT_EQ(exportWithExe(ico), 0);
    const std::string png = readWholeFile(ico + ".png");
    expectIconFileWrapsPng(readWholeFile(ico), png);
    expectRgbaPng256(png);

    ASSERT_EQ(runBinary(kLinuxBinary, {"--export-icon", dir + "/linux.ico"}), 0);
    const QImage windows = decodePng(png);
    const QImage linux = decodePng(readWholeFile(dir + "/linux.ico.png"));
    ASSERT_EQ(windows.size(), QSize(256, 256));
    ASSERT_EQ(linux.size(), QSize(256, 256));

    for (const ExpectedIconPixel& e : kIconDesignPixels) {
        SCOPED_TRACE(e.what);
        const QRgb p = windows.pixel(e.x, e.y);
        EXPECT_EQ(qAlpha(p), 255);
        EXPECT_NEAR(qRed(p), e.r, 3);
        EXPECT_NEAR(qGreen(p), e.g, 3);
        EXPECT_NEAR(qBlue(p), e.b, 3);
    }
    for (const auto& p : kIconTransparentPixels) EXPECT_EQ(qAlpha(windows.pixel(p[0], p[1])), 0) << p[0] << "," << p[1];

    // Every pixel near a colour of the Linux export two pixels away at most, and nearly all
    // close to the Linux pixel in the same place (wine: about 1.7 % differ, all at edges).
    int far = 0, differing = 0, worst = 0;
    for (int y = 0; y < 256; ++y)
        for (int x = 0; x < 256; ++x) {
            const int distance = distanceToNeighbourhood(windows, linux, x, y);
            worst = std::max(worst, distance);
            if (distance > 24) ++far;
            if (difference(windows.pixel(x, y), linux.pixel(x, y)) > 24) ++differing;
        }
    EXPECT_LE(far, 0) << "worst " << worst;
    EXPECT_LE(differing, 256 * 256 * 3 / 100) << "edge pixels are the only ones that may differ";
}

TEST_F(ExeIconExport, FailuresGiveExitCode2AndExportingAgainReplacesBothFiles) {
    const std::string missing = dir + "/no-such-dir/out.ico";
    EXPECT_EQ(exportWithExe(missing), 2);
    EXPECT_FALSE(exists(missing));
    EXPECT_FALSE(exists(missing + ".png"));

    // The icon path is a directory: a failed export writes neither file.
    const std::string taken = dir + "/taken";
    ASSERT_TRUE(std::filesystem::create_directory(taken));
    EXPECT_EQ(exportWithExe(taken), 2);
    EXPECT_FALSE(exists(taken + ".png"));

    const std::string ico = dir + "/again.ico";
    const std::string junk(100000, 'x');
    std::ofstream(ico, std::ios::binary) << junk;
    std::ofstream(ico + ".png", std::ios::binary) << junk;
    ASSERT_EQ(exportWithExe(ico), 0);
    expectIconFileWrapsPng(readWholeFile(ico), readWholeFile(ico + ".png"));
}

}  // namespace
