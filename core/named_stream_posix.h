#pragma once
// Paths that name a stream rather than a file to create or replace: a descriptor of this
// process (/dev/stdout, /dev/fd/N, /proc/self/fd/N, also through symbolic links), a pipe, a
// terminal or another device. Such a path is written where the stream points, never
// truncated or replaced (named_stream_posix.cpp).
#include <filesystem>
#include <optional>

struct NamedStream {
    int descriptor = -1;  // -1: the stream could not be opened
    bool owned = false;   // opened here, so the caller closes it; else a descriptor of this process
};

// The stream path names, opened for writing at its position and in its mode (appending when
// it was opened for appending); nothing when path names no stream.
std::optional<NamedStream> openNamedStream(const std::filesystem::path& path);
