#pragma once
// Scanners of class registrations under HKEY_CLASSES_ROOT: shell verbs of registered
// applications, class servers and icons, programmatic identifiers whose class is
// registered nowhere, and type-library references that lead nowhere.
#include <string>

#include "platform/Registry.h"

struct App;

// Lists shell verbs under HKCR\keyPath (Applications) whose command names a missing program.
void ScanHKCR(App& app, const std::string& keyPath);
// Lists class servers and icons under HKCR\CLSID that are missing or empty.
void ScanHKCR_CLSID(App& app);
// Tests one server or icon subkey of the class classText.
void ScanHKCR_CLSID_subkey(App& app, RegKey hive, const std::string& classText,
                           const std::string& subkey);
// Lists ProgIDs under HKCR whose class is registered nowhere.
void SR_ActivexHKCR(App& app);
// Lists type-library references under HKCR\root (CLSID or Interface) that lead nowhere.
void SCANREG_TypeLib(App& app, const std::string& root);

// Trims blanks from `text` (in place) and tells whether it then has the form
// {xxxxxxxx-xxxx-xxxx-xxxx-xxxxxxxxxxxx}; only the braces and hyphens are checked.
bool IsGUID(std::string& text);
