#include "repair/RegistryWrite.h"

#include <vector>

#include "core/App.h"
#include "core/Logs.h"
#include "platform/Text.h"
#include "scan/RegistryRead.h"

namespace {

// "Error: <procedure>: <number>: <description>" for a failure caught in a write.
void LogWriteFailure(App& app, const char* procedure) {
    ErrInfo error = CurrentError();
    WriteLog(app, std::string("Error: ") + procedure + ": " + std::to_string(error.number) + ": " +
                      error.description);
}

// The full paths of the direct subkeys of hive\keyPath, in enumeration order; none
// when the key cannot be opened with full access. Nothing is deleted meanwhile, so
// the indices stay valid; pending events run after each subkey.
std::vector<std::string> CollectSubkeyPaths(App& app, RegKey hive, const std::string& keyPath) {
    std::vector<std::string> paths;
    ScopedRegKey key(app.os.registry);
    if (key.Open(hive, keyPath, KEY_ALL_ACCESS_) != kRegSuccess) return paths;
    std::string name;
    for (uint32_t index = 0;; ++index) {
        if (app.os.registry.EnumKey(key.Get(), index, kEnumNameCapacity, name) != kRegSuccess)
            break;
        paths.push_back(keyPath + "\\" + name);
        app.DoEvents();
    }
    return paths;
}

}  // namespace

int32_t DeleteRegistryValue(App& app, RegKey hive, const std::string& keyPath,
                            const std::string& valueName, bool nameRequired) {
    int32_t result = kRegSuccess;
    try {
        WriteTrace(app, "DeleteRegistryValue");
        if (valueName.empty() && nameRequired) {
            WriteLog(app, "Error: DeleteRegistryValue (" + keyPath + "): valuename is empty");
            return kRegSuccess;
        }
        ScopedRegKey key(app.os.registry);
        int32_t status = key.Open(hive, keyPath, KEY_ALL_ACCESS_);
        if (status != kRegSuccess) {
            result = status;
            LogRegistryError(app, "RegOpenKeyEx", hive, keyPath, status);
            return result;
        }
        status = app.os.registry.DeleteValue(key.Get(), valueName);
        if (status != kRegSuccess) {
            result = status;
            LogRegistryError(app, "RegDeleteValue", hive, keyPath + "\\" + valueName, status);
        }
        return result;
    } catch (...) {
        LogWriteFailure(app, "DeleteRegistryValue");
        return result;
    }
}

int32_t DeleteRegistryKey(App& app, RegKey hive, const std::string& keyPath, bool subkeys) {
    int32_t result = kRegSuccess;
    try {
        WriteTrace(app, "DeleteRegistryKey");
        // The subtree goes first, level by level. An empty path would name the hive
        // itself, which is never emptied.
        if (subkeys && !keyPath.empty()) {
            for (const std::string& path : CollectSubkeyPaths(app, hive, keyPath))
                DeleteRegistryKey(app, hive, path, true);
        }
        size_t cut = keyPath.rfind('\\');
        std::string parentPath = cut == std::string::npos ? "" : keyPath.substr(0, cut);
        std::string keyName = cut == std::string::npos ? keyPath : keyPath.substr(cut + 1);

        ScopedRegKey parent(app.os.registry);
        int32_t status = parent.Open(hive, parentPath, KEY_ALL_ACCESS_);
        if (status != kRegSuccess) return result = status;
        result = app.os.registry.DeleteKey(parent.Get(), keyName);
        return result;
    } catch (...) {
        LogWriteFailure(app, "DeleteRegistryKey");
        return result;
    }
}

bool ChangeRegistryValue(App& app, RegKey hive, const std::string& keyPath,
                         const std::string& valueName, const std::string& newText) {
    bool result = false;
    try {
        WriteTrace(app, "ChangeRegistryValue");
        WriteProblemLog(app, " >>> Changing registry value to " + newText);
        if (valueName.empty()) WriteProblemLog(app, " >>> Changing default key value");
        {
            ScopedRegKey key(app.os.registry);
            int32_t status = key.Open(hive, keyPath, KEY_ALL_ACCESS_);
            if (status != kRegSuccess) {
                WriteProblemLog(app, " >>> Cannot open key, error " + std::to_string(status));
                return false;
            }
            // The length counts the characters of the text, without a terminator.
            RegValue value;
            value.type = REG_SZ_;
            value.data = newText;
            value.size = static_cast<uint32_t>(text::Utf8ToUtf16(newText).size());
            app.os.registry.SetValue(key.Get(), valueName, value);  // outcome shows in the read-back
        }
        result = true;
        WriteProblemLog(app, " >>> Backreaded value is " + GetRegistryValue(app, hive, keyPath, valueName));
        return result;
    } catch (...) {
        LogWriteFailure(app, "ChangeRegistryValue");
        return result;
    }
}
