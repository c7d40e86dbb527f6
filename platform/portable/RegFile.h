#pragma once
// Registry files (.reg), as REG EXPORT and the Registry Editor write them:
// - import of "Windows Registry Editor Version 5.00" files (UTF-16LE with BOM, UTF-8
//   with BOM, or ANSI Windows-1252 without BOM) and "REGEDIT4" files (ANSI) into an
//   in-memory registry, for offline machine images;
// - export of a key with its subtree to the Version 5.00 form, byte for byte as
//   REG EXPORT writes it, from any registry.
#include <string>
#include <string_view>

#include "platform/FileSystem.h"
#include "platform/Registry.h"
#include "platform/portable/InMemoryRegistry.h"

// Applies a whole .reg file to the registry. The file is read to its end before
// anything changes: a malformed file changes nothing and gives false with an error
// text that names the line ("line 12: ...").
bool ImportRegFile(InMemoryRegistry& registry, const std::string& bytes, std::string& error);
// ImportRegFile of a file; the error text starts with the file's path.
bool LoadRegFile(InMemoryRegistry& registry, FileSystem& files, const std::string& path,
                 std::string& error);

// hive\keyPath and everything below it as a Version 5.00 file (UTF-16LE with BOM);
// an empty key path exports the whole hive. "" when the key cannot be opened.
std::string ExportRegFile(Registry& registry, RegKey hive, const std::string& keyPath);
// A whole machine's registry in one such file: HKEY_LOCAL_MACHINE, HKEY_CURRENT_USER and
// HKEY_USERS (the classes root is a view of the first two).
std::string ExportRegistryImage(Registry& registry);

// The text of a registry file as UTF-8: UTF-16LE after a byte-order mark (as REG
// writes it) decoded, anything else as it is.
std::string RegFileText(const std::string& bytes);

// "HKEY_LOCAL_MACHINE" and its siblings; "" for a value that is no hive.
std::string LongHiveName(RegKey hive);
// A hive by its long or short name ("HKEY_CURRENT_USER", "HKCU"), in any case.
bool ParseHiveName(std::string_view name, RegKey& hive);
