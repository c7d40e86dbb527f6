#include "platform/win32/Win32FileSystem.h"

#include <algorithm>

#include "platform/win32/WinHandle.h"
#include "platform/win32/WinText.h"

namespace {

bool IsUnc(const std::string& path) { return path.size() > 2 && path[0] == '\\' && path[1] == '\\'; }

// The path as the wide calls take it. One too long for the classic limit (folders
// stop at 248 characters) gets the "\\?\" prefix, or "\\?\UNC\" for a network path;
// the prefix turns the system's own clean-up off, so "/" becomes "\" here.
std::wstring ApiPath(const std::string& path) {
    std::wstring w = win::Wide(path);
    if (w.size() < 248 || w.rfind(L"\\\\?\\", 0) == 0 || w.rfind(L"\\\\.\\", 0) == 0) return w;
    for (wchar_t& c : w)
        if (c == L'/') c = L'\\';
    bool drive = w.size() >= 3 && w[1] == L':' && w[2] == L'\\';
    if (drive) return L"\\\\?\\" + w;
    if (IsUnc(path)) return L"\\\\?\\UNC\\" + w.substr(2);
    return w;
}

// "\\server\share\" of a network path.
std::string ShareRoot(const std::string& path) {
    size_t serverEnd = path.find('\\', 2);
    if (serverEnd == std::string::npos) return path + "\\";
    size_t shareEnd = path.find('\\', serverEnd + 1);
    return shareEnd == std::string::npos ? path + "\\" : path.substr(0, shareEnd + 1);
}

std::string ToAnsi(const std::string& utf8) {
    std::wstring wide = win::Wide(utf8);
    if (wide.empty()) return "";
    int n = WideCharToMultiByte(CP_ACP, 0, wide.data(), static_cast<int>(wide.size()), nullptr, 0,
                                nullptr, nullptr);
    std::string ansi(static_cast<size_t>(n), '\0');
    WideCharToMultiByte(CP_ACP, 0, wide.data(), static_cast<int>(wide.size()), ansi.data(), n,
                        nullptr, nullptr);
    return ansi;
}

bool WriteAll(HANDLE file, const std::string& bytes) {
    size_t done = 0;
    while (done < bytes.size()) {
        DWORD written = 0;
        DWORD chunk = static_cast<DWORD>(std::min<size_t>(bytes.size() - done, 1u << 30));
        if (!::WriteFile(file, bytes.data() + done, chunk, &written, nullptr) || written == 0)
            return false;
        done += written;
    }
    return true;
}

// Whether `path` still names the open file: the same size, creation and write times.
// (Asked of the handle one piece at a time: the call that gives all of them at once
// also asks for the volume, which costs more than the write itself under Wine.)
bool StillNamed(HANDLE file, const std::wstring& path) {
    FILE_BASIC_INFO open;
    LARGE_INTEGER openSize;
    WIN32_FILE_ATTRIBUTE_DATA named;
    if (!GetFileInformationByHandleEx(file, FileBasicInfo, &open, sizeof open) ||
        !GetFileSizeEx(file, &openSize))
        return false;
    if (!GetFileAttributesExW(path.c_str(), GetFileExInfoStandard, &named)) return false;
    auto value = [](const FILETIME& t) {
        return static_cast<LONGLONG>((static_cast<ULONGLONG>(t.dwHighDateTime) << 32) | t.dwLowDateTime);
    };
    const LONGLONG namedSize =
        static_cast<LONGLONG>((static_cast<ULONGLONG>(named.nFileSizeHigh) << 32) | named.nFileSizeLow);
    return openSize.QuadPart == namedSize && open.CreationTime.QuadPart == value(named.ftCreationTime) &&
           open.LastWriteTime.QuadPart == value(named.ftLastWriteTime);
}

}  // namespace

bool Win32FileSystem::GetAttributes(const std::string& path, uint32_t& attributes) {
    DWORD a = GetFileAttributesW(ApiPath(path).c_str());
    if (a == INVALID_FILE_ATTRIBUTES) return false;
    attributes = a;
    return true;
}

bool Win32FileSystem::CanOpenForReading(const std::string& path) {
    win::UniqueHandle file(CreateFileW(ApiPath(path).c_str(), GENERIC_READ,
                                       FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                                       FILE_FLAG_SEQUENTIAL_SCAN, nullptr));
    return file.valid();
}

uint32_t Win32FileSystem::QueryDriveType(const std::string& root) {
    return ::GetDriveTypeW(win::Wide(root).c_str());
}

bool Win32FileSystem::ListFolder(const std::string& folder, std::vector<DirEntry>& entries) {
    entries.clear();
    WIN32_FIND_DATAW data;
    win::UniqueFind find(FindFirstFileW(ApiPath(folder + "\\*.*").c_str(), &data));
    if (!find.valid()) return false;
    do {
        entries.push_back(DirEntry{win::NarrowZ(data.cFileName), data.dwFileAttributes});
    } while (FindNextFileW(find.get(), &data));
    return true;
}

