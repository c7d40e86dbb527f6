#include "scan/ReferenceScanners.h"

#include <vector>

#include "core/Logs.h"
#include "platform/Text.h"
#include "scan/PathTests.h"
#include "scan/RegistryRead.h"
#include "scan/ScannerSupport.h"

using scanner::ScanGoesOn;
using scanner::ShowRegistryItem;

namespace {
const char kInstallerFolders[] = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Installer\\Folders";
const char kArpCache[] = "Software\\Microsoft\\Windows\\CurrentVersion\\App Management\\ARPCache";
constexpr size_t kSlowInfoCacheHeader = 28;
}  // namespace

void ScanRegistryForBrokenLinks(App& app, RegKey hive, const std::string& keyPath, bool recurse,
                                const std::string& valueName, int32_t status, int32_t checkCode) {
    WriteTrace(app, "SRFBL");
    try {
        if (!ScanGoesOn(app)) return;
        std::vector<std::string> subkeyPaths;
        {
            ScopedRegKey key(app.os.registry);
            if (key.Open(hive, keyPath, KEY_ALL_ACCESS_) != kRegSuccess) return;
            std::string name;
            for (uint32_t index = 0;; ++index) {
                if (!ScanGoesOn(app)) return;
                if (MyRegEnumKey(app, key.Get(), index, name) != kRegSuccess) break;
                std::string subkeyPath = keyPath + "\\" + name;
                subkeyPaths.push_back(subkeyPath);
                ShowRegistryItem(app, subkeyPath);
                std::string valueText = GetRegistryValue(app, hive, subkeyPath, valueName);
                TestBrokenRegistryPath(app, valueText, HiveName(static_cast<int32_t>(hive)) + "\\" + subkeyPath,
                                       status, hive, subkeyPath, valueName, checkCode, 0);
                app.DoEvents();
            }
        }  // this level's key is closed before the next level opens
        if (!recurse) return;
        for (const std::string& subkeyPath : subkeyPaths)
            ScanRegistryForBrokenLinks(app, hive, subkeyPath, recurse, valueName, status, checkCode);
    } catch (...) {
        WriteLog(app, "Error in ScanRegistryForBrokenLinks, error " +
                          std::to_string(CurrentError().number));
    }
}

void ScanRegistryKeyValuesForBrokenLinks(App& app, RegKey hive, const std::string& keyPath,
                                         bool pathInData, int32_t checkCode) {
    WriteTrace(app, "SRKVFBL");
    try {
        if (!ScanGoesOn(app)) return;
        ScopedRegKey key(app.os.registry);
        if (key.Open(hive, keyPath, KEY_ALL_ACCESS_) != kRegSuccess) return;
        std::string hiveKey = HiveName(static_cast<int32_t>(hive)) + "\\" + keyPath;
        std::string name;
        for (uint32_t index = 0;; ++index) {
            if (!ScanGoesOn(app)) return;
            if (MyRegEnumValue(app, key.Get(), index, name) != kRegSuccess) break;
            std::string displayName, valueText;
            if (pathInData) {
                displayName = hiveKey + "\\" + name;
                ShowRegistryItem(app, displayName);
                valueText = GetRegistryValue(app, hive, keyPath, name);
            } else {
                displayName = hiveKey;
                ShowRegistryItem(app, displayName + ": " + name);
                valueText = name;
            }
            TestBrokenRegistryPath(app, valueText, displayName, kStatusBrokenLink, hive, keyPath,
                                   name, checkCode, 0);
            app.DoEvents();
        }
    } catch (...) {
        ErrInfo error = CurrentError();
        WriteLog(app, "Error in ScanRegistryKeyValuesForBrokenLinks, error " +
                          std::to_string(error.number) + ", " + error.description);
    }
}

