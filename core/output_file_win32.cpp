// Windows opens a narrow name through the ANSI code page, which cannot hold most names:
// the file is opened by its UTF-16 name instead.
#include <filesystem>

#include "output_file.h"
#include "utf16_text_win32.h"

std::ofstream openOutputFile(const std::string& path) {
    return std::ofstream(std::filesystem::path(utf8ToUtf16(path)), std::ios::binary | std::ios::trunc);
}