bool Win32FileSystem::GetLastAccessTime(const std::string& path, DateTime& time) {
    WIN32_FILE_ATTRIBUTE_DATA data;
    if (!GetFileAttributesExW(ApiPath(path).c_str(), GetFileExInfoStandard, &data)) return false;
    SYSTEMTIME utc, local;
    if (!FileTimeToSystemTime(&data.ftLastAccessTime, &utc)) return false;
    if (!SystemTimeToTzSpecificLocalTime(nullptr, &utc, &local)) return false;
    time = DateTime{local.wYear, local.wMonth, local.wDay, local.wHour, local.wMinute, local.wSecond};
    return true;
}

bool Win32FileSystem::GetFolderId(const std::string& folder, FolderId& id) {
    // Opening a folder needs the backup-semantics flag; reading its attributes needs no
    // right to its content.
    win::UniqueHandle handle(CreateFileW(ApiPath(folder).c_str(), FILE_READ_ATTRIBUTES,
                                         FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                         nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr));
    if (!handle.valid()) return false;
    BY_HANDLE_FILE_INFORMATION info;
    if (!GetFileInformationByHandle(handle.get(), &info)) return false;
    id.volume = info.dwVolumeSerialNumber;
    id.index = (static_cast<uint64_t>(info.nFileIndexHigh) << 32) | info.nFileIndexLow;
    return true;
}

bool Win32FileSystem::ExistenceUnknown(const std::string& path) {
    // An entry that is there but opens only through whoever owns its link (an App
    // Execution Alias, a cloud placeholder) exists.
    DWORD a = GetFileAttributesW(ApiPath(path).c_str());
    if (a != INVALID_FILE_ATTRIBUTES && (a & FILE_ATTRIBUTE_REPARSE_POINT)) return true;
    // Nothing can be said of a file on a share that cannot be reached.
    if (IsUnc(path) && GetFileAttributesW(ApiPath(ShareRoot(path)).c_str()) == INVALID_FILE_ATTRIBUTES)
        return true;
    return false;
}

void Win32FileSystem::CloseAppending(const std::string& path) {
    for (size_t i = 0; i < appending_.size(); ++i) {
        if (appending_[i].path == path) {
            appending_.erase(appending_.begin() + static_cast<std::ptrdiff_t>(i));
            return;
        }
    }
}

bool Win32FileSystem::AppendLine(const std::string& path, const std::string& text) {
    const std::string line = ToAnsi(text) + "\r\n";
    const std::wstring apiPath = ApiPath(path);
    for (Appending& a : appending_)
        if (a.path == path && StillNamed(a.file.get(), apiPath)) return WriteAll(a.file.get(), line);
    CloseAppending(path);
    win::UniqueHandle file(CreateFileW(apiPath.c_str(), FILE_APPEND_DATA | FILE_READ_ATTRIBUTES,
                                       FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                       nullptr, OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file.valid()) return false;
    const bool written = WriteAll(file.get(), line);
    constexpr size_t kKeptOpen = 8;
    if (appending_.size() == kKeptOpen) appending_.erase(appending_.begin());
    appending_.push_back(Appending{path, std::move(file)});
    return written;
}

bool Win32FileSystem::CreateEmpty(const std::string& path) { return WriteFile(path, ""); }

bool Win32FileSystem::ReadFile(const std::string& path, std::string& bytes) {
    win::UniqueHandle file(CreateFileW(ApiPath(path).c_str(), GENERIC_READ,
                                       FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                                       FILE_FLAG_SEQUENTIAL_SCAN, nullptr));
    if (!file.valid()) return false;
    LARGE_INTEGER size;
    if (!GetFileSizeEx(file.get(), &size)) return false;
    bytes.assign(static_cast<size_t>(size.QuadPart), '\0');
    size_t done = 0;
    while (done < bytes.size()) {
        DWORD got = 0;
        DWORD chunk = static_cast<DWORD>(std::min<size_t>(bytes.size() - done, 1u << 30));
        if (!::ReadFile(file.get(), bytes.data() + done, chunk, &got, nullptr)) return false;
        if (got == 0) break;
        done += got;
    }
    bytes.resize(done);
    return true;
}

bool Win32FileSystem::WriteFile(const std::string& path, const std::string& bytes) {
    CloseAppending(path);  // its sharing would refuse this open
    win::UniqueHandle file(CreateFileW(ApiPath(path).c_str(), GENERIC_WRITE, FILE_SHARE_READ,
                                       nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file.valid()) return false;
    return WriteAll(file.get(), bytes);
}

bool Win32FileSystem::WriteAnsiText(const std::string& path, const std::string& text) {
    return WriteFile(path, ToAnsi(text));
}
