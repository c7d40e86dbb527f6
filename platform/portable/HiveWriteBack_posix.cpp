// Writing hives with hivex (libhivex, LGPL-2.1, linked dynamically).
#include <hivex.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <limits>
#include <memory>
#include <unordered_set>

#include "platform/Text.h"
#include "platform/portable/HiveWriteBack.h"
#include "platform/portable/HostPath.h"
#include "platform/portable/InMemoryRegistry.h"

namespace fs = std::filesystem;

namespace {

struct Closer {
    void operator()(hive_h* h) const { hivex_close(h); }
};
using HiveHandle = std::unique_ptr<hive_h, Closer>;

std::string Reason() {
    int code = errno;
    return code != 0 ? std::strerror(code) : "unknown error";
}

std::string Join(const std::string& path, const std::string& name) {
    return path.empty() ? name : path + "\\" + name;
}

std::string Shown(const std::string& path) {
    return path.empty() ? "the root key" : "\"" + path + "\"";
}

struct FileValue {
    std::string name;
    uint32_t type = 0;
    std::string bytes;
};

// Walks a hive file alongside the registry below its mount point and counts the
// differences; with `apply` it also makes the file like the registry. A comparison
// stops at the first difference.
class HiveComparer {
  public:
    HiveComparer(Registry& registry, const MountedHive& mounted, hive_h* h, bool apply)
        : registry_(registry), mounted_(mounted), h_(h), apply_(apply) {}

    // "" when the walk went through.
    std::string Run(size_t& changes) {
        std::vector<Pending> stack{{hivex_root(h_), ""}};
        if (stack.back().node == 0) return "it has no root key (" + Reason() + ")";
        std::unordered_set<hive_node_h> seen;
        while (!stack.empty() && (apply_ || changes_ == 0)) {
            Pending at = std::move(stack.back());
            stack.pop_back();
            if (!seen.insert(at.node).second) return "a key is linked twice, at " + Shown(at.path);
            ScopedRegKey key(registry_);
            std::string inRegistry = Join(mounted_.below, at.path);
            if (int32_t status = key.Open(mounted_.hive, inRegistry, KEY_QUERY_VALUE_);
                status != kRegSuccess)
                return "the registry key " + Shown(inRegistry) + " cannot be opened (status " +
                       std::to_string(status) + ")";
            std::string problem = Values(at.node, key.Get(), at.path);
            if (!problem.empty()) return problem;
            errno = 0;
            hive_node_h* children = hivex_node_children(h_, at.node);
            if (!children)
                return "the subkeys of " + Shown(at.path) + " cannot be read (" + Reason() + ")";
            std::vector<Pending> kept;
            for (hive_node_h* child = children; problem.empty() && *child != 0; ++child)
                problem = Subkey(key.Get(), *child, at.path, kept);
            std::free(children);
            if (!problem.empty()) return problem;
            for (auto it = kept.rbegin(); it != kept.rend(); ++it) stack.push_back(std::move(*it));
        }
        changes = changes_;
        return "";
    }

  private:
    struct Pending {
        hive_node_h node;
        std::string path;  // below the mount point
    };

    std::string Subkey(RegKey parent, hive_node_h child, const std::string& path,
                       std::vector<Pending>& kept) {
        errno = 0;
        char* raw = hivex_node_name(h_, child);
        if (!raw) return "a subkey name of " + Shown(path) + " cannot be read (" + Reason() + ")";
        std::string name(raw);
        std::free(raw);
        if (name.empty() || name.find('\\') != std::string::npos)
            return "a subkey of " + Shown(path) + " has an invalid name";
        std::string childPath = Join(path, name);
        for (const std::string& skipped : mounted_.skip)
            if (text::EqualsNoCase(childPath, skipped)) return "";
        ScopedRegKey key(registry_);
        int32_t status = key.Open(parent, name, KEY_QUERY_VALUE_);
        if (status == kRegSuccess) {
            kept.push_back({child, childPath});
            return "";
        }
        if (status != kRegNotFound)
            return "the registry key " + Shown(Join(mounted_.below, childPath)) +
                   " cannot be opened (status " + std::to_string(status) + ")";
        ++changes_;
        if (apply_ && hivex_node_delete_child(h_, child) != 0)
            return "the key " + Shown(childPath) + " cannot be deleted (" + Reason() + ")";
        return "";
    }

