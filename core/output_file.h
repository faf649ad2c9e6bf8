#pragma once
// Files the command-line modes write, named by UTF-8 text as every argument is. Each
// platform opens the name its own way (output_file.cpp, output_file_win32.cpp), so that
// names beyond ASCII reach the file system unchanged.
#include <fstream>
#include <string>

// Created or replaced, for raw bytes. A file that cannot be opened leaves the stream
// failed, so the caller's check after its writes reports it.
std::ofstream openOutputFile(const std::string& path);
