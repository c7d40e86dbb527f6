#include <sys/stat.h>
#include <sys/xattr.h>
#include <time.h>

#include <cstdlib>

#include "platform/FileSystem.h"
#include "platform/portable/HostStat.h"

namespace {
int64_t Nanoseconds(const timespec& t) {
    return static_cast<int64_t>(t.tv_sec) * 1000000000 + t.tv_nsec;
}
}  // namespace

bool QueryHostFile(const std::filesystem::path& path, HostFileStatus& status, unsigned details) {
    struct stat st {};
    if (::lstat(path.c_str(), &st) != 0) return false;
    status = HostFileStatus{};
    if (S_ISLNK(st.st_mode)) {
        status.isLink = true;
        status.known = true;
        if (::stat(path.c_str(), &st) != 0) return true;  // a link to nothing
    }
    status.isDirectory = S_ISDIR(st.st_mode);
    status.isRegular = S_ISREG(st.st_mode);
    status.readable = (st.st_mode & S_IRUSR) && (!status.isDirectory || (st.st_mode & S_IXUSR));
    status.writable = (st.st_mode & S_IWUSR) != 0;
    status.size = static_cast<uint64_t>(st.st_size);
    status.modifiedNs = Nanoseconds(st.st_mtim);
    status.changedNs = Nanoseconds(st.st_ctim);
    status.fileId = static_cast<uint64_t>(st.st_ino);
    status.volume = static_cast<uint64_t>(st.st_dev);
    status.accessSeconds = static_cast<int64_t>(st.st_atim.tv_sec);
    status.known = true;
    AddHostDetails(path, status, details);
    return true;
}

bool QueryHostId(const std::filesystem::path& path, uint64_t& volume, uint64_t& index) {
    struct stat st {};
    if (::stat(path.c_str(), &st) != 0) return false;
    volume = static_cast<uint64_t>(st.st_dev);
    index = static_cast<uint64_t>(st.st_ino);
    return true;
}

bool ListHostFolder(const std::filesystem::path& folder, std::vector<std::filesystem::path>& entries) {
    entries.clear();
    std::error_code ec;
    for (std::filesystem::directory_iterator it(folder, ec), end; !ec && it != end; it.increment(ec))
        entries.push_back(it->path());
    return !ec;
}

void AddHostDetails(const std::filesystem::path& path, HostFileStatus& status, unsigned details) {
    if (details & kHostDosBits) {
        // Wine keeps the hidden and system bits as "0x<hex>" in this attribute.
        char value[32] = {};
        ssize_t n = ::getxattr(path.c_str(), "user.DOSATTRIB", value, sizeof value - 1);
        if (n > 0) {
            value[n] = '\0';
            status.dosBits = static_cast<uint32_t>(std::strtoul(value, nullptr, 16)) &
                             (kAttrHidden | kAttrSystem);
        }
    }

    struct tm local {};
    time_t seconds = static_cast<time_t>(status.accessSeconds);
    if ((details & kHostAccessTime) && ::localtime_r(&seconds, &local)) {
        status.hasAccessTime = true;
        status.accessTime = DateTime{local.tm_year + 1900, local.tm_mon + 1, local.tm_mday,
                                     local.tm_hour,        local.tm_min,     local.tm_sec};
    }
}
