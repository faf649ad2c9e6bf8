#include "icon_export.h"

#include <QBuffer>
#include <QByteArray>
#include <QImage>
#include <QPainter>

#include <array>
#include <cstdint>
#include <string_view>

#include "../core/whole_file.h"
#include "app_icon.h"

namespace {

constexpr int kIconSize = 256;
constexpr std::size_t kIconHeaderSize = 22;

// Only QImage and QPainter are used, so no QGuiApplication and no windowing platform is needed.
QByteArray renderIconPng() {
    QImage image(kIconSize, kIconSize, QImage::Format_ARGB32);
    if (image.isNull()) return {};
    image.fill(Qt::transparent);
    {
        QPainter painter(&image);
        drawAppIcon(painter, kIconSize);
    }
    QByteArray png;
    QBuffer buffer(&png);
    if (!buffer.open(QIODevice::WriteOnly) || !image.save(&buffer, "PNG")) return {};
    return png;
}

void putLittleEndian(std::array<char, kIconHeaderSize>& header, std::size_t offset, uint32_t value, int bytes) {
    for (int i = 0; i < bytes; ++i) header[offset + i] = static_cast<char>((value >> (8 * i)) & 0xFF);
}

// One 256 x 256, 32-bit image stored as PNG; width and height 0 stand for 256.
std::array<char, kIconHeaderSize> iconFileHeader(uint32_t pngLength) {
    std::array<char, kIconHeaderSize> header{};
    putLittleEndian(header, 2, 1, 2);   // resource type: icon
    putLittleEndian(header, 4, 1, 2);   // image count
    putLittleEndian(header, 10, 1, 2);  // colour planes
    putLittleEndian(header, 12, 32, 2); // bits per pixel
    putLittleEndian(header, 14, pngLength, 4);
    putLittleEndian(header, 18, kIconHeaderSize, 4);
    return header;
}

// Both files or neither: each is written beside its target first, and only when both
// are complete are they put in place. An empty path or a folder fails at the icon file,
// so no stray ".png" is left either.
int writeIconFiles(const std::string& path, const QByteArray& png) {
    const auto header = iconFileHeader(static_cast<uint32_t>(png.size()));
    std::string icon(header.data(), header.size());
    icon.append(png.constData(), static_cast<std::size_t>(png.size()));
    StagedFile pngFile, iconFile;
    if (!stageFile(pngFile, path + ".png", std::string_view(png.constData(), static_cast<std::size_t>(png.size())))) return 2;
    if (!stageFile(iconFile, path, icon)) {
        discardStagedFile(pngFile);
        return 2;
    }
    const bool placed = commitStagedFile(pngFile) && commitStagedFile(iconFile);
    discardStagedFile(iconFile);
    return placed ? 0 : 2;
}

}  // namespace

int exportIcon(const std::string& path) {
    const QByteArray png = renderIconPng();
    if (png.isEmpty()) return 2;
    return writeIconFiles(path, png);
}
