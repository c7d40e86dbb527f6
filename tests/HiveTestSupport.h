#pragma once
// Hive files made by the tests with hivex (the Linux build only): from a registry's
// keys, or their base blocks and transaction logs by hand; and dumps to compare
// registries by.
#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

#include "platform/Registry.h"

namespace testing_support {

constexpr uint32_t kKeyRead = 0x20019;

void PutDword(std::string& bytes, size_t at, uint32_t n);
uint32_t GetDword(const std::string& bytes, size_t at);
// Sets a base block's checksum.
void Seal(std::string& bytes);
// A hive with nothing but its root key.
std::string EmptyHive();
// A transaction log with the sequence number `sequence` (newer than the hive when it is
// at least the hive's secondary one).
std::string HiveLog(uint32_t sequence);

// Writes hive\path of `registry`, but the key `skip` (a full path), into a new hive file.
void WriteHive(Registry& registry, RegKey hive, const std::string& path,
               const std::filesystem::path& file, const std::string& skip = "");
// Writes SOFTWARE, SYSTEM, the user's NTUSER.DAT and UsrClass.dat of `registry` into
// an installation at `root`, as Windows 10 lays them out.
void WriteInstallation(Registry& registry, const std::filesystem::path& root,
                       const std::string& user);

// Every value below hive\path, as "path|name|type|size|data" lines.
std::vector<std::string> Dump(Registry& registry, RegKey hive, const std::string& path);

}  // namespace testing_support
