#include "scan/ExtensionScanners.h"

#include <string>

#include "core/Logs.h"
#include "platform/Text.h"
#include "problems/Admission.h"
#include "scan/RegistryRead.h"
#include "scan/ScannerSupport.h"

using scanner::Names;
using scanner::NewProblem;
using scanner::ScanNames;
using scanner::ScanGoesOn;
using scanner::ShowRegistryItem;

namespace {

const char kFileExts[] = "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\FileExts";

void AddUnusedExtension(App& app, RegKey hive, const std::string& displayName,
                        const std::string& keyPath, const std::string& extension) {
    auto problem = NewProblem();
    problem->pType(kTypeRegistry);
    problem->pSTATUS = kStatusUnusedSuffix;
    problem->pInternalType = kCheckFileExtension;
    problem->pName(displayName);
    problem->pKey(displayName);
    problem->pDescription =
        GetLangString(app, "description_unused_fileext", "Unused file extension") + " " + extension;
    problem->pCureKeyRoot = static_cast<int32_t>(hive);
    problem->pCureKeyName = keyPath;
    addProblem(app, problem);
}

// Calls `visit` with each subkey name of hive\keyPath until it returns true or the
// enumeration ends. False when the key cannot be opened with full access.
template <typename Visit>
bool ForEachSubkey(App& app, RegKey hive, const std::string& keyPath, Visit visit) {
    ScopedRegKey key(app.os.registry);
    if (key.Open(hive, keyPath, KEY_ALL_ACCESS_) != kRegSuccess) return false;
    std::string name;
    for (uint32_t index = 0; MyRegEnumKey(app, key.Get(), index, name) == kRegSuccess; ++index)
        if (visit(name)) break;
    return true;
}

// The same for value names; every value is visited.
template <typename Visit>
bool ForEachValue(App& app, RegKey hive, const std::string& keyPath, Visit visit) {
    ScopedRegKey key(app.os.registry);
    if (key.Open(hive, keyPath, KEY_ALL_ACCESS_) != kRegSuccess) return false;
    std::string name;
    for (uint32_t index = 0; MyRegEnumValue(app, key.Get(), index, name) == kRegSuccess; ++index)
        visit(name);
    return true;
}

// Whether a per-user Explorer record shows that its extension is still in use.
bool RecordShowsUse(App& app, const std::string& extension) {
    std::string recordKey = std::string(kFileExts) + "\\" + extension;

    bool used = false;
    bool opened = ForEachSubkey(app, HKCU, recordKey, [&](const std::string& name) {
        std::string lower = text::ToLower(name);
        used = !name.empty() && lower != "openwithlist" && lower != "openwithprogids";
        return used;
    });
    if (!opened || used) return true;

    ForEachValue(app, HKCU, recordKey + "\\OpenWithList", [&](const std::string& name) {
        if (text::ToLower(name) == "mrulist") return;
        std::string application = GetRegistryValue(app, HKCU, recordKey + "\\OpenWithList", name);
        if (RegistryKeyExists(app, HKCR, "Applications\\" + application) ||
            RegistryKeyExists(app, HKLM, "SOFTWARE\\Classes\\Applications\\" + application))
            used = true;
    });
    if (used) return true;

    ForEachValue(app, HKCU, recordKey + "\\OpenWithProgids", [&](const std::string& progId) {
        if (progId.empty()) return;
        if (RegistryKeyExists(app, HKCR, progId) ||
            RegistryKeyExists(app, HKLM, "SOFTWARE\\Classes\\" + progId))
            used = true;
    });
    if (used) return true;

    if (RegistryKeyExists(app, HKCR, extension)) return true;
    return !text::StartsWith(extension, ".");
}

// Whether an extension registered under HKEY_CLASSES_ROOT shows any sign of use.
bool RegistrationShowsUse(App& app, const std::string& extension) {
    bool used = false;
    if (!GetRegistryValue(app, HKCR, extension, "Content Type").empty()) used = true;
    if (!GetRegistryValue(app, HKCR, extension, "PerceivedType").empty()) used = true;
    if (RegistryValueExists(app, HKCR, extension, "NoOpen")) used = true;
    if (used) return true;

    std::string className = GetRegistryValue(app, HKCR, extension, "");
    if (!className.empty() && (RegistryKeyExists(app, HKCR, className) ||
                               RegistryKeyExists(app, HKLM, "SOFTWARE\\Classes\\" + className)))
        return true;

    std::string handler = GetRegistryValue(app, HKCR, extension + "\\PersistentHandler", "");
    if (!handler.empty() && RegistryKeyExists(app, HKCR, "CLSID\\" + handler)) return true;

    // Any subkey at all counts, a PersistentHandler whose class is gone included.
    bool opened = ForEachSubkey(app, HKCR, extension, [&](const std::string& name) {
        used = !name.empty();
        return used;
    });
    if (!opened || used) return true;

    opened = ForEachValue(app, HKCR, extension, [&](const std::string& name) {
        std::string lower = text::ToLower(name);
        if (!name.empty() && lower != "content type" && lower != "perceivedtype" &&
            lower != "noopen")
            used = true;
    });
    return !opened || used;
}

}  // namespace

void SR_FileExts(App& app) {
    WriteTrace(app, "SR_FileExts");
    try {
        ScanNames(app, HKCU, kFileExts, Names::Subkeys, [&](const std::string& extension) {
            std::string keyPath = std::string(kFileExts) + "\\" + extension;
            std::string displayName = "HKCU\\" + keyPath;
            ShowRegistryItem(app, displayName);
            if (!RecordShowsUse(app, extension))
                AddUnusedExtension(app, HKCU, displayName, keyPath, extension);
        });
    } catch (...) {
        PassOnOutOfMemory();
        ReportError(app, "SR_FileExts", CurrentError());
    }
}

void SR_FileExtsHKCR(App& app) {
    WriteTrace(app, "SR_FileExtsHKCR");
    try {
        ScanNames(app, HKCR, "", Names::Subkeys, [&](const std::string& extension) {
            if (!text::StartsWith(extension, ".")) return;  // no progress for other names
            std::string displayName = "HKCR\\" + extension;
            ShowRegistryItem(app, displayName);
            if (!RegistrationShowsUse(app, extension))
                AddUnusedExtension(app, HKCR, displayName, extension, extension);
        });
    } catch (...) {
        PassOnOutOfMemory();
        ReportError(app, "SR_FileExtsHKCR", CurrentError());
    }
}
