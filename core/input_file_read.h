#pragma once
// The reading both platforms' input_file files share once the stream is open.
#include <fstream>
#include <iterator>
#include <string>

inline bool readOpenedFile(std::ifstream& file, std::string& bytes, std::size_t maxBytes) {
    if (!file) return false;
    bytes.clear();
    char buffer[65536];
    while (file.read(buffer, sizeof buffer) || file.gcount() > 0) {
        bytes.append(buffer, static_cast<std::size_t>(file.gcount()));
        if (bytes.size() > maxBytes) return false;
    }
    return file.eof();
}
