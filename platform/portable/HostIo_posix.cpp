#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

#include "platform/portable/HostIo.h"

bool HostOpensForReading(const std::filesystem::path& path) {
    int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) return false;
    ::close(fd);
    return true;
}

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
    struct stat open, named;
    if (::fstat(static_cast<int>(handle_), &open) != 0 || open.st_nlink == 0) return false;
    if (::stat(path_.c_str(), &named) != 0) return false;
    return open.st_dev == named.st_dev && open.st_ino == named.st_ino;
}

bool HostAppendFile::Open(const std::filesystem::path& path) {
    Close();
    int fd = ::open(path.c_str(), O_WRONLY | O_APPEND | O_CREAT | O_CLOEXEC, 0666);
    if (fd < 0) return false;
    handle_ = fd;
    path_ = path;
    return true;
}

bool HostAppendFile::Append(std::string_view bytes) {
    if (handle_ == kClosed) return false;
    while (!bytes.empty()) {
        ssize_t n = ::write(static_cast<int>(handle_), bytes.data(), bytes.size());
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return false;
        bytes.remove_prefix(static_cast<size_t>(n));
    }
    return true;
}

void HostAppendFile::Close() {
    if (handle_ == kClosed) return;
    ::close(static_cast<int>(handle_));
    handle_ = kClosed;
}
