#include "platform/win32/Win32SystemInfo.h"

#include <shlobj.h>

#include <vector>

#include "platform/win32/WinText.h"

namespace {
constexpr DWORD kFolderBufferChars = 255;

std::string UpToNul(const wchar_t* buffer, size_t capacity) {
    size_t n = 0;
    while (n < capacity && buffer[n] != L'\0') ++n;
    return win::Narrow(buffer, n);
}
}  // namespace

std::string ProgramPath() {
    std::vector<wchar_t> buffer(32768);
    DWORD n = GetModuleFileNameW(nullptr, buffer.data(), static_cast<DWORD>(buffer.size()));
    return win::Narrow(buffer.data(), n);
}

std::string Win32SystemInfo::FormatSystemMessage(uint32_t code, uint32_t capacity) {
    std::vector<wchar_t> buffer(capacity + 1, L'\0');
    DWORD n = FormatMessageW(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr,
                             code, 0, buffer.data(), capacity, nullptr);
    return win::Narrow(buffer.data(), n);
}

bool Win32SystemInfo::GetVersion(OsVersionInfo& version) {
    OSVERSIONINFOW info{};
    info.dwOSVersionInfoSize = sizeof info;
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wdeprecated-declarations"
    if (!GetVersionExW(&info)) return false;
#pragma GCC diagnostic pop
    version = OsVersionInfo{info.dwMajorVersion, info.dwMinorVersion, info.dwBuildNumber,
                            info.dwPlatformId};
    return true;
}

std::string Win32SystemInfo::SystemDirectory() {
    wchar_t buffer[kFolderBufferChars + 1] = {};
    UINT n = GetSystemDirectoryW(buffer, kFolderBufferChars);
    return n > 0 && n < kFolderBufferChars ? win::Narrow(buffer, n) : std::string();
}

std::string Win32SystemInfo::WindowsDirectory() {
    wchar_t buffer[kFolderBufferChars + 1] = {};
    UINT n = GetWindowsDirectoryW(buffer, kFolderBufferChars);
    return n > 0 && n < kFolderBufferChars ? UpToNul(buffer, kFolderBufferChars) : std::string();
}

std::string Win32SystemInfo::TempPath() {
    wchar_t buffer[kFolderBufferChars + 1] = {};
    DWORD n = GetTempPathW(kFolderBufferChars, buffer);
    return n > 0 && n < kFolderBufferChars ? UpToNul(buffer, kFolderBufferChars) : std::string();
}

std::string Win32SystemInfo::ProgramFilesDirectory() {
    wchar_t buffer[MAX_PATH + 1] = {};
    if (!SHGetSpecialFolderPathW(nullptr, buffer, CSIDL_PROGRAM_FILES, FALSE)) return "";
    return UpToNul(buffer, MAX_PATH);
}

uint32_t Win32SystemInfo::LongPathName(const std::string& path, uint32_t capacity,
                                       std::string& result) {
    std::vector<wchar_t> buffer(capacity + 1, L'\0');
    DWORD n = GetLongPathNameW(win::Wide(path).c_str(), buffer.data(), capacity);
    if (n > 0 && n < capacity) result = win::Narrow(buffer.data(), n);
    return n;
}

uint32_t Win32SystemInfo::ShortPathName(const std::string& path, uint32_t capacity,
                                        std::string& result) {
    std::vector<wchar_t> buffer(capacity + 1, L'\0');
    DWORD n = GetShortPathNameW(win::Wide(path).c_str(), buffer.data(), capacity);
    if (n > 0 && n < capacity) result = win::Narrow(buffer.data(), n);
    return n;
}

bool Win32SystemInfo::FileVersion(const std::string& path, uint32_t& resourceSize,
                                  FileVersionParts& version) {
    std::wstring wide = win::Wide(path);
    DWORD ignored = 0;
    resourceSize = GetFileVersionInfoSizeW(wide.c_str(), &ignored);
    if (resourceSize == 0) return false;
    std::vector<BYTE> data(resourceSize);
    if (!GetFileVersionInfoW(wide.c_str(), 0, resourceSize, data.data())) return false;
    VS_FIXEDFILEINFO* fixed = nullptr;
    UINT length = 0;
    if (!VerQueryValueW(data.data(), L"\\", reinterpret_cast<void**>(&fixed), &length) || !fixed ||
        length < sizeof(VS_FIXEDFILEINFO))
        return false;
    version = FileVersionParts{HIWORD(fixed->dwFileVersionMS), LOWORD(fixed->dwFileVersionMS),
                               HIWORD(fixed->dwFileVersionLS), LOWORD(fixed->dwFileVersionLS)};
    return true;
}

FileVersionParts Win32SystemInfo::ProgramVersion() {
    uint32_t size = 0;
    FileVersionParts version;
    FileVersion(ProgramPath(), size, version);
    return version;
}
