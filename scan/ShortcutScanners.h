#pragma once
// Scanners of shortcuts whose targets are gone: the shortcut files of the desktops and
// Start-menu program folders, and the Start menu's remembered order ("MenuOrder").
#include <cstdint>
#include <string>

#include "platform/Registry.h"
#include "platform/ShellLinks.h"

struct App;

// SFFBL, "scan folder for broken links":
// Walks a folder and all its subfolders (each listing finished before its subfolders
// are entered) and checks every shortcut file in it.
void SFFBL(App& app, const std::string& folder);
// Admits a problem when the shortcut's target is missing on a fixed disk.
void CheckShortcut(App& app, const std::string& shortcutPath);
bool IsShortcutFile(const std::string& path);
// SRMO, "scan registry MenuOrder":
// Walks a MenuOrder key; every leaf entry must still exist in a program folder.
void SRMO(App& app, RegKey hive, const std::string& keyPath, const std::string& basePath);
// Reads a shortcut: 0 on success, 1 on failure (logged to app.log).
int32_t GetShortcutInfo(App& app, const std::string& path, ShellLinkInfo& info);
