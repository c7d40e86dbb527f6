#ifdef _WIN32
#include <sys/stat.h>
#include <time.h>

#include "platform/portable/HostStat.h"

bool QueryHostFile(const std::filesystem::path& given, HostFileStatus& status) {
    // The C runtime finds no folder named with a final separator ("C:\dir\"), while
    // Windows does; only a root keeps its separator.
    std::filesystem::path path = given;
    while (!path.has_filename() && path.has_relative_path()) path = path.parent_path();
    struct _stat64 st {};
    if (::_wstat64(path.c_str(), &st) != 0) return false;
    status = HostFileStatus{};
    status.isDirectory = (st.st_mode & _S_IFDIR) != 0;
    status.isRegular = (st.st_mode & _S_IFREG) != 0;
    status.readable = true;
    status.writable = (st.st_mode & _S_IWRITE) != 0 || status.isDirectory;

    struct tm local {};
    __time64_t seconds = st.st_atime;
    if (::_localtime64_s(&local, &seconds) == 0) {
        status.hasAccessTime = true;
        status.accessTime = DateTime{local.tm_year + 1900, local.tm_mon + 1, local.tm_mday,
                                     local.tm_hour,        local.tm_min,     local.tm_sec};
    }
    return true;
}
#endif
