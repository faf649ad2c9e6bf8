// GDI+'s PNG encoder on a 32-bit ARGB bitmap: 8-bit RGBA PNG of the bitmap's size, and
// the pixels, alpha included, come back unchanged when GDI+ decodes it again.
#include <gtest/gtest.h>

#include <memory>

#include "ui/win32/gdiplus_png.h"

namespace {

struct GdiplusRunning : ::testing::Environment {
    ULONG_PTR token = 0;
    void SetUp() override {
        Gdiplus::GdiplusStartupInput input;
        ASSERT_EQ(Gdiplus::GdiplusStartup(&token, &input, nullptr), Gdiplus::Ok);
    }
    void TearDown() override { Gdiplus::GdiplusShutdown(token); }
};

[[maybe_unused]] ::testing::Environment* const gdiplus = ::testing::AddGlobalTestEnvironment(new GdiplusRunning);

uint32_t bigEndian32(const std::vector<uint8_t>& bytes, std::size_t at) {
    return static_cast<uint32_t>(bytes[at]) << 24 | static_cast<uint32_t>(bytes[at + 1]) << 16 |
           static_cast<uint32_t>(bytes[at + 2]) << 8 | bytes[at + 3];
}

std::unique_ptr<Gdiplus::Bitmap> decode(const std::vector<uint8_t>& png) {
    IStream* stream = nullptr;
    if (CreateStreamOnHGlobal(nullptr, TRUE, &stream) != S_OK) return nullptr;
    ULONG written = 0;
    stream->Write(png.data(), static_cast<ULONG>(png.size()), &written);
    const LARGE_INTEGER start{};
    stream->Seek(start, STREAM_SEEK_SET, nullptr);
    std::unique_ptr<Gdiplus::Bitmap> bitmap(Gdiplus::Bitmap::FromStream(stream));
    stream->Release();  // the bitmap holds its own reference
    return bitmap;
}

TEST(GdiplusPng, ArgbBitmapBecomesRgbaPngWithTheSamePixels) {
    Gdiplus::Bitmap bitmap(256, 256, PixelFormat32bppARGB);
    ASSERT_EQ(bitmap.GetLastStatus(), Gdiplus::Ok);
    struct Pixel { int x, y; Gdiplus::ARGB argb; };
    const Pixel pixels[] = {
        {0, 0, 0x00000000},      // never painted: transparent
        {10, 10, 0xFFFF0000},    // opaque red
        {128, 64, 0x8000FF00},   // half-transparent green
        {255, 255, 0x121EEBFF},  // a glow colour
        {200, 3, 0xFF050C1C},    // the tile colour
    };
    for (const Pixel& p : pixels) {
        if (p.argb != 0) {
            ASSERT_EQ(bitmap.SetPixel(p.x, p.y, Gdiplus::Color(p.argb)), Gdiplus::Ok);
        }
    }

    const std::vector<uint8_t> png = encodePng(bitmap);
    ASSERT_GT(png.size(), 33u);
    const std::vector<uint8_t> signature = {0x89, 'P', 'N', 'G', 0x0D, 0x0A, 0x1A, 0x0A};
    EXPECT_EQ(std::vector<uint8_t>(png.begin(), png.begin() + 8), signature);
    EXPECT_EQ(std::string(png.begin() + 12, png.begin() + 16), "IHDR");
    EXPECT_EQ(bigEndian32(png, 16), 256u) << "width";
    EXPECT_EQ(bigEndian32(png, 20), 256u) << "height";
    EXPECT_EQ(png[24], 8) << "bits per channel";
    EXPECT_EQ(png[25], 6) << "colour type RGBA";

    const std::unique_ptr<Gdiplus::Bitmap> decoded = decode(png);
    ASSERT_TRUE(decoded && decoded->GetLastStatus() == Gdiplus::Ok);
    for (const Pixel& p : pixels) {
        Gdiplus::Color colour;
        ASSERT_EQ(decoded->GetPixel(p.x, p.y, &colour), Gdiplus::Ok);
        EXPECT_EQ(colour.GetValue(), p.argb) << p.x << "," << p.y;
    }
}

TEST(GdiplusPng, TheEncoderIsFoundByItsMimeType) {
    CLSID encoder{};
    ASSERT_TRUE(findPngEncoder(encoder));
    EXPECT_NE(encoder, CLSID{}) << "a real class id, not the zero one";
}

}  // namespace
