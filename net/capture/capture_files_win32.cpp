// Files opened by their UTF-16 names: a narrow name would pass through the ANSI code page,
// which cannot hold most names.
#include <winsock2.h>
#include <windows.h>

#include <io.h>

#include <cerrno>
#include <cstring>
#include <filesystem>

#include "../../core/utf16_text_win32.h"
#include "capture_files.h"


namespace {

HANDLE handleOf(std::intptr_t file) { return reinterpret_cast<HANDLE>(file); }

}  // namespace

std::FILE* openRegularFileForReading(const std::string& path, std::string& problem) {
    const std::wstring name = utf8ToUtf16(path);
    std::error_code error;
    if (!std::filesystem::is_regular_file(std::filesystem::path(name), error)) {
        problem = "no regular file";
        return nullptr;
    }
    std::FILE* stream = _wfopen(name.c_str(), L"rb");
    if (stream == nullptr) problem = std::strerror(errno);
    return stream;
}

// On Windows libpcap takes an OS handle, and makes a stream of its own on it. It gets a
// copy of the stream's handle, at the stream's position, and the stream is closed once
// libpcap holds the copy. When libpcap refuses the file, its stream on the copy is never
// closed: the program stops reading then, at most once.
pcap_t* openCaptureOnStream(std::FILE* stream, char* error) {
    HANDLE copy = nullptr;
    const auto original = reinterpret_cast<HANDLE>(_get_osfhandle(_fileno(stream)));
    std::fflush(stream);
    if (!DuplicateHandle(GetCurrentProcess(), original, GetCurrentProcess(), &copy, 0, FALSE, DUPLICATE_SAME_ACCESS)) {
        std::snprintf(error, PCAP_ERRBUF_SIZE, "cannot hand the file to libpcap: error %lu", GetLastError());
        return nullptr;
    }
    pcap_t* capture = pcap_hopen_offline_with_tstamp_precision(reinterpret_cast<intptr_t>(copy),
                                                               PCAP_TSTAMP_PRECISION_NANO, error);
    if (capture != nullptr) std::fclose(stream);
    return capture;
}

// A device (CON, NUL) or a named pipe that exists is written in place; anything else is
// created or replaced. INVALID_HANDLE_VALUE is -1, as a failed open's descriptor is elsewhere.
bool openRecordingOutput(RecordingFile& file, const std::string& path) {
    HANDLE handle = INVALID_HANDLE_VALUE;
    if (path == "-") {
        handle = GetStdHandle(STD_OUTPUT_HANDLE);
        file.ownsDescriptor = false;
        if (handle == nullptr) handle = INVALID_HANDLE_VALUE;  // no standard output at all
    } else {
        const std::wstring name = utf8ToUtf16(path);
        std::error_code error;
        const std::filesystem::file_status status = std::filesystem::status(std::filesystem::path(name), error);
        const bool named = std::filesystem::exists(status) && !std::filesystem::is_regular_file(status) &&
                           !std::filesystem::is_directory(status);
        handle = CreateFileW(name.c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                             nullptr, named ? OPEN_EXISTING : CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    }
    file.descriptor = reinterpret_cast<std::intptr_t>(handle);
    if (handle == INVALID_HANDLE_VALUE) return false;
    // A file behind standard output (cmd's > or >>) is written from where its handle stands.
    file.stream = GetFileType(handle) != FILE_TYPE_DISK;
    LARGE_INTEGER position{};
    if (!file.stream && SetFilePointerEx(handle, LARGE_INTEGER{}, &position, FILE_CURRENT) && position.QuadPart > 0)
        file.startOffset = static_cast<uint64_t>(position.QuadPart);
    return true;
}

long writeRecordingBytes(std::intptr_t file, const uint8_t* bytes, std::size_t size) {
    const DWORD chunk = size > 0x40000000 ? 0x40000000 : static_cast<DWORD>(size);
    DWORD written = 0;
    return WriteFile(handleOf(file), bytes, chunk, &written, nullptr) ? static_cast<long>(written) : -1;
}

void cutRecordingFile(std::intptr_t file, uint64_t length) {
    LARGE_INTEGER position{};
    position.QuadPart = static_cast<LONGLONG>(length);
    if (SetFilePointerEx(handleOf(file), position, nullptr, FILE_BEGIN)) SetEndOfFile(handleOf(file));
}

bool closeRecordingDescriptor(std::intptr_t file) { return CloseHandle(handleOf(file)) != 0; }

// Windows tells a stream's writer that its reader left only when a write fails: the stream is
// not watched.
void waitForRecordingInput(const std::vector<SocketHandle>& sockets, std::intptr_t, int timeoutMs,
                           std::vector<int>& ready, bool&) {
    thread_local std::vector<WSAPOLLFD> waiting;
    waiting.clear();
    for (SocketHandle socket : sockets) waiting.push_back(WSAPOLLFD{static_cast<SOCKET>(socket), POLLRDNORM, 0});
    ready.clear();
    if (waiting.empty() || WSAPoll(waiting.data(), static_cast<ULONG>(waiting.size()), timeoutMs) <= 0) return;
    for (std::size_t i = 0; i < waiting.size(); ++i) {
        if ((waiting[i].revents & (POLLRDNORM | POLLERR | POLLHUP)) != 0) ready.push_back(static_cast<int>(i));
    }
}