    // Compares the values of a key, in the file's order; sets them all anew when one
    // differs.
    std::string Values(hive_node_h node, RegKey key, const std::string& path) {
        errno = 0;
        hive_value_h* handles = hivex_node_values(h_, node);
        if (!handles) return "the values of " + Shown(path) + " cannot be read (" + Reason() + ")";
        std::vector<FileValue> values;
        bool changed = false;
        std::string problem;
        for (hive_value_h* handle = handles; problem.empty() && *handle != 0; ++handle) {
            FileValue value;
            if (!Read(*handle, value)) {
                problem = "a value of " + Shown(path) + " cannot be read (" + Reason() + ")";
                break;
            }
            RegValue now;
            int32_t status =
                registry_.QueryValue(key, value.name, std::numeric_limits<uint32_t>::max(), now);
            if (status == kRegNotFound) {
                changed = true;
                continue;
            }
            if (status != kRegSuccess) {
                problem = "the value \"" + value.name + "\" of " + Shown(path) +
                          " cannot be read from the registry (status " + std::to_string(status) +
                          ")";
                break;
            }
            RegValue was = RegValueFromBytes(value.type, value.bytes);
            if (was.type != now.type || was.size != now.size || was.data != now.data) {
                changed = true;
                value.type = now.type;
                value.bytes = RegValueToBytes(now);
            }
            values.push_back(std::move(value));
        }
        std::free(handles);
        if (!problem.empty() || !changed) return problem;
        ++changes_;
        if (!apply_) return "";
        std::vector<hive_set_value> set(values.size());
        for (size_t i = 0; i < values.size(); ++i) {
            set[i].key = values[i].name.data();
            // Types beyond hivex's enumeration are written as they are.
            std::memcpy(&set[i].t, &values[i].type, sizeof values[i].type);
            set[i].len = values[i].bytes.size();
            set[i].value = values[i].bytes.data();
        }
        if (hivex_node_set_values(h_, node, set.size(), set.data(), 0) != 0)
            return "the values of " + Shown(path) + " cannot be written (" + Reason() + ")";
        return "";
    }

    bool Read(hive_value_h handle, FileValue& value) {
        errno = 0;
        char* name = hivex_value_key(h_, handle);
        if (!name) return false;
        value.name = name;
        std::free(name);
        size_t length = 0;
        char* data =
            hivex_value_value(h_, handle, reinterpret_cast<hive_type*>(&value.type), &length);
        if (!data) return false;
        value.bytes.assign(data, length);
        std::free(data);
        return true;
    }

    Registry& registry_;
    const MountedHive& mounted_;
    hive_h* h_;
    bool apply_;
    size_t changes_ = 0;
};

bool Compare(Registry& registry, const MountedHive& mounted, bool& differs, std::string& error) {
    errno = 0;
    HiveHandle h(hivex_open(mounted.file.c_str(), 0));
    if (!h) {
        error = mounted.file + ": hivex cannot read the hive (" + Reason() + ")";
        return false;
    }
    size_t changes = 0;
    std::string problem = HiveComparer(registry, mounted, h.get(), false).Run(changes);
    if (!problem.empty()) {
        error = mounted.file + ": " + problem;
        return false;
    }
    differs = changes > 0;
    return true;
}

// Applies the differences, keeps the file as it was in its backup, and replaces it by
// way of a new file beside it, so that a failed write leaves the hive intact.
bool Write(Registry& registry, const MountedHive& mounted, const std::string& stamp,
           std::string& error) {
    const std::string& file = mounted.file;
    errno = 0;
    HiveHandle h(hivex_open(file.c_str(), HIVEX_OPEN_WRITE));
    if (!h) {
        error = file + ": hivex cannot open the hive for writing (" + Reason() + ")";
        return false;
    }
    size_t changes = 0;
    std::string problem = HiveComparer(registry, mounted, h.get(), true).Run(changes);
    if (!problem.empty()) {
        error = file + ": " + problem;
        return false;
    }
    std::string backup = HiveBackupName(file, stamp);
    std::error_code ec;
    if (!fs::copy_file(hostpath::FromUtf8(file), hostpath::FromUtf8(backup), fs::copy_options::none,
                       ec)) {
        error = file + ": the hive cannot be copied to " + backup + " (" + ec.message() + ")";
        return false;
    }
    std::string fresh = file + ".brivolex-" + stamp + ".new";
    errno = 0;
    if (hivex_commit(h.get(), fresh.c_str(), 0) != 0) {
        error = file + ": the changed hive cannot be written to " + fresh + " (" + Reason() + ")";
        fs::remove(hostpath::FromUtf8(fresh), ec);
        return false;
    }
    fs::rename(hostpath::FromUtf8(fresh), hostpath::FromUtf8(file), ec);
    if (ec) {
        error = file + ": the hive cannot be replaced by " + fresh + " (" + ec.message() + ")";
        fs::remove(hostpath::FromUtf8(fresh), ec);
        return false;
    }
    return true;
}

}  // namespace

bool HiveFilesWritable() {
    return true;
}

bool WriteBackHives(Registry& repaired, const std::vector<MountedHive>& hives,
                    const std::string& stamp, std::vector<std::string>& changedFiles,
                    std::string& error) {
    changedFiles.clear();
    std::vector<const MountedHive*> changing;
    for (const MountedHive& mounted : hives) {
        ScopedRegKey top(repaired);
        if (top.Open(mounted.hive, mounted.below, KEY_QUERY_VALUE_) != kRegSuccess) {
            error = mounted.file + ": the registry lacks the key \"" + mounted.below +
                    "\" the hive was loaded into";
            return false;
        }
        bool differs = false;
        if (!Compare(repaired, mounted, differs, error)) return false;
        if (differs) changing.push_back(&mounted);
    }
    for (const MountedHive* mounted : changing) {
        if (!CheckHiveFile(mounted->file, error)) return false;
        std::error_code ec;
        std::string backup = HiveBackupName(mounted->file, stamp);
        if (fs::exists(fs::symlink_status(hostpath::FromUtf8(backup), ec))) {
            error = mounted->file + ": its backup " + backup + " exists already";
            return false;
        }
    }
    for (const MountedHive* mounted : changing) {
        if (!Write(repaired, *mounted, stamp, error)) return false;
        changedFiles.push_back(mounted->file);
    }
    return true;
}
