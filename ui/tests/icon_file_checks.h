#pragma once
// What --export-icon writes, checked the same way for every platform's binary: the PNG is
// 256 x 256 RGBA, and the icon file is the 22-byte header followed by the PNG unchanged.
#include <gtest/gtest.h>

#include <cstdint>
#include <string>

inline uint32_t littleEndian32(const std::string& bytes, std::size_t offset) {
    uint32_t value = 0;
    for (int i = 3; i >= 0; --i) value = (value << 8) | static_cast<uint8_t>(bytes[offset + static_cast<std::size_t>(i)]);
    return value;
}

inline uint32_t bigEndian32(const std::string& bytes, std::size_t offset) {
    uint32_t value = 0;
    for (std::size_t i = 0; i < 4; ++i) value = (value << 8) | static_cast<uint8_t>(bytes[offset + i]);
    return value;
}

inline void expectIconFileWrapsPng(const std::string& icon, const std::string& png) {
    ASSERT_GT(png.size(), 1000u);
    ASSERT_EQ(icon.size(), png.size() + 22);
    const std::string fixedStart("\x00\x00\x01\x00\x01\x00\x00\x00\x00\x00\x01\x00\x20\x00", 14);
    EXPECT_EQ(icon.substr(0, 14), fixedStart);
    EXPECT_EQ(littleEndian32(icon, 14), png.size());
    EXPECT_EQ(icon.substr(18, 4), std::string("\x16\x00\x00\x00", 4));
    EXPECT_TRUE(icon.compare(22, std::string::npos, png) == 0);
}

// Signature, then IHDR: width, height, 8 bits per sample, colour type 6 (RGB with alpha).
inline void expectRgbaPng256(const std::string& png) {
    ASSERT_GT(png.size(), 33u);
    EXPECT_EQ(png.substr(0, 8), "\x89PNG\r\n\x1a\n");
    EXPECT_EQ(png.substr(12, 4), "IHDR");
    EXPECT_EQ(bigEndian32(png, 16), 256u);
    EXPECT_EQ(bigEndian32(png, 20), 256u);
    EXPECT_EQ(static_cast<uint8_t>(png[24]), 8);
    EXPECT_EQ(static_cast<uint8_t>(png[25]), 6);
}
