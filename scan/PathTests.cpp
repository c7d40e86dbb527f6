#include "scan/PathTests.h"

#include <memory>

#include "core/App.h"
#include "core/Errors.h"
#include "core/Language.h"
#include "core/Logs.h"
#include "platform/FileSystem.h"
#include "platform/Text.h"
#include "problems/Admission.h"
#include "problems/clsItem.h"
#include "scan/RegistryRead.h"

// Paths may hold non-ASCII characters, so this counts characters, not bytes.
bool HasDriveRoot(const std::string& path) {
    return text::CharCount(path) >= 3 && text::CharAt(path, 2) == ":" &&
           text::CharAt(path, 3) == "\\";
}

namespace {

std::string ExtractPath(App& app, std::string t) {
    if (!t.empty() && t.front() == '"') t.erase(0, 1);
    if (!t.empty() && t.back() == '"') t.pop_back();
    // A quoted path followed by arguments leaves the bare path.
    size_t quote = t.find('"');
    if (quote != std::string::npos) t.erase(quote);

    // Only these two, and only in this spelling: anything else stays unexpanded and is
    // then not tested below.
    t = text::ReplaceAll(t, "%SystemRoot%", app.WindowsFolder);
    t = text::ReplaceAll(t, "%ProgramFiles%", app.ProgramFilesFolder);

    // Installer and control-panel command lines name no file of their own.
    if (text::ToLower(text::Left(t, 11)) == "msiexec.exe") return "";
    if (text::ToLower(text::Left(t, 8)) == "rundll32") return "";

    // Relative names, leading blanks, network paths and variables are not tested.
    if (text::CharCount(t) >= 2 && text::CharAt(t, 2) != ":") return "";
    // Nor are paths on drives other than fixed disks, or on missing drives.
    if (HasDriveRoot(t) && MyGetDriveType(app, text::Left(t, 3)) != kDriveFixed) return "";
    return text::Trim(t);
}

// `path` with the folder `from` below the Windows folder replaced by `to`, when it
// begins with it.
std::string SwapSystemFolder(const App& app, const std::string& path, const char* from,
                             const char* to) {
    const std::string prefix = app.WindowsFolder + "\\" + from;
    if (app.WindowsFolder.empty() || path.size() < prefix.size() ||
        !text::EqualsNoCase(std::string_view(path).substr(0, prefix.size()), prefix) ||
        (path.size() > prefix.size() && path[prefix.size()] != '\\'))
        return path;
    return app.WindowsFolder + "\\" + to + path.substr(prefix.size());
}

// A registry path that goes through a WOW6432Node key belongs to the 32-bit view.
bool IsThirtyTwoBitKey(const std::string& keyPath) {
    std::string lower = text::ToLower(keyPath);
    size_t at = lower.find("wow6432node");
    while (at != std::string::npos) {
        bool starts = at == 0 || lower[at - 1] == '\\';
        bool ends = at + 11 == lower.size() || lower[at + 11] == '\\';
        if (starts && ends) return true;
        at = lower.find("wow6432node", at + 1);
    }
    return false;
}

}  // namespace

std::string NativeViewPath(const App& app, const std::string& path, bool thirtyTwoBitView) {
    // "Sysnative" is how 32-bit programs name the real System32; this program is not one.
    std::string native = SwapSystemFolder(app, path, "Sysnative", "System32");
    // A 32-bit program naming System32 is sent to SysWOW64 by Windows.
    if (thirtyTwoBitView) native = SwapSystemFolder(app, native, "System32", "SysWOW64");
    return native;
}

bool FileExists(App& app, const std::string& givenPath) {
    try {
        const std::string path = NativeViewPath(app, givenPath, false);
        uint32_t attributes = 0;
        if (!app.os.files.GetAttributes(path, attributes)) attributes = 0;
        if (attributes & kAttrDirectory) return true;
        // A file counts only when it can be read: one held exclusively by another
        // process, or without read permission, is as good as missing...
        if (app.os.files.CanOpenForReading(path)) return true;
        // ...unless the file system cannot tell: what cannot be checked is never missing.
        return app.os.files.ExistenceUnknown(path);
    } catch (...) {
        PassOnOutOfMemory();
        return false;
    }
}

bool DirExists(App& app, const std::string& path) {
    try {
        uint32_t attributes = 0;
        return app.os.files.GetAttributes(path, attributes) && (attributes & kAttrDirectory);
    } catch (...) {
        PassOnOutOfMemory();
        return false;
    }
}

uint32_t MyGetDriveType(App& app, const std::string& root) {
    try {
        if (!app.Scan.KeepDriveTypes) return app.os.files.QueryDriveType(root);
        for (const auto& [known, type] : app.Scan.DriveTypes)
            if (known == root) return type;
        uint32_t type = app.os.files.QueryDriveType(root);
        app.Scan.DriveTypes.emplace_back(root, type);
        return type;
    } catch (...) {
        PassOnOutOfMemory();
        ReportError(app, "MyGetDriveType", CurrentError());
        return kDriveUnknown;
    }
}

std::string GetPathFromRegistryValue(App& app, const std::string& valueText) {
    try {
        return ExtractPath(app, valueText);
    } catch (...) {
        PassOnOutOfMemory();
        WriteLog(app, "Error in GetPathFromRegistryValue " + std::to_string(CurrentError().number));
        return "";
    }
}

void TestBrokenRegistryPath(App& app, const std::string& valueText, const std::string& displayName,
                            int32_t status, RegKey hive, const std::string& keyPath,
                            const std::string& valueName, int32_t checkCode, int32_t cureMethod) {
    try {
        if (valueText.empty()) return;
        uint32_t valueType = GetRegistryValueType(app, hive, keyPath, valueName);
        std::string path = GetPathFromRegistryValue(app, valueText);
        if (path.empty()) return;
        // A value of the 32-bit view names files as a 32-bit program sees them.
        const std::string tested = NativeViewPath(app, path, IsThirtyTwoBitKey(keyPath));
        if (FileExists(app, tested)) return;

        // An unquoted program followed by arguments: look for an existing file at each
        // shorter cut. One hit is enough; later misses do not undo it.
        bool found = false;
        std::string candidate = tested;
        while (candidate.find(' ') != std::string::npos) {
            candidate = text::Trim(candidate.substr(0, candidate.rfind(' ')));
            if (!candidate.empty() && FileExists(app, candidate)) found = true;
        }
        if (found) return;

        auto record = std::make_shared<clsItem>();
        record->pType(kTypeRegistry);
        record->pSTATUS = status;
        record->pInternalType = checkCode;
        record->pName(displayName);
        record->pKey(valueName);
        record->pDescription =
            GetLangString(app, "description_wronglink", "Links to nonexisting file") + " " + path;
        record->pCureKeyRoot = static_cast<int32_t>(hive);
        record->pCureKeyName = keyPath;
        record->pCureKeyValueName = valueName;
        record->pCureMissingfile = path;
        record->pCureMethod = cureMethod;
        record->pCureValueType = static_cast<int32_t>(valueType);
        addProblem(app, record);
    } catch (...) {
        PassOnOutOfMemory();
        WriteLog(app, "Error in TestBrokenRegistryPath, error " +
                          std::to_string(CurrentError().number));
    }
}
