#pragma once
// Hive files for the benchmarks, written with hivex (the Linux build only) from the
// keys of a registry.
#include <filesystem>
#include <string>

#include "platform/Registry.h"

// Writes hive\path with everything below it into a new hive file whose root key is
// that key. False, with the reason, when hivex refuses a key, a value or the file.
bool WriteHiveFile(Registry& registry, RegKey hive, const std::string& path,
                   const std::filesystem::path& file, std::string& error);
