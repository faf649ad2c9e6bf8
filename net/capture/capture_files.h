#pragma once
// The platform's file calls under the capture files, which are named by UTF-8 text as
// every argument is (capture_files_posix.cpp, capture_files_win32.cpp).
#include <pcap/pcap.h>

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

#include "../socket/socket_layer.h"
#include "recording_file.h"

// The regular file at path, opened for binary reading; nullptr, with problem set, when
// there is none or it cannot be opened.
std::FILE* openRegularFileForReading(const std::string& path, std::string& problem);

// libpcap reading the capture in stream with nanosecond time stamps. The stream becomes the
// capture's (pcap_close closes it); nullptr, with error set and the stream still the
// caller's, when it holds no capture file.
pcap_t* openCaptureOnStream(std::FILE* stream, char* error);

// Opens a recording's output and sets file's descriptor, ownsDescriptor, stream and
// startOffset: standard output for "-", the stream path names (written in place), or the
// file at path created or replaced, readable by others meanwhile. False when it cannot.
bool openRecordingOutput(RecordingFile& file, const std::string& path);
// Writes some of the bytes: how many, or -1 (a call that a signal interrupted is repeated).
long writeRecordingBytes(std::intptr_t file, const uint8_t* bytes, std::size_t size);
// Cuts the file back to length; the next write goes there.
void cutRecordingFile(std::intptr_t file, uint64_t length);
bool closeRecordingDescriptor(std::intptr_t file);

// Waits up to timeoutMs until sockets hold datagrams, and puts the positions of those that
// do into ready. Sets readerLeft when stream (a stream output's descriptor, or -1) has lost
// its reader, where the system tells that without a write (POSIX); elsewhere the next
// write fails.
void waitForRecordingInput(const std::vector<SocketHandle>& sockets, std::intptr_t stream, int timeoutMs,
                           std::vector<int>& ready, bool& readerLeft);
