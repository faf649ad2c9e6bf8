// Windows opens a narrow name through the ANSI code page, which cannot hold most names:
// the file is opened by its UTF-16 name instead.
#include <filesystem>

#include "input_file.h"
#include "input_file_read.h"
#include "utf16_text_win32.h"

bool readInputFile(const std::string& path, std::string& bytes, std::size_t maxBytes) {
    std::ifstream file(std::filesystem::path(utf8ToUtf16(path)), std::ios::binary);
    return readOpenedFile(file, bytes, maxBytes);
}
