// Fuzzes the reader of Wine's registry files. Any input either fails with a
// line-numbered error and changes nothing, or loads; what loads has its links resolved
// without a crash, and reads back through the registry interface.
#include <cstdint>
#include <string>

#include "platform/portable/InMemoryRegistry.h"
#include "platform/portable/WineRegFile.h"

namespace {
void Check(bool condition) {
    if (!condition) __builtin_trap();
}

// Reads every value below hive\path, to the given depth.
void Walk(InMemoryRegistry& registry, RegKey hive, const std::string& path, int depth) {
    ScopedRegKey key(registry);
    if (depth > 8 || key.Open(hive, path, 0x20019) != kRegSuccess) return;
    for (uint32_t i = 0;; ++i) {
        std::string name;
        uint32_t type = 0;
        if (registry.EnumValue(key.Get(), i, 1 << 20, 1 << 20, name, type) != kRegSuccess) break;
        RegValue value;
        Check(registry.QueryValue(key.Get(), name, 1 << 20, value) == kRegSuccess);
        Check(value.type == type);
    }
    for (uint32_t i = 0;; ++i) {
        std::string name;
        if (registry.EnumKey(key.Get(), i, 256, name) != kRegSuccess) break;
        Walk(registry, hive, path.empty() ? name : path + "\\" + name, depth + 1);
    }
}
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    std::string bytes(reinterpret_cast<const char*>(data), size);
    InMemoryRegistry registry;
    WineRegFileInfo info;
    std::string error;
    if (!ImportWineRegFile(registry, HKLM, "", bytes, info, error)) {
        Check(error.rfind("line ", 0) == 0);
        Check(registry.KeyCount() == 0);
        return 0;
    }
    ResolveWineLinks(registry, HKLM, info.links, "S-1-5-21-0-0-0-1000");
    Walk(registry, HKLM, "", 0);
    return 0;
}
