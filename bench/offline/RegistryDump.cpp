#include "bench/offline/RegistryDump.h"

namespace {

constexpr uint32_t kKeyRead = 0x20019;

void Dump(Registry& registry, RegKey hive, const std::string& path,
          std::vector<std::string>& lines) {
    ScopedRegKey key(registry);
    if (key.Open(hive, path, kKeyRead) != kRegSuccess) return;
    lines.push_back(path);
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
        Dump(registry, hive, path.empty() ? name : path + "\\" + name, lines);
    }
}

}  // namespace

std::vector<std::string> DumpRegistry(Registry& registry, RegKey hive, const std::string& path) {
    std::vector<std::string> lines;
    Dump(registry, hive, path, lines);
    return lines;
}
