#pragma once
// New hive files written from the keys of a registry: the form Windows keeps a registry
// in, for whoever needs one made (the tests and benchmarks make installations of them).
// Writing needs hivex, which only the Linux build has.
#include <filesystem>
#include <string>

#include "platform/Registry.h"

// A hive that holds nothing but its root key: hivex only edits hives, so a new one
// starts from this.
std::string EmptyHiveBytes();

// Writes hive\path with everything below it, but the key `skip` (a full path below the
// hive), into a new hive file whose root key is that key; a key that does not exist
// gives a hive with its root key alone. False, with the reason, when hivex refuses a
// key, a value or the file.
bool WriteHiveFile(Registry& registry, RegKey hive, const std::string& path, const std::filesystem::path& file,
                   std::string& error, const std::string& skip = "");
