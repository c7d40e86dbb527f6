// Reading hives with hivex (libhivex, LGPL-2.1, linked dynamically).
#include <hivex.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <unordered_set>
#include <vector>

#include "platform/portable/HiveFile.h"
#include "platform/portable/RegistryViews.h"

namespace {

struct Value {
    std::string name;
    RegValue value;
};
struct Key {
    std::string path;
    std::vector<Value> values;
};

struct Closer {
    void operator()(hive_h* h) const { hivex_close(h); }
};

std::string Reason() {
    int code = errno;
    return code != 0 ? std::strerror(code) : "unknown error";
}

// A string hivex allocated, taken over.
std::string Take(char* text) {
    std::string s(text);
    std::free(text);
    return s;
}

class Reader {
  public:
    Reader(hive_h* h, std::vector<Key>& keys) : h_(h), keys_(keys) {}

    // Every key below the root, depth first; "" when all of it was read.
    std::string Read(const std::string& below) {
        struct Pending {
            hive_node_h node;
            std::string path;
            size_t depth;
        };
        std::vector<Pending> stack{{hivex_root(h_), below, 0}};
        if (stack.back().node == 0) return "it has no root key (" + Reason() + ")";
        while (!stack.empty()) {
            Pending at = std::move(stack.back());
            stack.pop_back();
            if (!seen_.insert(at.node).second) return "a key is linked twice, at " + Shown(at.path);
            if (at.depth > regview::kMaxKeyDepth)
                return "keys are nested too deep, at " + Shown(at.path);
            Key key;
            key.path = at.path;
            if (!ReadValues(at.node, key))
                return "a value of " + Shown(at.path) + " cannot be read (" + Reason() + ")";
            keys_.push_back(std::move(key));
            errno = 0;
            hive_node_h* children = hivex_node_children(h_, at.node);
            if (!children)
                return "the subkeys of " + Shown(at.path) + " cannot be read (" + Reason() + ")";
            std::vector<Pending> found;
            for (hive_node_h* child = children; *child != 0; ++child) {
                errno = 0;
                char* name = hivex_node_name(h_, *child);
                if (!name) {
                    std::free(children);
                    return "a subkey name of " + Shown(at.path) + " cannot be read (" + Reason() +
                           ")";
                }
                std::string childName = Take(name);
                if (childName.empty() || childName.find('\\') != std::string::npos) {
                    std::free(children);
                    return "a subkey of " + Shown(at.path) + " has an invalid name";
                }
                found.push_back({*child, at.path.empty() ? childName : at.path + "\\" + childName,
                                 at.depth + 1});
            }
            std::free(children);
            // Pushed in reverse, so that keys come out in the hive's order.
            for (auto it = found.rbegin(); it != found.rend(); ++it)
                stack.push_back(std::move(*it));
        }
        return "";
    }

  private:
    static std::string Shown(const std::string& path) {
        return path.empty() ? "the root key" : "\"" + path + "\"";
    }

    bool ReadValues(hive_node_h node, Key& key) {
        errno = 0;
        hive_value_h* values = hivex_node_values(h_, node);
        if (!values) return false;
        bool ok = true;
        for (hive_value_h* value = values; ok && *value != 0; ++value) {
            errno = 0;
            char* name = hivex_value_key(h_, *value);
            if (!name) {
                ok = false;
                break;
            }
            // The type is read as a number: hives hold types beyond hivex's enumeration.
            uint32_t type = 0;
            size_t length = 0;
            char* data =
                hivex_value_value(h_, *value, reinterpret_cast<hive_type*>(&type), &length);
            if (!data) {
                std::free(name);
                ok = false;
                break;
            }
            key.values.push_back(
                {Take(name), RegValueFromBytes(type, std::string_view(data, length))});
            std::free(data);
        }
        std::free(values);
        return ok;
    }

    hive_h* h_;
    std::vector<Key>& keys_;
    std::unordered_set<hive_node_h> seen_;
};

}  // namespace

bool HiveFilesReadable() {
    return true;
}

bool LoadHiveFile(InMemoryRegistry& registry, RegKey hive, const std::string& below,
                  const std::string& file, std::string& error) {
    if (!CheckHiveFile(file, error)) return false;
    errno = 0;
    std::unique_ptr<hive_h, Closer> h(hivex_open(file.c_str(), 0));
    if (!h) {
        error = file + ": hivex cannot read the hive (" + Reason() + ")";
        return false;
    }
    std::vector<Key> keys;
    std::string problem = Reader(h.get(), keys).Read(below);
    if (!problem.empty()) {
        error = file + ": the hive is damaged: " + problem;
        return false;
    }
    for (const Key& key : keys) {
        InMemoryRegistry::Node* node = registry.ValueKey(hive, key.path);
        if (!node) continue;
        for (const Value& value : key.values) registry.PutValue(node, value.name, value.value);
    }
    return true;
}
