#pragma once
#include <windows.h>

#include <unordered_map>
#include <vector>

#include "platform/Registry.h"

// The Windows registry through the wide advapi32 calls. Opened keys are handed out as
// small numbers that map to their HKEYs, so that they fit the 32-bit handle type.
class Win32Registry : public Registry {
public:
    ~Win32Registry() override;

    int32_t OpenKey(RegKey parent, const std::string& path, uint32_t access, RegKey& key) override;
    int32_t QueryValue(RegKey key, const std::string& name, uint32_t capacity,
                       RegValue& value) override;
    int32_t EnumKey(RegKey key, uint32_t index, uint32_t nameCapacity, std::string& name) override;
    int32_t EnumValue(RegKey key, uint32_t index, uint32_t nameCapacity, uint32_t dataCapacity,
                      std::string& name, uint32_t& type) override;
    int32_t CloseKey(RegKey key) override;
    int32_t SetValue(RegKey key, const std::string& name, const RegValue& value) override;
    int32_t DeleteValue(RegKey key, const std::string& name) override;
    int32_t DeleteKey(RegKey key, const std::string& name) override;

private:
    HKEY Resolve(RegKey key) const;
    std::unordered_map<RegKey, HKEY> open_;
    RegKey next_ = 1;
    // Buffers the queries and enumerations reuse.
    std::vector<BYTE> valueBuffer_;
    std::vector<wchar_t> nameBuffer_;
};
