#include "platform/portable/PortableRegExport.h"

#include "platform/Text.h"
#include "platform/portable/RegFile.h"

namespace {
bool HiveOf(const std::string& name, RegKey& hive) {
    const std::pair<const char*, RegKey> hives[] = {{"HKCR", HKCR}, {"HKCU", HKCU}, {"HKLM", HKLM},
                                                    {"HKU", HKU},   {"HKCC", HKCC}};
    for (const auto& [short_name, key] : hives)
        if (text::EqualsNoCase(name, short_name)) {
            hive = key;
            return true;
        }
    return false;
}
}  // namespace

bool PortableRegExport::Start(const std::string& commandLine) {
    const std::string start = "REG EXPORT \"";
    if (commandLine.size() <= start.size() || !text::EqualsNoCase(commandLine.substr(0, start.size()), start))
        return false;
    size_t quote = commandLine.find('"', start.size());
    if (quote == std::string::npos || quote + 2 > commandLine.size()) return false;
    std::string key = commandLine.substr(start.size(), quote - start.size());
    std::string file = commandLine.substr(quote + 2);
    size_t cut = key.find('\\');
    RegKey hive = 0;
    if (!HiveOf(key.substr(0, cut), hive)) return true;  // REG starts, and fails by itself
    std::string path = cut == std::string::npos ? "" : key.substr(cut + 1);
    ScopedRegKey opened(registry_);
    if (opened.Open(hive, path, KEY_QUERY_VALUE_) != kRegSuccess) return true;
    opened.Close();
    files_.WriteFile(file, ExportRegFile(registry_, hive, path));
    return true;
}
