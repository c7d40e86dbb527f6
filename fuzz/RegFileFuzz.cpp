// Fuzzes the .reg reader. Any input either fails with a line-numbered error and
// changes nothing, or loads; what loads exports to a file that loads again and
// exports to the very same bytes.
#include <cstdint>
#include <string>

#include "platform/portable/InMemoryRegistry.h"
#include "platform/portable/RegFile.h"

namespace {
void Check(bool condition) {
    if (!condition) __builtin_trap();
}
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    std::string bytes(reinterpret_cast<const char*>(data), size);
    InMemoryRegistry registry;
    std::string error;
    if (!ImportRegFile(registry, bytes, error)) {
        Check(error.rfind("line ", 0) == 0);
        Check(registry.KeyCount() == 0);
        return 0;
    }
    for (RegKey hive : {HKCR, HKCU, HKLM, HKU, HKCC}) {
        std::string exported = ExportRegFile(registry, hive, "");
        if (exported.empty()) continue;
        InMemoryRegistry again;
        Check(ImportRegFile(again, exported, error));
        Check(ExportRegFile(again, hive, "") == exported);
    }
    return 0;
}
