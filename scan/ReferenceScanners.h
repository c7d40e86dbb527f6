#pragma once
// Scanners of registry values that name files or folders: uninstall entries and
// application paths, Run keys, font lists, shared-DLL counters, help-file lists, the
// Windows Installer folder list and the installed-programs cache.
#include <cstdint>
#include <string>

#include "platform/Registry.h"

struct App;

// Traced as SRFBL ("scan registry for broken links").
// Tests `valueName` of every subkey of hive\keyPath (and, with recurse, of every key
// below it, one level at a time).
void ScanRegistryForBrokenLinks(App& app, RegKey hive, const std::string& keyPath, bool recurse,
                                const std::string& valueName, int32_t status, int32_t checkCode);
// Traced as SRKVFBL ("scan registry key values for broken links").
// Tests every value of hive\keyPath: its data (pathInData) or its name.
void ScanRegistryKeyValuesForBrokenLinks(App& app, RegKey hive, const std::string& keyPath,
                                         bool pathInData, int32_t checkCode);
// Traced as SRFBH ("scan registry for broken helps").
// Help lists: each value is named by a help file and holds its folder.
void ScanRegistryForBrokenHelps(App& app, RegKey hive, const std::string& keyPath);
// Lists the Windows Installer folders (HKLM ...\Installer\Folders) that are gone.
void SR_InstallerFolders(App& app);
// Lists installed-programs cache entries (ARPCache) whose program is gone.
void SCANREG_ARPCache(App& app);

// The program path inside an installed-programs cache record ("SlowInfoCache" as
// GetRegistryValue returns it), or "" when it holds none.
std::string ProgramPathFromSlowInfoCache(const std::string& raw);
