#include "platform/win32/Win32Profile.h"

#include <vector>

#include "platform/win32/WinText.h"

namespace {

constexpr size_t kKeptFiles = 8;
constexpr size_t kKeptAnswers = 4096;  // per file; all forgotten when more are asked
// Longer than the coarsest time stamps a file system keeps (FAT: 2 s), in file time.
constexpr uint64_t kSettleTime = 25000000;  // 2.5 s

uint64_t FileTimeValue(const FILETIME& t) {
    return (static_cast<uint64_t>(t.dwHighDateTime) << 32) | t.dwLowDateTime;
}

// The stamp of the file; false when it cannot be told (nothing is kept then).
bool ReadStamp(const std::string& path, Win32Profile::Stamp& stamp) {
    WIN32_FILE_ATTRIBUTE_DATA data;
    stamp = Win32Profile::Stamp{};
    if (!GetFileAttributesExW(win::Wide(path).c_str(), GetFileExInfoStandard, &data)) {
        DWORD error = GetLastError();
        return error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND;
    }
    if (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) return false;
    stamp.exists = true;
    stamp.size = (static_cast<uint64_t>(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
    stamp.created = FileTimeValue(data.ftCreationTime);
    stamp.written = FileTimeValue(data.ftLastWriteTime);
    return true;
}

uint64_t Now() {
    FILETIME now;
    GetSystemTimeAsFileTime(&now);
    return FileTimeValue(now);
}

// Windows looks for a file named without a folder in the Windows folder; only files
// named with their folder are kept.
bool NamesItsFolder(const std::string& path) {
    return path.find_first_of("\\/") != std::string::npos;
}

}  // namespace

std::string Win32Profile::Ask(const std::string& section, const std::string& key,
                              const std::string& defaultValue, const std::string& path,
                              uint32_t capacity) {
    if (capacity == 0) return "";
    std::vector<wchar_t> buffer(capacity, L'\0');
    DWORD n = GetPrivateProfileStringW(win::Wide(section).c_str(), win::Wide(key).c_str(),
                                       win::Wide(defaultValue).c_str(), buffer.data(), capacity,
                                       win::Wide(path).c_str());
    return win::Narrow(buffer.data(), n);
}

Win32Profile::Kept* Win32Profile::Find(const std::string& path) {
    for (Kept& kept : kept_)
        if (kept.path == path) return &kept;
    return nullptr;
}

void Win32Profile::Forget(const std::string& path) {
    for (size_t i = 0; i < kept_.size(); ++i) {
        if (kept_[i].path == path) {
            kept_.erase(kept_.begin() + static_cast<std::ptrdiff_t>(i));
            return;
        }
    }
}

std::string Win32Profile::GetString(const std::string& section, const std::string& key,
                                    const std::string& defaultValue, const std::string& path,
                                    uint32_t capacity) {
    if (!NamesItsFolder(path)) return Ask(section, key, defaultValue, path, capacity);
    const uint64_t askedAt = Now();
    Stamp before;
    if (!ReadStamp(path, before)) {
        Forget(path);
        return Ask(section, key, defaultValue, path, capacity);
    }
    Question question{section, key, defaultValue, capacity};
    Kept* kept = Find(path);
    if (kept && !(kept->stamp == before)) {
        Forget(path);
        kept = nullptr;
    }
    if (kept) {
        auto answer = kept->answers.find(question);
        if (answer != kept->answers.end()) return answer->second;
    }

    std::string answer = Ask(section, key, defaultValue, path, capacity);
    // Kept only when nothing changed while Windows read the file and its last change
    // lies far enough back that a change now must give it another stamp.
    Stamp after;
    bool settled = !before.exists || before.written + kSettleTime < askedAt;
    if (settled && ReadStamp(path, after) && after == before) {
        if (!kept) {
            if (kept_.size() == kKeptFiles) kept_.erase(kept_.begin());
            kept_.push_back(Kept{path, before, {}});
            kept = &kept_.back();
        }
        if (kept->answers.size() == kKeptAnswers) kept->answers.clear();
        kept->answers.emplace(std::move(question), answer);
    }
    return answer;
}

int32_t Win32Profile::WriteString(const std::string& section, const std::string& key,
                                  const std::string& value, const std::string& path) {
    Forget(path);
    if (WritePrivateProfileStringW(win::Wide(section).c_str(), win::Wide(key).c_str(),
                                   win::Wide(value).c_str(), win::Wide(path).c_str()))
        return 0;
    DWORD error = GetLastError();
    return error == 0 ? 5 : static_cast<int32_t>(error);
}
