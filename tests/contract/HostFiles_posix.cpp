#include <fcntl.h>
#include <sys/stat.h>
#include <sys/xattr.h>
#include <time.h>

#include <cstdio>
#include <filesystem>

#include "tests/contract/HostFiles.h"

namespace contract {

namespace {
// The program joins names with "\"; the host separates them with "/".
std::string Host(std::string path) {
    for (char& c : path)
        if (c == '\\') c = '/';
    return path;
}
}  // namespace

bool SetHostDosBits(const std::string& path, uint32_t bits) {
    // The form Wine stores the DOS attributes in.
    char value[16];
    int n = std::snprintf(value, sizeof value, "0x%x", bits);
    return ::setxattr(Host(path).c_str(), "user.DOSATTRIB", value, static_cast<size_t>(n), 0) == 0;
}

bool SetHostAccessTime(const std::string& path, const DateTime& local) {
    struct tm t {};
    t.tm_year = local.year - 1900, t.tm_mon = local.month - 1, t.tm_mday = local.day;
    t.tm_hour = local.hour, t.tm_min = local.minute, t.tm_sec = local.second, t.tm_isdst = -1;
    time_t seconds = ::mktime(&t);
    if (seconds == static_cast<time_t>(-1)) return false;
    struct timespec times[2] = {{seconds, 0}, {0, UTIME_OMIT}};
    return ::utimensat(AT_FDCWD, Host(path).c_str(), times, 0) == 0;
}

bool MakeLongHostFolders(const std::string& path) {
    std::error_code ec;
    std::filesystem::create_directories(Host(path), ec);
    return !ec;
}

bool MakeLongHostFile(const std::string& path, const std::string& bytes) {
    std::FILE* file = std::fopen(Host(path).c_str(), "wb");
    if (!file) return false;
    bool ok = std::fwrite(bytes.data(), 1, bytes.size(), file) == bytes.size();
    return std::fclose(file) == 0 && ok;
}

void RemoveLongHostTree(const std::string& folder) {
    std::error_code ec;
    std::filesystem::remove_all(Host(folder), ec);
}

struct UnreadableFile::Hold {
    std::string path;
    mode_t mode = 0;
    bool ok = false;
};

UnreadableFile::UnreadableFile(const std::string& path) : hold_(std::make_unique<Hold>()) {
    struct stat st {};
    hold_->path = Host(path);
    if (::stat(hold_->path.c_str(), &st) != 0) return;
    hold_->mode = st.st_mode & 07777;
    hold_->ok = ::chmod(hold_->path.c_str(), hold_->mode & ~static_cast<mode_t>(0444)) == 0;
}

UnreadableFile::~UnreadableFile() {
    if (hold_->ok) ::chmod(hold_->path.c_str(), hold_->mode);
}

bool UnreadableFile::ok() const { return hold_->ok; }

}  // namespace contract
