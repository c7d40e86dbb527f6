// The host's own file calls: the C runtime's stat gives whole seconds, no file number,
// refuses long paths and names with a trailing separator, and needs a directory search
// for the hidden and system bits, so the system is asked directly.
#include <windows.h>

#include <time.h>

#include <string>

#include "platform/FileSystem.h"
#include "platform/portable/HostStat.h"

namespace {

// Seconds between 1601 (file times) and 1970.
constexpr int64_t kEpochDifference = 11644473600;

int64_t Nanoseconds(const FILETIME& t) {
    int64_t ticks = static_cast<int64_t>((static_cast<uint64_t>(t.dwHighDateTime) << 32) |
                                         t.dwLowDateTime);
    return (ticks - kEpochDifference * 10000000) * 100;
}

// A drive root keeps its separator; every other name loses a trailing one.
std::wstring CallName(const std::filesystem::path& path) {
    std::wstring name = path.native();
    while (name.size() > 3 && (name.back() == L'\\' || name.back() == L'/')) name.pop_back();
    return name;
}

}  // namespace

bool QueryHostFile(const std::filesystem::path& path, HostFileStatus& status, unsigned details) {
    WIN32_FILE_ATTRIBUTE_DATA data;
    if (!::GetFileAttributesExW(CallName(path).c_str(), GetFileExInfoStandard, &data)) return false;
    status = HostFileStatus{};
    const DWORD a = data.dwFileAttributes;
    status.isDirectory = (a & FILE_ATTRIBUTE_DIRECTORY) != 0;
    status.isRegular = !status.isDirectory && !(a & FILE_ATTRIBUTE_DEVICE);
    status.isLink = (a & FILE_ATTRIBUTE_REPARSE_POINT) != 0;
    status.readable = true;
    status.writable = !(a & FILE_ATTRIBUTE_READONLY) || status.isDirectory;
    status.dosBits = a & (kAttrHidden | kAttrSystem);
    status.size = (static_cast<uint64_t>(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
    status.modifiedNs = Nanoseconds(data.ftLastWriteTime);
    status.changedNs = status.modifiedNs;
    const std::wstring& native = path.native();
    size_t colon = native.find(L':');
    status.volume = colon == 0 || colon == std::wstring::npos ? 0 : towupper(native[colon - 1]);
    status.accessSeconds = Nanoseconds(data.ftLastAccessTime) / 1000000000;
    status.known = true;
    AddHostDetails(path, status, details & kHostAccessTime);
    return true;
}

bool QueryHostId(const std::filesystem::path& path, uint64_t& volume, uint64_t& index) {
    HANDLE handle = ::CreateFileW(CallName(path).c_str(), FILE_READ_ATTRIBUTES,
                                  FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                  OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    if (handle == INVALID_HANDLE_VALUE) return false;
    BY_HANDLE_FILE_INFORMATION info;
    bool ok = ::GetFileInformationByHandle(handle, &info) != 0;
    ::CloseHandle(handle);
    if (!ok) return false;
    volume = info.dwVolumeSerialNumber;
    index = (static_cast<uint64_t>(info.nFileIndexHigh) << 32) | info.nFileIndexLow;
    return true;
}

bool ListHostFolder(const std::filesystem::path& folder, std::vector<std::filesystem::path>& entries) {
    entries.clear();
    std::wstring pattern = CallName(folder);
    if (pattern.empty()) return false;
    if (pattern.back() != L'\\' && pattern.back() != L'/') pattern += L'\\';
    pattern += L'*';
    WIN32_FIND_DATAW data;
    HANDLE find = ::FindFirstFileExW(pattern.c_str(), FindExInfoBasic, &data, FindExSearchNameMatch,
                                     nullptr, 0);
    if (find == INVALID_HANDLE_VALUE) return false;
    do {
        std::wstring name = data.cFileName;
        if (name != L"." && name != L"..") entries.push_back(folder / name);
    } while (::FindNextFileW(find, &data));
    ::FindClose(find);
    return true;
}

void AddHostDetails(const std::filesystem::path& path, HostFileStatus& status, unsigned details) {
    if (details & kHostDosBits) {
        DWORD a = ::GetFileAttributesW(CallName(path).c_str());
        if (a != INVALID_FILE_ATTRIBUTES) status.dosBits = a & (kAttrHidden | kAttrSystem);
    }
    struct tm local {};
    __time64_t seconds = status.accessSeconds;
    if ((details & kHostAccessTime) && ::_localtime64_s(&local, &seconds) == 0) {
        status.hasAccessTime = true;
        status.accessTime = DateTime{local.tm_year + 1900, local.tm_mon + 1, local.tm_mday,
                                     local.tm_hour,        local.tm_min,     local.tm_sec};
    }
}
