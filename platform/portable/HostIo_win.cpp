#include <windows.h>

#include <fcntl.h>
#include <io.h>

#include <algorithm>

#include "platform/portable/HostIo.h"

bool HostOpensForReading(const std::filesystem::path& path) {
    int fd = ::_wopen(path.c_str(), _O_RDONLY | _O_BINARY);
    if (fd < 0) return false;
    ::_close(fd);
    return true;
}

namespace {
HANDLE AsHandle(intptr_t handle) { return reinterpret_cast<HANDLE>(handle); }
}  // namespace

HostAppendFile& HostAppendFile::operator=(HostAppendFile&& other) noexcept {
    if (this != &other) {
        Close();
        handle_ = other.handle_;
        path_ = std::move(other.path_);
        other.handle_ = kClosed;
    }
    return *this;
}

bool HostAppendFile::StillNamed() const {
    if (handle_ == kClosed) return false;
    // The path's size and times match the open file's: a file put in its place, or the
    // path deleted (a file whose deletion waits for its last handle cannot be asked),
    // makes them differ.
    BY_HANDLE_FILE_INFORMATION open;
    WIN32_FILE_ATTRIBUTE_DATA named;
    if (!GetFileInformationByHandle(AsHandle(handle_), &open)) return false;
    if (!GetFileAttributesExW(path_.c_str(), GetFileExInfoStandard, &named)) return false;
    return open.nFileSizeLow == named.nFileSizeLow && open.nFileSizeHigh == named.nFileSizeHigh &&
           CompareFileTime(&open.ftCreationTime, &named.ftCreationTime) == 0 &&
           CompareFileTime(&open.ftLastWriteTime, &named.ftLastWriteTime) == 0;
}

bool HostAppendFile::Open(const std::filesystem::path& path) {
    Close();
    HANDLE file = CreateFileW(path.c_str(), FILE_APPEND_DATA,
                              FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                              OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return false;
    handle_ = reinterpret_cast<intptr_t>(file);
    path_ = path;
    return true;
}

bool HostAppendFile::Append(std::string_view bytes) {
    if (handle_ == kClosed) return false;
    while (!bytes.empty()) {
        DWORD written = 0;
        DWORD chunk = static_cast<DWORD>(std::min<size_t>(bytes.size(), 1u << 30));
        if (!::WriteFile(AsHandle(handle_), bytes.data(), chunk, &written, nullptr) || written == 0)
            return false;
        bytes.remove_prefix(written);
    }
    return true;
}

void HostAppendFile::Close() {
    if (handle_ == kClosed) return;
    CloseHandle(AsHandle(handle_));
    handle_ = kClosed;
}
