#include <hivex.h>

#include <cstring>
#include <fstream>
#include <vector>

#include "platform/Text.h"
#include "platform/portable/HiveFileWrite.h"
#include "platform/portable/InMemoryRegistry.h"

namespace {

constexpr uint32_t kKeyRead = 0x20019;

class Writer {
public:
    Writer(hive_h* h, Registry& registry, RegKey hive, const std::string& skip)
        : h_(h), registry_(registry), hive_(hive), skip_(skip) {}

    bool Add(hive_node_h node, const std::string& path, std::string& error) {
        ScopedRegKey key(registry_);
        if (key.Open(hive_, path, kKeyRead) != kRegSuccess) {
            error = "\"" + path + "\" cannot be opened";
            return false;
        }
        std::vector<std::string> names, data;
        std::vector<uint32_t> types;
        for (uint32_t i = 0;; ++i) {
            std::string name;
            uint32_t type = 0;
            if (registry_.EnumValue(key.Get(), i, 16384, 1 << 30, name, type) != kRegSuccess) break;
            RegValue value;
            if (registry_.QueryValue(key.Get(), name, 1 << 30, value) != kRegSuccess) {
                error = "a value of \"" + path + "\" cannot be read";
                return false;
            }
            names.push_back(name);
            data.push_back(RegValueToBytes(value));
            types.push_back(value.type);
        }
        std::vector<hive_set_value> set(names.size());
        for (size_t i = 0; i < names.size(); ++i) {
            set[i].key = names[i].data();
            // Types beyond hivex's enumeration are written as their number.
            std::memcpy(&set[i].t, &types[i], sizeof types[i]);
            set[i].len = data[i].size();
            set[i].value = data[i].data();
        }
        if (hivex_node_set_values(h_, node, set.size(), set.data(), 0) != 0) {
            error = "hivex refused the values of \"" + path + "\"";
            return false;
        }
        for (uint32_t i = 0;; ++i) {
            std::string name;
            if (registry_.EnumKey(key.Get(), i, 256, name) != kRegSuccess) break;
            std::string child = path.empty() ? name : path + "\\" + name;
            if (!skip_.empty() && text::EqualsNoCase(child, skip_)) continue;
            hive_node_h added = hivex_node_add_child(h_, node, name.c_str());
            if (added == 0) {
                error = "hivex refused the key \"" + child + "\"";
                return false;
            }
            if (!Add(added, child, error)) return false;
        }
        return true;
    }

private:
    hive_h* h_;
    Registry& registry_;
    RegKey hive_;
    std::string skip_;
};

}  // namespace

bool WriteHiveFile(Registry& registry, RegKey hive, const std::string& path, const std::filesystem::path& file,
                   std::string& error, const std::string& skip) {
    {
        std::ofstream out(file, std::ios::binary | std::ios::trunc);
        std::string empty = EmptyHiveBytes();
        out.write(empty.data(), static_cast<std::streamsize>(empty.size()));
        if (!out) {
            error = file.string() + " cannot be written";
            return false;
        }
    }
    {
        ScopedRegKey top(registry);
        if (top.Open(hive, path, kKeyRead) != kRegSuccess) return true;  // the root key alone
    }
    hive_h* h = hivex_open(file.c_str(), HIVEX_OPEN_WRITE);
    if (!h) {
        error = "hivex cannot open " + file.string();
        return false;
    }
    bool ok = Writer(h, registry, hive, skip).Add(hivex_root(h), path, error);
    if (ok && hivex_commit(h, nullptr, 0) != 0) {
        error = "hivex cannot write " + file.string();
        ok = false;
    }
    hivex_close(h);
    return ok;
}
