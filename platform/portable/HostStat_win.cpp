#include <io.h>
#include <sys/stat.h>
#include <time.h>

#include <string>

#include "platform/FileSystem.h"
#include "platform/portable/HostStat.h"

bool QueryHostFile(const std::filesystem::path& path, HostFileStatus& status, unsigned details) {
    // The runtime's stat refuses a folder named with a trailing separator ("C:\dir\"),
    // which Windows itself accepts; a drive root keeps its one.
    std::wstring name = path.native();
    while (name.size() > 3 && (name.back() == L'\\' || name.back() == L'/')) name.pop_back();

    struct _stat64 st {};
    if (::_wstat64(name.c_str(), &st) != 0) return false;
    status = HostFileStatus{};
    status.isDirectory = (st.st_mode & _S_IFDIR) != 0;
    status.isRegular = (st.st_mode & _S_IFREG) != 0;
    status.readable = true;
    status.writable = (st.st_mode & _S_IWRITE) != 0 || status.isDirectory;
    // The runtime gives whole seconds, a creation time for st_ctime and no file number.
    status.size = static_cast<uint64_t>(st.st_size);
    status.modifiedNs = static_cast<int64_t>(st.st_mtime) * 1000000000;
    status.changedNs = static_cast<int64_t>(st.st_ctime) * 1000000000;
    status.volume = static_cast<uint64_t>(st.st_dev);
    status.accessSeconds = static_cast<int64_t>(st.st_atime);
    status.known = true;
    AddHostDetails(path, status, details);
    return true;
}

void AddHostDetails(const std::filesystem::path& path, HostFileStatus& status, unsigned details) {
    if (details & kHostDosBits) {
        std::wstring name = path.native();
        while (name.size() > 3 && (name.back() == L'\\' || name.back() == L'/')) name.pop_back();
        // Hidden and system bits come only with a directory search.
        struct _wfinddata64_t found {};
        intptr_t search = ::_wfindfirst64(name.c_str(), &found);
        if (search != -1) {
            status.dosBits = found.attrib & (kAttrHidden | kAttrSystem);
            ::_findclose(search);
        }
    }

    struct tm local {};
    __time64_t seconds = status.accessSeconds;
    if ((details & kHostAccessTime) && ::_localtime64_s(&local, &seconds) == 0) {
        status.hasAccessTime = true;
        status.accessTime = DateTime{local.tm_year + 1900, local.tm_mon + 1, local.tm_mday,
                                     local.tm_hour,        local.tm_min,     local.tm_sec};
    }
}
