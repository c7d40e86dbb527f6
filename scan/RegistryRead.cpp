#include "scan/RegistryRead.h"

#include "core/App.h"
#include "core/Logs.h"

namespace {

// Opens hive\keyPath with full access and reads one value into the 1024 buffer.
int32_t QueryIntoBuffer(App& app, RegKey hive, const std::string& keyPath,
                        const std::string& valueName, RegValue& value) {
    ScopedRegKey key(app.os.registry);
    int32_t status = key.Open(hive, keyPath, KEY_ALL_ACCESS_);
    if (status != kRegSuccess) return status;
    return app.os.registry.QueryValue(key.Get(), valueName, kValueBufferSize, value);
}

// The data as text: for text types the stored characters without their terminating
// NUL (a string stored without one keeps its last character); for other types the
// first `size - 1` bytes, one character per byte.
std::string DataAsText(const RegValue& value) {
    if (value.size == 0) return "";
    if (!IsStringType(value.type)) return value.data.substr(0, value.size - 1);
    std::string text = value.data;
    if (!text.empty() && text.back() == '\0') text.pop_back();
    return text;
}

}  // namespace

std::string GetRegistryValue(App& app, RegKey hive, const std::string& keyPath,
                             const std::string& valueName) {
    RegValue value;
    if (QueryIntoBuffer(app, hive, keyPath, valueName, value) != kRegSuccess) return "";
    return DataAsText(value);
}

bool RegistryValueExists(App& app, RegKey hive, const std::string& keyPath,
                         const std::string& valueName) {
    RegValue value;
    return QueryIntoBuffer(app, hive, keyPath, valueName, value) == kRegSuccess;
}

uint32_t GetRegistryValueType(App& app, RegKey hive, const std::string& keyPath,
                              const std::string& valueName) {
    try {
        RegValue value;
        if (QueryIntoBuffer(app, hive, keyPath, valueName, value) != kRegSuccess) return 0;
        return value.type;
    } catch (...) {
        PassOnOutOfMemory();
        ReportError(app, "GetRegistryValueType", CurrentError());
        return 0;
    }
}

bool RegistryKeyExists(App& app, RegKey hive, const std::string& keyPath) {
    try {
        ScopedRegKey key(app.os.registry);
        return key.Open(hive, keyPath, KEY_QUERY_VALUE_) == kRegSuccess;
    } catch (...) {
        PassOnOutOfMemory();
        ReportError(app, "RegistryKeyExists", CurrentError());
        return false;
    }
}

bool RegistryKeyExistsInEitherView(App& app, RegKey hive, const std::string& keyPath) {
    if (RegistryKeyExists(app, hive, keyPath)) return true;
    try {
        ScopedRegKey key(app.os.registry);
        return key.Open(hive, keyPath, KEY_QUERY_VALUE_ | KEY_WOW64_32KEY_) == kRegSuccess;
    } catch (...) {
        PassOnOutOfMemory();
        ReportError(app, "RegistryKeyExists", CurrentError());
        return false;
    }
}

bool ScanHKCR_CLSID_exist_subkey(App& app, const std::string& classText,
                                 const std::string& subkey) {
    try {
        ScopedRegKey key(app.os.registry);
        return key.Open(HKCR, "CLSID\\" + classText + "\\" + subkey, KEY_ALL_ACCESS_) ==
               kRegSuccess;
    } catch (...) {
        PassOnOutOfMemory();
        WriteLog(app, "Error in ScanHKCR_CLSID_exist_subkey, error " +
                          std::to_string(CurrentError().number));
        return false;
    }
}

int32_t MyRegEnumKey(App& app, RegKey key, uint32_t index, std::string& name) {
    name.clear();
    try {
        std::string found;
        int32_t status = app.os.registry.EnumKey(key, index, kEnumNameCapacity, found);
        if (status == kRegSuccess) name = found;
        return status;
    } catch (...) {
        PassOnOutOfMemory();
        ReportError(app, "MyRegEnumKey", CurrentError());
        return kRegNoMoreItems;
    }
}

int32_t MyRegEnumValue(App& app, RegKey key, uint32_t index, std::string& name) {
    name.clear();
    try {
        std::string found;
        uint32_t type = 0;
        int32_t status = app.os.registry.EnumValue(key, index, kEnumNameCapacity,
                                                   kEnumDataCapacity, found, type);
        if (status == kRegSuccess) name = found;
        return status;
    } catch (...) {
        PassOnOutOfMemory();
        ReportError(app, "MyRegEnumValue", CurrentError());
        return kRegNoMoreItems;
    }
}
