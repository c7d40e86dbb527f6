// The host calls of the portable file system when the host is Windows itself (an
// offline image scanned by the Windows build). Compiled into the portable core.
#include <windows.h>

#include "platform/FileSystem.h"
#include "platform/portable/HostStat.h"

bool QueryHostFile(const std::filesystem::path& path, HostFileStatus& status) {
    WIN32_FILE_ATTRIBUTE_DATA data;
    if (!GetFileAttributesExW(path.c_str(), GetFileExInfoStandard, &data)) return false;
    status = HostFileStatus{};
    status.isDirectory = (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
    status.isRegular = !status.isDirectory;
    status.readable = true;
    status.writable = status.isDirectory || !(data.dwFileAttributes & FILE_ATTRIBUTE_READONLY);
    status.dosBits = data.dwFileAttributes & (kAttrHidden | kAttrSystem);
    SYSTEMTIME utc, local;
    if (FileTimeToSystemTime(&data.ftLastAccessTime, &utc) &&
        SystemTimeToTzSpecificLocalTime(nullptr, &utc, &local)) {
        status.hasAccessTime = true;
        status.accessTime =
            DateTime{local.wYear, local.wMonth, local.wDay, local.wHour, local.wMinute, local.wSecond};
    }
    return true;
}
