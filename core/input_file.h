#pragma once
// Files the command-line modes read, named by UTF-8 text as every argument is; each
// platform opens the name its own way, as output_file.h does for writing.
#include <cstddef>
#include <string>

// The whole file into bytes; false when it cannot be opened or read, or holds more than maxBytes.
bool readInputFile(const std::string& path, std::string& bytes, std::size_t maxBytes);
