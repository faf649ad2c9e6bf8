#pragma once
// --export-icon: the icon at 256 x 256 as a PNG file and wrapped in a Windows icon file.
#include <cstdint>
#include <string>
#include <vector>

// Writes path + ".png" and the icon file at path. Returns the exit code, 0 or 2.
int exportIcon(const std::string& path);

// The icon file: a 22-byte header for one 256 x 256, 32-bit image, then the PNG bytes.
std::vector<uint8_t> iconFileBytes(const std::vector<uint8_t>& png);

// The icon drawn at size x size on a transparent 32-bit ARGB bitmap and encoded as PNG
// with 8-bit RGBA pixels; empty on failure. Each toolkit defines it beside its painter
// (ui/qt/app_icon_painter.cpp with QImage; GDI+ on Windows).
std::vector<uint8_t> renderAppIconPng(int size);
