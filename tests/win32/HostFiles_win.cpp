#include <windows.h>

#include "platform/win32/WinHandle.h"
#include "platform/win32/WinText.h"
#include "tests/contract/HostFiles.h"

namespace contract {

bool SetHostDosBits(const std::string& path, uint32_t bits) {
    std::wstring wide = win::Wide(path);
    DWORD attributes = GetFileAttributesW(wide.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES) return false;
    attributes &= ~static_cast<DWORD>(FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM);
    return SetFileAttributesW(wide.c_str(), attributes | bits) != 0;
}

bool SetHostAccessTime(const std::string& path, const DateTime& local) {
    // Year, month, day of the week (unused), day, hour, minute, second, milliseconds.
    SYSTEMTIME localTime{WORD(local.year), WORD(local.month),  0, WORD(local.day),
                         WORD(local.hour), WORD(local.minute), WORD(local.second), 0};
    SYSTEMTIME utc;
    FILETIME stamp;
    if (!TzSpecificLocalTimeToSystemTime(nullptr, &localTime, &utc) ||
        !SystemTimeToFileTime(&utc, &stamp))
        return false;
    win::UniqueHandle file(CreateFileW(win::Wide(path).c_str(), FILE_WRITE_ATTRIBUTES,
                                       FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                                       FILE_FLAG_BACKUP_SEMANTICS, nullptr));
    return file.valid() && SetFileTime(file.get(), nullptr, &stamp, nullptr) != 0;
}

namespace {
std::wstring Prefixed(const std::string& path) { return L"\\\\?\\" + win::Wide(path); }
}  // namespace

bool MakeLongHostFolders(const std::string& path) {
    std::wstring full = Prefixed(path);
    for (size_t at = full.find(L'\\', 7); at != std::wstring::npos; at = full.find(L'\\', at + 1))
        CreateDirectoryW(full.substr(0, at).c_str(), nullptr);
    return CreateDirectoryW(full.c_str(), nullptr) || GetLastError() == ERROR_ALREADY_EXISTS;
}

bool MakeLongHostFile(const std::string& path, const std::string& bytes) {
    win::UniqueHandle file(CreateFileW(Prefixed(path).c_str(), GENERIC_WRITE, 0, nullptr,
                                       CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
    DWORD written = 0;
    return file.valid() &&
           WriteFile(file.get(), bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr) &&
           written == bytes.size();
}

namespace {
void RemoveTree(const std::wstring& folder) {
    WIN32_FIND_DATAW data;
    HANDLE find = FindFirstFileW((folder + L"\\*").c_str(), &data);
    if (find != INVALID_HANDLE_VALUE) {
        do {
            std::wstring name = data.cFileName;
            if (name == L"." || name == L"..") continue;
            std::wstring path = folder + L"\\" + name;
            if (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
                RemoveTree(path);
            else
                DeleteFileW(path.c_str());
        } while (FindNextFileW(find, &data));
        FindClose(find);
    }
    RemoveDirectoryW(folder.c_str());
}
}  // namespace

void RemoveLongHostTree(const std::string& folder) { RemoveTree(Prefixed(folder)); }

struct UnreadableFile::Hold {
    win::UniqueHandle file;
};

UnreadableFile::UnreadableFile(const std::string& path) : hold_(std::make_unique<Hold>()) {
    // Share mode 0: nobody else may open the file while the handle is held.
    hold_->file.reset(CreateFileW(win::Wide(path).c_str(), GENERIC_READ, 0, nullptr,
                                  OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
}

UnreadableFile::~UnreadableFile() = default;

bool UnreadableFile::ok() const { return hold_->file.valid(); }

}  // namespace contract