void ScanRegistryForBrokenHelps(App& app, RegKey hive, const std::string& keyPath) {
    WriteTrace(app, "SRFBH");
    try {
        if (!ScanGoesOn(app)) return;
        ScopedRegKey key(app.os.registry);
        if (key.Open(hive, keyPath, KEY_ALL_ACCESS_) != kRegSuccess) return;
        std::string hiveKey = HiveName(static_cast<int32_t>(hive)) + "\\" + keyPath;
        std::string name;
        for (uint32_t index = 0;; ++index) {
            if (!ScanGoesOn(app)) return;
            if (MyRegEnumValue(app, key.Get(), index, name) != kRegSuccess) break;
            // The value names the help file; its data is the file's folder.
            std::string valueText = GetRegistryValue(app, hive, keyPath, name) + "\\" + name;
            std::string displayName = hiveKey + "\\" + name;
            ShowRegistryItem(app, displayName);
            TestBrokenRegistryPath(app, valueText, displayName, kStatusWrongHelp, hive, keyPath, name,
                                   1, 0);
            app.DoEvents();
        }
    } catch (...) {
        WriteLog(app, "Error in ScanRegistryForBrokenHelps, error " +
                          std::to_string(CurrentError().number));
    }
}

void SR_InstallerFolders(App& app) {
    WriteTrace(app, "SR_InstallerFolders");
    try {
        if (!ScanGoesOn(app)) return;
        ScopedRegKey key(app.os.registry);
        if (key.Open(HKLM, kInstallerFolders, KEY_ALL_ACCESS_) != kRegSuccess) return;
        std::string displayName = std::string("HKLM") + "\\" + kInstallerFolders;
        std::string name;
        for (uint32_t index = 0;; ++index) {
            if (!ScanGoesOn(app)) return;
            if (MyRegEnumValue(app, key.Get(), index, name) != kRegSuccess) break;
            ShowRegistryItem(app, displayName + ": " + name);
            // Each value is named by a folder; folders count as existing files.
            TestBrokenRegistryPath(app, name, displayName, kStatusBrokenLink, HKLM, kInstallerFolders,
                                   name, 16, 0);
            app.DoEvents();
        }
    } catch (...) {
        ReportError(app, "SR_InstallerFolders", CurrentError());
    }
}

std::string ProgramPathFromSlowInfoCache(const std::string& raw) {
    if (raw.size() <= kSlowInfoCacheHeader) return "";
    std::u16string units;
    for (size_t i = kSlowInfoCacheHeader; i + 1 < raw.size(); i += 2) {
        units += static_cast<char16_t>(static_cast<unsigned char>(raw[i]) |
                                       (static_cast<unsigned char>(raw[i + 1]) << 8));
    }
    std::u16string trimmed = units;
    size_t begin = 0, end = trimmed.size();
    while (begin < end && trimmed[begin] == u' ') ++begin;
    while (end > begin && trimmed[end - 1] == u' ') --end;
    trimmed = trimmed.substr(begin, end - begin);
    if (trimmed.empty()) return "";
    while (trimmed.size() >= 2 && trimmed.back() == u'\0') trimmed.pop_back();
    if (trimmed[0] == u'\0') return "";  // an entry without a program path
    return text::Utf16ToUtf8(trimmed);
}

void SCANREG_ARPCache(App& app) {
    WriteTrace(app, "SCANREG_ARPCache");
    try {
        if (!ScanGoesOn(app)) return;
        ScopedRegKey key(app.os.registry);
        if (key.Open(HKLM, kArpCache, KEY_ALL_ACCESS_) != kRegSuccess) return;
        std::string name;
        for (uint32_t index = 0;; ++index) {
            if (!ScanGoesOn(app)) return;
            if (MyRegEnumKey(app, key.Get(), index, name) != kRegSuccess) break;
            ShowRegistryItem(app, std::string("HKLM\\") + kArpCache + "\\" + name);
            std::string entryKey = std::string(kArpCache) + "\\" + name;
            if (RegistryValueExists(app, HKLM, entryKey, "SlowInfoCache")) {
                std::string path = ProgramPathFromSlowInfoCache(
                    GetRegistryValue(app, HKLM, entryKey, "SlowInfoCache"));
                if (!path.empty())
                    TestBrokenRegistryPath(app, path, std::string("HKLM") + "\\" + entryKey,
                                           kStatusBrokenLink, HKLM, entryKey, "SlowInfoCache", 20, 0);
            }
            app.DoEvents();
        }
    } catch (...) {
        ReportError(app, "SCANREG_ARPCache", CurrentError());
    }
}
