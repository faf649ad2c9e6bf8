#include <iostream>

#include "../core/output_file.h"
#include "follow_output.h"

// Windows has no signal to interrupt a write with: a line waits for its reader, and a stop
// is noticed once it has been taken.

bool openFollowOutput(FollowOutput& output, const std::string& path) {
    output.toStandardOutput = path == "-";
    if (output.toStandardOutput) return true;
    output.file = openOutputFile(path);
    return output.file.good();
}

bool writeFollowLine(FollowOutput& output, std::string_view line) {
    std::ostream& stream = output.toStandardOutput ? std::cout : output.file;
    stream << line << '\n';
    stream.flush();  // a reader sees each line as it is made; a closed pipe shows here
    return stream.good();
}

void closeFollowOutput(FollowOutput& output) {
    if (output.file.is_open()) output.file.close();
}
