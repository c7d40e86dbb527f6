#include "tests/HiveTestSupport.h"

#include <gtest/gtest.h>

#include "platform/portable/HiveFileWrite.h"
#include "platform/portable/InMemoryRegistry.h"
#include "tests/TestSupport.h"

namespace fs = std::filesystem;

namespace testing_support {

void PutDword(std::string& bytes, size_t at, uint32_t n) {
    for (int i = 0; i < 4; ++i) bytes[at + i] = static_cast<char>(n >> (8 * i) & 0xFF);
}
uint32_t GetDword(const std::string& bytes, size_t at) {
    uint32_t n = 0;
    for (int i = 3; i >= 0; --i) n = n << 8 | static_cast<unsigned char>(bytes[at + i]);
    return n;
}
void Seal(std::string& bytes) {
    uint32_t sum = 0;
    for (size_t at = 0; at < 508; at += 4) sum ^= GetDword(bytes, at);
    PutDword(bytes, 508, sum);
}

std::string EmptyHive() { return EmptyHiveBytes(); }

void WriteHive(Registry& registry, RegKey hive, const std::string& path, const fs::path& file,
               const std::string& skip) {
    fs::create_directories(file.parent_path());
    std::string error;
    EXPECT_TRUE(WriteHiveFile(registry, hive, path, file, error, skip)) << error;
}

std::vector<std::string> Dump(Registry& registry, RegKey hive, const std::string& path) {
    std::vector<std::string> lines;
    ScopedRegKey key(registry);
    if (key.Open(hive, path, kKeyRead) != kRegSuccess) return lines;
    for (uint32_t i = 0;; ++i) {
        std::string name;
        uint32_t type = 0;
        if (registry.EnumValue(key.Get(), i, 16384, 1 << 30, name, type) != kRegSuccess) break;
        RegValue value;
        registry.QueryValue(key.Get(), name, 1 << 30, value);
        lines.push_back(path + "|" + name + "|" + std::to_string(value.type) + "|" +
                        std::to_string(value.size) + "|" + value.data);
    }
    for (uint32_t i = 0;; ++i) {
        std::string name;
        if (registry.EnumKey(key.Get(), i, 256, name) != kRegSuccess) break;
        for (std::string& line : Dump(registry, hive, path.empty() ? name : path + "\\" + name))
            lines.push_back(std::move(line));
    }
    return lines;
}

std::string HiveLog(uint32_t sequence) {
    std::string bytes = EmptyHive().substr(0, 4096);
    PutDword(bytes, 4, sequence);
    PutDword(bytes, 8, sequence);
    PutDword(bytes, 0x1C, 1);  // a log
    Seal(bytes);
    return bytes + std::string(512, '\x11');
}

void WriteInstallation(Registry& registry, const fs::path& root, const std::string& user) {
    WriteHive(registry, HKLM, "SOFTWARE", root / "Windows/System32/config/SOFTWARE");
    WriteHive(registry, HKLM, "SYSTEM", root / "Windows/System32/config/SYSTEM");
    WriteHive(registry, HKCU, "", root / "Users" / user / "NTUSER.DAT", "Software\\Classes");
    WriteHive(registry, HKCU, "Software\\Classes",
              root / "Users" / user / "AppData/Local/Microsoft/Windows/UsrClass.dat");
}

}  // namespace testing_support
