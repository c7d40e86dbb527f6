// Reading hives with hivex (libhivex, LGPL-2.1, linked dynamically).
#include <hivex.h>

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <unordered_set>
#include <vector>

#include "platform/portable/HiveFile.h"
#include "platform/portable/RegistryViews.h"

namespace {

constexpr uint32_t kNoParent = ~uint32_t{0};

// What the walk read, kept until all of it was read: the keys in the hive's order
// (depth first, parents before children), and their names and values' names and data
// in one buffer: few allocations, and nothing to free key by key.
struct HiveContents {
    struct Key {
        uint32_t parent;
        uint32_t depth;
        size_t name, nameLength;  // in `bytes`
        size_t firstValue;        // its values run up to the next key's first one
    };
    struct Value {
        uint32_t type;
        size_t name, nameLength, data, dataLength;  // in `bytes`
    };
    std::vector<Key> keys;
    std::vector<Value> values;
    std::string bytes;
};

struct Closer {
    void operator()(hive_h* h) const { hivex_close(h); }
};

std::string Reason() {
    int code = errno;
    return code != 0 ? std::strerror(code) : "unknown error";
}

// Appends what hivex allocated to `bytes` and frees it; where it starts there.
size_t Take(std::string& bytes, char* text, size_t length) {
    size_t at = bytes.size();
    bytes.append(text, length);
    std::free(text);
    return at;
}

class Reader {
  public:
    Reader(hive_h* h, HiveContents& read) : h_(h), read_(read) {}

    // Every key below the root, depth first; "" when all of it was read.
    std::string Read(const std::string& below) {
        below_ = below;
        struct Pending {
            hive_node_h node;
            uint32_t parent, depth;
            size_t name, nameLength;
        };
        std::vector<Pending> stack{{hivex_root(h_), kNoParent, 0, 0, 0}};
        if (stack.back().node == 0) return "it has no root key (" + Reason() + ")";
        while (!stack.empty()) {
            const Pending at = stack.back();
            stack.pop_back();
            const auto index = static_cast<uint32_t>(read_.keys.size());
            read_.keys.push_back({at.parent, at.depth, at.name, at.nameLength, read_.values.size()});
            if (!FirstVisit(at.node)) return "a key is linked twice, at " + Shown(index);
            if (at.depth > regview::kMaxKeyDepth)
                return "keys are nested too deep, at " + Shown(index);
            if (!ReadValues(at.node))
                return "a value of " + Shown(index) + " cannot be read (" + Reason() + ")";
            errno = 0;
            hive_node_h* children = hivex_node_children(h_, at.node);
            if (!children)
                return "the subkeys of " + Shown(index) + " cannot be read (" + Reason() + ")";
            const size_t first = stack.size();
            for (hive_node_h* child = children; *child != 0; ++child) {
                errno = 0;
                char* name = hivex_node_name(h_, *child);
                if (!name) {
                    std::free(children);
                    return "a subkey name of " + Shown(index) + " cannot be read (" + Reason() +
                           ")";
                }
                const size_t length = std::strlen(name);
                const bool valid = length > 0 && std::memchr(name, '\\', length) == nullptr;
                const size_t nameAt = Take(read_.bytes, name, length);
                if (!valid) {
                    std::free(children);
                    return "a subkey of " + Shown(index) + " has an invalid name";
                }
                stack.push_back({*child, index, at.depth + 1, nameAt, length});
            }
            std::free(children);
            // Reversed, so that keys come out in the hive's order.
            std::reverse(stack.begin() + static_cast<std::ptrdiff_t>(first), stack.end());
        }
        return "";
    }

  private:
    // The path of a key read, for the errors.
    std::string Shown(uint32_t index) const {
        std::vector<uint32_t> chain;
        for (uint32_t at = index; at != kNoParent; at = read_.keys[at].parent) chain.push_back(at);
        std::string path = below_;
        for (auto it = chain.rbegin() + 1; it < chain.rend(); ++it) {
            const HiveContents::Key& key = read_.keys[*it];
            if (!path.empty()) path += '\\';
            path.append(read_.bytes, key.name, key.nameLength);
        }
        return path.empty() ? "the root key" : "\"" + path + "\"";
    }

    // False for a key met before: a hive whose keys link back up would never end. Keys
    // are cells, whose offsets are multiples of 8: a bit for every 8 bytes does.
    bool FirstVisit(hive_node_h node) {
        if (node % 8 != 0) return oddNodes_.insert(node).second;
        const size_t bit = node / 8;
        if (bit >= seen_.size()) seen_.resize(std::max(bit + 1, seen_.size() * 2));
        if (seen_[bit]) return false;
        seen_[bit] = true;
        return true;
    }

    bool ReadValues(hive_node_h node) {
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
            HiveContents::Value read{type, 0, std::strlen(name), 0, length};
            read.name = Take(read_.bytes, name, read.nameLength);
            read.data = Take(read_.bytes, data, length);
            read_.values.push_back(read);
        }
        std::free(values);
        return ok;
    }

    hive_h* h_;
    HiveContents& read_;
    std::string below_;
    std::vector<bool> seen_;
    std::unordered_set<hive_node_h> oddNodes_;
};

// Puts what was read below hive\below, key by key in the hive's order.
void Apply(const HiveContents& read, InMemoryRegistry& registry, RegKey hive,
           const std::string& below) {
    const std::string_view bytes = read.bytes;
    std::string path, name;
    std::vector<size_t> ends;  // where the path of the key met last at each depth ends
    for (size_t i = 0; i < read.keys.size(); ++i) {
        const HiveContents::Key& key = read.keys[i];
        if (key.depth == 0) {
            path = below;
        } else {
            path.resize(ends[key.depth - 1]);
            if (!path.empty()) path += '\\';
            path.append(bytes.substr(key.name, key.nameLength));
        }
        if (ends.size() <= key.depth) ends.resize(key.depth + 1);
        ends[key.depth] = path.size();
        InMemoryRegistry::Node* node = registry.ValueKey(hive, path);
        if (!node) continue;
        const size_t end =
            i + 1 < read.keys.size() ? read.keys[i + 1].firstValue : read.values.size();
        for (size_t v = key.firstValue; v < end; ++v) {
            const HiveContents::Value& value = read.values[v];
            name.assign(bytes.substr(value.name, value.nameLength));
            registry.PutValue(node, name,
                              RegValueFromBytes(value.type, bytes.substr(value.data, value.dataLength)));
        }
    }
}

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
    HiveContents read;
    std::string problem = Reader(h.get(), read).Read(below);
    if (!problem.empty()) {
        error = file + ": the hive is damaged: " + problem;
        return false;
    }
    Apply(read, registry, hive, below);
    return true;
}
