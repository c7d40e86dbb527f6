#include <fcntl.h>
#include <io.h>
#include <sys/stat.h>

#include "platform/portable/HostIo.h"

bool HostOpensForReading(const std::filesystem::path& path) {
    int fd = ::_wopen(path.c_str(), _O_RDONLY | _O_BINARY);
    if (fd < 0) return false;
    ::_close(fd);
    return true;
}

// Nothing is kept open here (see HostIo.h): the handle only says a path was given.

HostAppendFile& HostAppendFile::operator=(HostAppendFile&& other) noexcept {
    if (this != &other) {
        handle_ = other.handle_;
        path_ = std::move(other.path_);
        other.handle_ = kClosed;
    }
    return *this;
}

bool HostAppendFile::StillNamed() const { return handle_ != kClosed; }

bool HostAppendFile::Open(const std::filesystem::path& path) {
    // Created now, so that a file that cannot be created fails here.
    int fd =
        ::_wopen(path.c_str(), _O_WRONLY | _O_APPEND | _O_CREAT | _O_BINARY, _S_IREAD | _S_IWRITE);
    if (fd < 0) return false;
    ::_close(fd);
    handle_ = 0;
    path_ = path;
    return true;
}

bool HostAppendFile::Append(std::string_view bytes) {
    if (handle_ == kClosed) return false;
    int fd =
        ::_wopen(path_.c_str(), _O_WRONLY | _O_APPEND | _O_CREAT | _O_BINARY, _S_IREAD | _S_IWRITE);
    if (fd < 0) return false;
    bool ok = true;
    while (!bytes.empty()) {
        unsigned chunk =
            bytes.size() > 0x40000000u ? 0x40000000u : static_cast<unsigned>(bytes.size());
        int n = ::_write(fd, bytes.data(), chunk);
        if (n <= 0) {
            ok = false;
            break;
        }
        bytes.remove_prefix(static_cast<size_t>(n));
    }
    return ::_close(fd) == 0 && ok;
}

void HostAppendFile::Close() { handle_ = kClosed; }
