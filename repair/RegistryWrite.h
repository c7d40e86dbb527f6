#pragma once
// The only procedures that change the registry. Each opens its key with full access,
// makes one change, closes the key and reports the outcome.
#include <cstdint>
#include <string>

#include "platform/Registry.h"

struct App;

// 0 or the Windows error code. With nameRequired, an empty value name deletes nothing,
// logs "valuename is empty" and gives 0.
int32_t DeleteRegistryValue(App& app, RegKey hive, const std::string& keyPath,
                            const std::string& valueName, bool nameRequired);
// 0 or the Windows error code; with subkeys, the subtree goes first, deepest keys first
// (never for an empty key path: a hive is not emptied).
int32_t DeleteRegistryKey(App& app, RegKey hive, const std::string& keyPath, bool subkeys);
// Writes a REG_SZ value; true when the key opened and the write was issued.
bool ChangeRegistryValue(App& app, RegKey hive, const std::string& keyPath,
                         const std::string& valueName, const std::string& newText);
