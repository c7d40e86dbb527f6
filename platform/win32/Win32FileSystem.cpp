#include "platform/win32/Win32FileSystem.h"

#include <algorithm>

#include "platform/win32/WinHandle.h"
#include "platform/win32/WinText.h"

namespace {

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

}  // namespace

bool Win32FileSystem::GetAttributes(const std::string& path, uint32_t& attributes) {
    DWORD a = GetFileAttributesW(win::Wide(path).c_str());
    if (a == INVALID_FILE_ATTRIBUTES) return false;
    attributes = a;
    return true;
}

bool Win32FileSystem::CanOpenForReading(const std::string& path) {
    win::UniqueHandle file(CreateFileW(win::Wide(path).c_str(), GENERIC_READ,
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
    win::UniqueFind find(FindFirstFileW(win::Wide(folder + "\\*.*").c_str(), &data));
    if (!find.valid()) return false;
    do {
        entries.push_back(DirEntry{win::NarrowZ(data.cFileName), data.dwFileAttributes});
    } while (FindNextFileW(find.get(), &data));
    return true;
}

bool Win32FileSystem::GetLastAccessTime(const std::string& path, DateTime& time) {
    WIN32_FILE_ATTRIBUTE_DATA data;
    if (!GetFileAttributesExW(win::Wide(path).c_str(), GetFileExInfoStandard, &data)) return false;
    SYSTEMTIME utc, local;
    if (!FileTimeToSystemTime(&data.ftLastAccessTime, &utc)) return false;
    if (!SystemTimeToTzSpecificLocalTime(nullptr, &utc, &local)) return false;
    time = DateTime{local.wYear, local.wMonth, local.wDay, local.wHour, local.wMinute, local.wSecond};
    return true;
}

bool Win32FileSystem::AppendLine(const std::string& path, const std::string& text) {
    win::UniqueHandle file(CreateFileW(win::Wide(path).c_str(), FILE_APPEND_DATA,
                                       FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_ALWAYS,
                                       FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file.valid()) return false;
    return WriteAll(file.get(), ToAnsi(text) + "\r\n");
}

bool Win32FileSystem::CreateEmpty(const std::string& path) { return WriteFile(path, ""); }

bool Win32FileSystem::ReadFile(const std::string& path, std::string& bytes) {
    win::UniqueHandle file(CreateFileW(win::Wide(path).c_str(), GENERIC_READ,
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
    win::UniqueHandle file(CreateFileW(win::Wide(path).c_str(), GENERIC_WRITE, FILE_SHARE_READ,
                                       nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file.valid()) return false;
    return WriteAll(file.get(), bytes);
}

bool Win32FileSystem::WriteAnsiText(const std::string& path, const std::string& text) {
    return WriteFile(path, ToAnsi(text));
}
