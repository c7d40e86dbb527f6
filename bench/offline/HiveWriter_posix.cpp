#include "bench/offline/HiveWriter.h"

#include <hivex.h>

#include <cstring>
#include <fstream>
#include <vector>

#include "platform/portable/InMemoryRegistry.h"

namespace {

constexpr uint32_t kKeyRead = 0x20019;

void PutDword(std::string& bytes, size_t at, uint32_t n) {
    for (int i = 0; i < 4; ++i) bytes[at + i] = static_cast<char>(n >> (8 * i) & 0xFF);
}

uint32_t GetDword(const std::string& bytes, size_t at) {
    uint32_t n = 0;
    for (int i = 3; i >= 0; --i) n = n << 8 | static_cast<unsigned char>(bytes[at + i]);
    return n;
}

// hivex only edits hives: it starts from one that holds nothing but its root key (the
// base block, then one 4 KiB bin with the root key, its security cell and free space).
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
    uint32_t sum = 0;
    for (size_t at = 0; at < 508; at += 4) sum ^= GetDword(bytes, at);
    PutDword(bytes, 508, sum);
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

class Writer {
public:
    Writer(hive_h* h, Registry& registry, RegKey hive) : h_(h), registry_(registry), hive_(hive) {}

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
};

}  // namespace

bool WriteHiveFile(Registry& registry, RegKey hive, const std::string& path,
                   const std::filesystem::path& file, std::string& error) {
    {
        std::ofstream out(file, std::ios::binary | std::ios::trunc);
        std::string empty = EmptyHive();
        out.write(empty.data(), static_cast<std::streamsize>(empty.size()));
        if (!out) {
            error = file.string() + " cannot be written";
            return false;
        }
    }
    hive_h* h = hivex_open(file.c_str(), HIVEX_OPEN_WRITE);
    if (!h) {
        error = "hivex cannot open " + file.string();
        return false;
    }
    bool ok = Writer(h, registry, hive).Add(hivex_root(h), path, error);
    if (ok && hivex_commit(h, nullptr, 0) != 0) {
        error = "hivex cannot write " + file.string();
        ok = false;
    }
    hivex_close(h);
    return ok;
}
