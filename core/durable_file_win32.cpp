#include <windows.h>

#include <fstream>

#include "durable_file.h"

namespace fs = std::filesystem;

// FILE_SHARE_DELETE lets an interruption remove the temporary file while it is being written
// (interruption_win32.cpp). Permissions are the folder's on Windows and are not copied.
bool writeNewFileDurably(const fs::path& file, std::string_view bytes, std::optional<fs::perms>) {
    const HANDLE handle = CreateFileW(file.c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_DELETE, nullptr,
                                      CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (handle == INVALID_HANDLE_VALUE) return false;
    bool written = true;
    while (written && !bytes.empty()) {
        const DWORD chunk = bytes.size() > 0x40000000 ? 0x40000000 : static_cast<DWORD>(bytes.size());
        DWORD done = 0;
        written = WriteFile(handle, bytes.data(), chunk, &done, nullptr) && done > 0;
        bytes.remove_prefix(done);
    }
    written = written && FlushFileBuffers(handle);
    written = CloseHandle(handle) && written;
    if (!written) DeleteFileW(file.c_str());
    return written;
}

bool replaceFileDurably(const fs::path& from, const fs::path& to) {
    return MoveFileExW(from.c_str(), to.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH) != 0;
}

// A device such as CON or NUL, or a named pipe: written as it stands.
std::optional<bool> writeToNamedStream(const fs::path& path, std::string_view bytes) {
    std::error_code error;
    const fs::file_status status = fs::status(path, error);
    if (!fs::exists(status) || fs::is_regular_file(status) || fs::is_directory(status)) return std::nullopt;
    std::ofstream out(path, std::ios::binary);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    out.flush();
    return !out.fail();
}
