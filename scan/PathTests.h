#pragma once
// Cutting a file path out of a registry value, and testing files, folders and drives.
#include <cstdint>
#include <string>

#include "platform/Registry.h"

struct App;

// A folder counts as existing; a file that cannot be opened for reading does not,
// unless the file system cannot tell (an unreachable share, a link it cannot follow,
// a short name it cannot resolve). A path through "Sysnative" is tested in System32.
bool FileExists(App& app, const std::string& path);
// The path as this 64-bit program reaches what it names: "<Windows>\Sysnative" is
// System32, and for a name read from the 32-bit registry view System32 is SysWOW64.
std::string NativeViewPath(const App& app, const std::string& path, bool thirtyTwoBitView);
// Whether a path begins with a drive root such as "C:\".
bool HasDriveRoot(const std::string& path);
bool DirExists(App& app, const std::string& path);
// The drive type of a root such as "C:\"; 0 when it cannot be told.
uint32_t MyGetDriveType(App& app, const std::string& root);
// The path a value names, or "" when the value is not to be tested.
std::string GetPathFromRegistryValue(App& app, const std::string& valueText);
// Admits a "Links to nonexisting file" problem when the value names a missing file.
void TestBrokenRegistryPath(App& app, const std::string& valueText, const std::string& displayName,
                            int32_t status, RegKey hive, const std::string& keyPath,
                            const std::string& valueName, int32_t checkCode, int32_t cureMethod);
