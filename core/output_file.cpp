// POSIX file names are bytes: the UTF-8 text is the name.
#include "output_file.h"

std::ofstream openOutputFile(const std::string& path) {
    return std::ofstream(path, std::ios::binary | std::ios::trunc);
}
