#include "icon_export.h"

#include <algorithm>
#include <fstream>

#include "../core/exit_codes.h"
#include "../core/output_file.h"
#include "app_icon.h"

namespace {

constexpr std::size_t kIconHeaderSize = 22;

void putLittleEndian(std::vector<uint8_t>& bytes, std::size_t offset, uint32_t value, int count) {
    for (int i = 0; i < count; ++i) bytes[offset + static_cast<std::size_t>(i)] = static_cast<uint8_t>(value >> (8 * i));
}

bool writeFile(const std::string& path, const std::vector<uint8_t>& bytes) {
    std::ofstream file = openOutputFile(path);
    if (!file) return false;
    file.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    file.close();
    return !file.fail();
}

}  // namespace

// One image stored as PNG; width and height 0 stand for 256.
std::vector<uint8_t> iconFileBytes(const std::vector<uint8_t>& png) {
    std::vector<uint8_t> bytes(kIconHeaderSize + png.size(), 0);
    putLittleEndian(bytes, 2, 1, 2);   // resource type: icon
    putLittleEndian(bytes, 4, 1, 2);   // image count
    putLittleEndian(bytes, 10, 1, 2);  // colour planes
    putLittleEndian(bytes, 12, 32, 2); // bits per pixel
    putLittleEndian(bytes, 14, static_cast<uint32_t>(png.size()), 4);
    putLittleEndian(bytes, 18, kIconHeaderSize, 4);
    std::copy(png.begin(), png.end(), bytes.begin() + kIconHeaderSize);
    return bytes;
}

int exportIcon(const std::string& path) {
    const std::vector<uint8_t> png = renderAppIconPng(kExportedIconSize);
    if (png.empty() || !writeFile(path + ".png", png)) return kIconNotExported;
    return writeFile(path, iconFileBytes(png)) ? kSuccess : kIconNotExported;
}
