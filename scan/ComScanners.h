#pragma once
// Scanners of class registrations under HKEY_CLASSES_ROOT: shell verbs of registered
// applications, class servers and icons, programmatic identifiers whose class is
// registered nowhere, and type-library references that lead nowhere.
#include <string>

#include "platform/Registry.h"

struct App;

void ScanHKCR(App& app, const std::string& keyPath);
void ScanHKCR_CLSID(App& app);
void ScanHKCR_CLSID_subkey(App& app, RegKey hive, const std::string& classText,
                           const std::string& subkey);
void SR_ActivexHKCR(App& app);
void SCANREG_TypeLib(App& app, const std::string& root);

// Trims blanks from `text` (in place) and tells whether it then has the form
// {xxxxxxxx-xxxx-xxxx-xxxx-xxxxxxxxxxxx}; only the braces and hyphens are checked.
bool IsGUID(std::string& text);
