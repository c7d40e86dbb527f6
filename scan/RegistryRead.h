#pragma once
// The read-only registry procedures the scanners, the folder lookup and the registry
// writes share. Each opens what it needs with full access (query access for
// RegistryKeyExists) and closes it before it returns; none fails outward.
#include <cstdint>
#include <string>

#include "platform/Registry.h"

struct App;

// Fixed capacities of the procedures (characters for names and text, bytes otherwise).
constexpr uint32_t kValueBufferSize = 1024;
constexpr uint32_t kEnumNameCapacity = 255;
constexpr uint32_t kEnumDataCapacity = 260;

// The value's data: text without its terminating NUL (text stored without one is kept
// whole), other types less their last byte, one character per byte. "" when the key or value is missing or the data
// exceeds 1024.
std::string GetRegistryValue(App& app, RegKey hive, const std::string& keyPath,
                             const std::string& valueName);
bool RegistryValueExists(App& app, RegKey hive, const std::string& keyPath,
                         const std::string& valueName);
// The value's type, 0 on any failure.
uint32_t GetRegistryValueType(App& app, RegKey hive, const std::string& keyPath,
                              const std::string& valueName);
bool RegistryKeyExists(App& app, RegKey hive, const std::string& keyPath);
// Whether the key exists in the program's own registry view or in the 32-bit one: a
// 32-bit class or interface is registered only there.
bool RegistryKeyExistsInEitherView(App& app, RegKey hive, const std::string& keyPath);
// Whether HKCR\CLSID\<classText>\<subkey> opens with full access.
bool ScanHKCR_CLSID_exist_subkey(App& app, const std::string& classText, const std::string& subkey);

// One step of an enumeration: the status, and the name on status 0 ("" otherwise).
int32_t MyRegEnumKey(App& app, RegKey key, uint32_t index, std::string& name);
int32_t MyRegEnumValue(App& app, RegKey key, uint32_t index, std::string& name);
