#include "updater/Install.h"

#include <windows.h>

#include <tlhelp32.h>

#include "updater/Sha256.h"

namespace {

const wchar_t kStaging[] = L"update.staging";
const wchar_t kOld[] = L"update.old";

bool IsHex64(const std::wstring& s) {
    if (s.size() != 64) return false;
    for (wchar_t c : s)
        if (!((c >= L'0' && c <= L'9') || (c >= L'a' && c <= L'f'))) return false;
    return true;
}

// A relative path that stays inside the folder it is joined to.
bool IsSafeName(const std::wstring& name) {
    if (name.empty() || name.front() == L'\\' || name.find(L':') != std::wstring::npos)
        return false;
    size_t at = 0;
    while (true) {
        size_t end = name.find(L'\\', at);
        std::wstring part =
            name.substr(at, end == std::wstring::npos ? std::wstring::npos : end - at);
        if (part.empty() || part == L"." || part == L"..") return false;
        if (end == std::wstring::npos) return true;
        at = end + 1;
    }
}

bool Exists(const std::wstring& path) {
    return GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

// Creates the folders leading to a file.
void CreateParents(const std::wstring& file) {
    for (size_t at = file.find(L'\\', 3); at != std::wstring::npos; at = file.find(L'\\', at + 1))
        CreateDirectoryW(file.substr(0, at).c_str(), nullptr);
}

void RemoveTree(const std::wstring& folder) {
    WIN32_FIND_DATAW entry;
    HANDLE find = FindFirstFileW((folder + L"\\*").c_str(), &entry);
    if (find != INVALID_HANDLE_VALUE) {
        do {
            std::wstring name = entry.cFileName;
            if (name == L"." || name == L"..") continue;
            std::wstring path = folder + L"\\" + name;
            if (entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
                RemoveTree(path);
            } else {
                SetFileAttributesW(path.c_str(), FILE_ATTRIBUTE_NORMAL);
                DeleteFileW(path.c_str());
            }
        } while (FindNextFileW(find, &entry));
        FindClose(find);
    }
    RemoveDirectoryW(folder.c_str());
}

bool Move(const std::wstring& from, const std::wstring& to) {
    CreateParents(to);
    return MoveFileExW(from.c_str(), to.c_str(), MOVEFILE_REPLACE_EXISTING) != 0;
}

}  // namespace

bool ReadLatestIni(const std::wstring& source, LatestIni& latest, std::wstring& error) {
    std::wstring text;
    std::wstring path = source + L"\\latest.ini";
    if (!ReadAnsiFile(path, text)) {
        error = path + L" cannot be read";
        return false;
    }
    bool haveVersion = false;
    latest.files.clear();
    for (const std::wstring& line : Lines(text)) {
        std::wstring value;
        if (KeyValue(line, L"version", value)) {
            haveVersion = ParseVersion(value, latest.version);
            if (!haveVersion) {
                error = L"latest.ini: bad version \"" + value + L"\"";
                return false;
            }
        } else if (KeyValue(line, L"file", value)) {
            SourceFile file{Trim(value.substr(std::min<size_t>(64, value.size()))),
                            Lower(value.substr(0, 64))};
            if (!IsHex64(file.sha256) || !IsSafeName(file.name)) {
                error = L"latest.ini: bad file line \"" + value + L"\"";
                return false;
            }
            latest.files.push_back(file);
        }
    }
    if (!haveVersion || latest.files.empty()) {
        error = L"latest.ini: no version or no files";
        return false;
    }
    return true;
}

bool IsKeptFile(const std::wstring& name) {
    std::wstring n = Lower(name);
    bool topLevel = n.find(L'\\') == std::wstring::npos;
    return n == L"setup.ini" || n == L"updatesetup.ini" ||
           (topLevel && n.size() > 4 && n.ends_with(L".log")) || n.starts_with(L"backup\\") ||
           n == L"languages\\_missing.txt" || n.starts_with(std::wstring(kStaging) + L"\\") ||
           n.starts_with(std::wstring(kOld) + L"\\");
}

bool StageFiles(UpdaterApp& app, const std::wstring& source, const std::vector<SourceFile>& files,
                std::wstring& failed, bool& mismatch) {
    RemoveStaging(app);
    std::wstring staging = app.File(kStaging);
    for (const SourceFile& file : files) {
        std::wstring staged = staging + L"\\" + file.name;
        CreateParents(staged);
        mismatch = false;
        // The copy is what gets installed, so the copy is what is checked.
        if (CopyFileW((source + L"\\" + file.name).c_str(), staged.c_str(), FALSE)) {
            SetFileAttributesW(staged.c_str(), FILE_ATTRIBUTE_NORMAL);
            if (Widen(FileSha256(staged)) == file.sha256) continue;
            mismatch = true;
        }
        failed = file.name;
        RemoveStaging(app);
        return false;
    }
    return true;
}

bool InstallStagedFiles(UpdaterApp& app, const std::vector<SourceFile>& files,
                        std::wstring& failed) {
    std::wstring staging = app.File(kStaging), old = app.File(kOld);
    struct Done {
        std::wstring name;
        bool hadOld;
    };
    std::vector<Done> done;
    for (const SourceFile& file : files) {
        std::wstring target = app.File(file.name);
        bool hadOld = Exists(target);
        if (hadOld && !Move(target, old + L"\\" + file.name)) {
            failed = file.name;
            break;
        }
        if (!Move(staging + L"\\" + file.name, target)) {
            if (hadOld) Move(old + L"\\" + file.name, target);
            failed = file.name;
            break;
        }
        done.push_back({file.name, hadOld});
    }
    if (failed.empty()) return true;
    // Back to the old program, newest change first.
    for (auto it = done.rbegin(); it != done.rend(); ++it) {
        std::wstring target = app.File(it->name);
        if (it->hadOld) {
            Move(old + L"\\" + it->name, target);
        } else {
            DeleteFileW(target.c_str());
        }
    }
    return false;
}

void RemoveStaging(UpdaterApp& app) {
    RemoveTree(app.File(kStaging));
    RemoveTree(app.File(kOld));
}

bool WaitForProgramExit(const std::wstring& path, unsigned long timeoutMs) {
    std::wstring base = path.substr(path.find_last_of(L'\\') + 1);
    ULONGLONG deadline = GetTickCount64() + timeoutMs;
    for (;;) {
        bool running = false;
        HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
        PROCESSENTRY32W entry{};
        entry.dwSize = sizeof entry;
        for (BOOL more = Process32FirstW(snapshot, &entry); more && !running;
             more = Process32NextW(snapshot, &entry)) {
            std::wstring exe = entry.szExeFile;
            exe = exe.substr(exe.find_last_of(L'\\') + 1);
            if (Lower(exe) != Lower(base)) continue;
            HANDLE process =
                OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, entry.th32ProcessID);
            if (!process) continue;
            wchar_t image[MAX_PATH * 2] = {};
            DWORD size = MAX_PATH * 2;
            if (QueryFullProcessImageNameW(process, 0, image, &size))
                running = Lower(image) == Lower(path);
            CloseHandle(process);
        }
        CloseHandle(snapshot);
        if (!running) return true;
        if (GetTickCount64() >= deadline) return false;
        Sleep(200);
    }
}
