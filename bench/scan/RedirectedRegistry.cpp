#include "bench/scan/RedirectedRegistry.h"

RedirectedRegistry::RedirectedRegistry(Registry& inner, RegKey scratchHive,
                                       const std::string& scratch)
    : inner_(inner) {
    bool machine =
        inner_.OpenKey(scratchHive, scratch + "\\HKLM", KEY_ALL_ACCESS_, machine_) == kRegSuccess;
    bool user =
        inner_.OpenKey(scratchHive, scratch + "\\HKCU", KEY_ALL_ACCESS_, user_) == kRegSuccess;
    bool classes = machine && inner_.OpenKey(machine_, "SOFTWARE\\Classes", KEY_ALL_ACCESS_,
                                             classes_) == kRegSuccess;
    open_ = machine && user && classes;
    if (!open_) {
        if (classes) inner_.CloseKey(classes_);
        if (user) inner_.CloseKey(user_);
        if (machine) inner_.CloseKey(machine_);
    }
}

RedirectedRegistry::~RedirectedRegistry() {
    if (!open_) return;
    inner_.CloseKey(classes_);
    inner_.CloseKey(user_);
    inner_.CloseKey(machine_);
}

int32_t RedirectedRegistry::Redirect(RegKey key, RegKey& to) const {
    if (!open_) return kRegNotFound;
    switch (key) {
        case HKLM:
            to = machine_;
            return kRegSuccess;
        case HKCU:
            to = user_;
            return kRegSuccess;
        case HKCR:
            to = classes_;
            return kRegSuccess;
        case HKU:
        case HKCC:
            return kRegNotFound;  // nothing was generated there
        default:
            to = key;
            return kRegSuccess;
    }
}

int32_t RedirectedRegistry::OpenKey(RegKey parent, const std::string& path, uint32_t access,
                                    RegKey& key) {
    RegKey from = 0;
    int32_t status = Redirect(parent, from);
    return status != kRegSuccess ? status : inner_.OpenKey(from, path, access, key);
}

int32_t RedirectedRegistry::QueryValue(RegKey key, const std::string& name, uint32_t capacity,
                                       RegValue& value) {
    RegKey to = 0;
    int32_t status = Redirect(key, to);
    return status != kRegSuccess ? status : inner_.QueryValue(to, name, capacity, value);
}

int32_t RedirectedRegistry::EnumKey(RegKey key, uint32_t index, uint32_t nameCapacity,
                                    std::string& name) {
    RegKey to = 0;
    int32_t status = Redirect(key, to);
    return status != kRegSuccess ? status : inner_.EnumKey(to, index, nameCapacity, name);
}

int32_t RedirectedRegistry::EnumValue(RegKey key, uint32_t index, uint32_t nameCapacity,
                                      uint32_t dataCapacity, std::string& name, uint32_t& type) {
    RegKey to = 0;
    int32_t status = Redirect(key, to);
    return status != kRegSuccess
               ? status
               : inner_.EnumValue(to, index, nameCapacity, dataCapacity, name, type);
}

int32_t RedirectedRegistry::CloseKey(RegKey key) {
    if (key >= 0x80000000u) return kRegSuccess;  // roots are never closed
    return inner_.CloseKey(key);
}

int32_t RedirectedRegistry::SetValue(RegKey key, const std::string& name, const RegValue& value) {
    RegKey to = 0;
    int32_t status = Redirect(key, to);
    return status != kRegSuccess ? status : inner_.SetValue(to, name, value);
}

int32_t RedirectedRegistry::DeleteValue(RegKey key, const std::string& name) {
    RegKey to = 0;
    int32_t status = Redirect(key, to);
    return status != kRegSuccess ? status : inner_.DeleteValue(to, name);
}

int32_t RedirectedRegistry::DeleteKey(RegKey key, const std::string& name) {
    RegKey to = 0;
    int32_t status = Redirect(key, to);
    // The redirected roots themselves stay, as predefined keys do.
    if (status == kRegSuccess && key >= 0x80000000u && name.empty()) return kRegAccessDenied;
    return status != kRegSuccess ? status : inner_.DeleteKey(to, name);
}
