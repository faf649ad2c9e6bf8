#include "icon_export.h"

#include <algorithm>
#include <string_view>

#include "../core/exit_codes.h"
#include "../core/whole_file.h"
#include "app_icon.h"

namespace {

constexpr std::size_t kIconHeaderSize = 22;

void putLittleEndian(std::vector<uint8_t>& bytes, std::size_t offset, uint32_t value, int count) {
    for (int i = 0; i < count; ++i) bytes[offset + static_cast<std::size_t>(i)] = static_cast<uint8_t>(value >> (8 * i));
}

std::string_view asText(const std::vector<uint8_t>& bytes) {
    return {reinterpret_cast<const char*>(bytes.data()), bytes.size()};
}

// Both files or neither: each is written beside its target first, and only when both
// are complete are they put in place. An empty path or a folder fails at the icon file,
// so no stray ".png" is left either.
bool writeIconFiles(const std::string& path, const std::vector<uint8_t>& png) {
    StagedFile pngFile, iconFile;
    if (!stageFile(pngFile, path + ".png", asText(png))) return false;
    if (!stageFile(iconFile, path, asText(iconFileBytes(png)))) {
        discardStagedFile(pngFile);
        return false;
    }
    const bool placed = commitStagedFile(pngFile) && commitStagedFile(iconFile);
    discardStagedFile(iconFile);
    return placed;
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
    if (png.empty()) return kIconNotExported;
    return writeIconFiles(path, png) ? kSuccess : kIconNotExported;
}
