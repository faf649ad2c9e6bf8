// POSIX file names are bytes: the UTF-8 text is the name.
#include "input_file.h"

#include "input_file_read.h"

bool readInputFile(const std::string& path, std::string& bytes, std::size_t maxBytes) {
    std::ifstream file(path, std::ios::binary);
    return readOpenedFile(file, bytes, maxBytes);
}
