#include "scan/ReferenceScanners.h"

#include <vector>

#include "core/Logs.h"
#include "platform/Text.h"
#include "scan/PathTests.h"
#include "scan/RegistryRead.h"
#include "scan/ScannerSupport.h"

using scanner::Names;
using scanner::ScanGoesOn;
using scanner::ScanNames;
using scanner::ShowRegistryItem;

namespace {
const char kInstallerFolders[] = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Installer\\Folders";
const char kArpCache[] = "Software\\Microsoft\\Windows\\CurrentVersion\\App Management\\ARPCache";
constexpr size_t kSlowInfoCacheHeader = 28;

std::string HiveKey(RegKey hive, const std::string& keyPath) {
    return HiveName(static_cast<int32_t>(hive)) + "\\" + keyPath;
}
}  // namespace

void ScanRegistryForBrokenLinks(App& app, RegKey hive, const std::string& keyPath, bool recurse,
                                const std::string& valueName, int32_t status, int32_t checkCode) {
    // Each level's key is closed before the next level opens.
    scanner::WalkDepthFirst(keyPath, [&](const std::string& key,
                                         std::vector<std::string>& subkeyPaths) {
        WriteTrace(app, "SRFBL");
        try {
            if (!ScanGoesOn(app)) return;
            bool goesOn = ScanNames(app, hive, key, Names::Subkeys, [&](const std::string& name) {
                std::string subkeyPath = key + "\\" + name;
                subkeyPaths.push_back(subkeyPath);
                ShowRegistryItem(app, subkeyPath);
                std::string valueText = GetRegistryValue(app, hive, subkeyPath, valueName);
                TestBrokenRegistryPath(app, valueText, HiveKey(hive, subkeyPath), status, hive,
                                       subkeyPath, valueName, checkCode, kCureFullPath);
            });
            if (!goesOn || !recurse) subkeyPaths.clear();
        } catch (...) {
            PassOnOutOfMemory();
            subkeyPaths.clear();
            WriteLog(app, "Error in ScanRegistryForBrokenLinks, error " +
                              std::to_string(CurrentError().number));
        }
    });
}

void ScanRegistryKeyValuesForBrokenLinks(App& app, RegKey hive, const std::string& keyPath,
                                         bool pathInData, int32_t checkCode) {
    WriteTrace(app, "SRKVFBL");
    try {
        if (!ScanGoesOn(app)) return;
        ScanNames(app, hive, keyPath, Names::Values, [&](const std::string& name) {
            std::string displayName, valueText;
            if (pathInData) {
                displayName = HiveKey(hive, keyPath) + "\\" + name;
                ShowRegistryItem(app, displayName);
                valueText = GetRegistryValue(app, hive, keyPath, name);
            } else {
                displayName = HiveKey(hive, keyPath);
                ShowRegistryItem(app, displayName, ": ", name);
                valueText = name;
            }
            TestBrokenRegistryPath(app, valueText, displayName, kStatusBrokenLink, hive, keyPath,
                                   name, checkCode, kCureFullPath);
        });
    } catch (...) {
        PassOnOutOfMemory();
        ErrInfo error = CurrentError();
        WriteLog(app, "Error in ScanRegistryKeyValuesForBrokenLinks, error " +
                          std::to_string(error.number) + ", " + error.description);
    }
}

void ScanRegistryForBrokenHelps(App& app, RegKey hive, const std::string& keyPath) {
    WriteTrace(app, "SRFBH");
    try {
        if (!ScanGoesOn(app)) return;
        ScanNames(app, hive, keyPath, Names::Values, [&](const std::string& name) {
            // The value names the help file; its data is the file's folder.
            std::string valueText = GetRegistryValue(app, hive, keyPath, name) + "\\" + name;
            std::string displayName = HiveKey(hive, keyPath) + "\\" + name;
            ShowRegistryItem(app, displayName);
            TestBrokenRegistryPath(app, valueText, displayName, kStatusWrongHelp, hive, keyPath, name,
                                   kCheckHelpFiles, kCureFullPath);
        });
    } catch (...) {
        PassOnOutOfMemory();
        WriteLog(app, "Error in ScanRegistryForBrokenHelps, error " +
                          std::to_string(CurrentError().number));
    }
}

void SR_InstallerFolders(App& app) {
    WriteTrace(app, "SR_InstallerFolders");
    try {
        if (!ScanGoesOn(app)) return;
        std::string displayName = HiveKey(HKLM, kInstallerFolders);
        ScanNames(app, HKLM, kInstallerFolders, Names::Values, [&](const std::string& name) {
            ShowRegistryItem(app, displayName, ": ", name);
            // Each value is named by a folder; folders count as existing files.
            TestBrokenRegistryPath(app, name, displayName, kStatusBrokenLink, HKLM, kInstallerFolders,
                                   name, kCheckInstallerFolder, kCureFullPath);
        });
    } catch (...) {
        PassOnOutOfMemory();
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
    size_t begin = 0, end = units.size();
    while (begin < end && units[begin] == u' ') ++begin;
    while (end > begin && units[end - 1] == u' ') --end;
    // The path ends at its first NUL, whatever the rest of the value holds.
    std::u16string path = units.substr(begin, end - begin);
    path = path.substr(0, path.find(u'\0'));
    if (path.empty()) return "";  // an entry without a program path
    return text::Utf16ToUtf8(path);
}

void SCANREG_ARPCache(App& app) {
    WriteTrace(app, "SCANREG_ARPCache");
    try {
        if (!ScanGoesOn(app)) return;
        ScanNames(app, HKLM, kArpCache, Names::Subkeys, [&](const std::string& name) {
            std::string entryKey = std::string(kArpCache) + "\\" + name;
            ShowRegistryItem(app, HiveKey(HKLM, entryKey));
            if (!RegistryValueExists(app, HKLM, entryKey, "SlowInfoCache")) return;
            std::string path =
                ProgramPathFromSlowInfoCache(GetRegistryValue(app, HKLM, entryKey, "SlowInfoCache"));
            if (path.empty()) return;
            TestBrokenRegistryPath(app, path, HiveKey(HKLM, entryKey), kStatusBrokenLink, HKLM,
                                   entryKey, "SlowInfoCache", kCheckArpCache, kCureFullPath);
        });
    } catch (...) {
        PassOnOutOfMemory();
        ReportError(app, "SCANREG_ARPCache", CurrentError());
    }
}
