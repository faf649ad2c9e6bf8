#include "icon_export.h"

#include <QBuffer>
#include <QByteArray>
#include <QImage>
#include <QPainter>

#include <array>
#include <cstdint>
#include <fstream>

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

bool writeFile(const std::string& path, const char* prefix, std::size_t prefixLength, const QByteArray& bytes) {
    std::ofstream file(path, std::ios::binary | std::ios::trunc);
    if (!file) return false;
    if (prefixLength > 0) file.write(prefix, static_cast<std::streamsize>(prefixLength));
    file.write(bytes.constData(), bytes.size());
    file.close();
    return !file.fail();
}

}  // namespace

int exportIcon(const std::string& path) {
    const QByteArray png = renderIconPng();
    if (png.isEmpty()) return 2;
    if (!writeFile(path + ".png", nullptr, 0, png)) return 2;
    const auto header = iconFileHeader(static_cast<uint32_t>(png.size()));
    return writeFile(path, header.data(), header.size(), png) ? 0 : 2;
}
