#include "tests/HiveTestSupport.h"

#include <gtest/gtest.h>
#include <hivex.h>

#include <cstring>

#include "platform/Text.h"
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

// The base block, then one 4 KiB bin holding the root key, its security cell and free
// space.
std::string EmptyHive() {
    std::string bytes(8192, '\0');
    std::memcpy(&bytes[0], "regf", 4);
    PutDword(bytes, 0x04, 1);
    PutDword(bytes, 0x08, 1);
    PutDword(bytes, 0x14, 1);  // version 1.3
    PutDword(bytes, 0x18, 3);
    PutDword(bytes, 0x20, 1);     // format: direct memory load
    PutDword(bytes, 0x24, 0x20);  // the root key's cell
    PutDword(bytes, 0x28, 0x1000);
    PutDword(bytes, 0x2C, 1);
    Seal(bytes);
    const size_t bin = 0x1000, root = bin + 0x20, security = root + 88, spare = security + 48;
    std::memcpy(&bytes[bin], "hbin", 4);
    PutDword(bytes, bin + 8, 0x1000);
    PutDword(bytes, root, static_cast<uint32_t>(-88));
    std::memcpy(&bytes[root + 4], "nk", 2);
    bytes[root + 6] = 0x2C;  // the hive's entry, not to be deleted, ASCII name
    for (size_t field : {32, 36, 44, 52}) PutDword(bytes, root + field, 0xFFFFFFFF);
    PutDword(bytes, root + 48, static_cast<uint32_t>(security - bin));
    bytes[root + 76] = 4;
    std::memcpy(&bytes[root + 80], "ROOT", 4);
    PutDword(bytes, security, static_cast<uint32_t>(-48));
    std::memcpy(&bytes[security + 4], "sk", 2);
    PutDword(bytes, security + 8, static_cast<uint32_t>(security - bin));
    PutDword(bytes, security + 12, static_cast<uint32_t>(security - bin));
    PutDword(bytes, security + 16, 1);
    PutDword(bytes, security + 20, 20);
    bytes[security + 24] = 1;  // a self-relative descriptor without lists
    bytes[security + 27] = '\x80';
    PutDword(bytes, spare, static_cast<uint32_t>(bin + 0x1000 - spare));
    return bytes;
}

namespace {

// Writes hive\path of `registry`, but the key `skip`, below `node`.
void AddTree(hive_h* h, hive_node_h node, Registry& registry, RegKey hive, const std::string& path,
             const std::string& skip) {
    ScopedRegKey key(registry);
    if (key.Open(hive, path, kKeyRead) != kRegSuccess) return;  // an empty hive
    std::vector<std::string> names, data;
    std::vector<uint32_t> types;
    for (uint32_t i = 0;; ++i) {
        std::string name;
        uint32_t type = 0;
        if (registry.EnumValue(key.Get(), i, 16384, 1 << 30, name, type) != kRegSuccess) break;
        RegValue value;
        ASSERT_EQ(registry.QueryValue(key.Get(), name, 1 << 30, value), kRegSuccess);
        names.push_back(name);
        data.push_back(RegValueToBytes(value));
        types.push_back(value.type);
    }
    std::vector<hive_set_value> set(names.size());
    for (size_t i = 0; i < names.size(); ++i) {
        set[i].key = names[i].data();
        std::memcpy(&set[i].t, &types[i], sizeof types[i]);  // types beyond hivex's enumeration too
        set[i].len = data[i].size();
        set[i].value = data[i].data();
    }
    ASSERT_EQ(hivex_node_set_values(h, node, set.size(), set.data(), 0), 0) << path;
    for (uint32_t i = 0;; ++i) {
        std::string name;
        if (registry.EnumKey(key.Get(), i, 256, name) != kRegSuccess) break;
        std::string child = path.empty() ? name : path + "\\" + name;
        if (text::EqualsNoCase(child, skip)) continue;
        hive_node_h added = hivex_node_add_child(h, node, name.c_str());
        ASSERT_NE(added, 0u) << child;
        AddTree(h, added, registry, hive, child, skip);
    }
}

}  // namespace

void WriteHive(Registry& registry, RegKey hive, const std::string& path, const fs::path& file,
               const std::string& skip) {
    fs::create_directories(file.parent_path());
    WriteBytes(file, EmptyHive());
    hive_h* h = hivex_open(file.c_str(), HIVEX_OPEN_WRITE);
    ASSERT_NE(h, nullptr) << file;
    AddTree(h, hivex_root(h), registry, hive, path, skip);
    EXPECT_EQ(hivex_commit(h, nullptr, 0), 0);
    hivex_close(h);
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
