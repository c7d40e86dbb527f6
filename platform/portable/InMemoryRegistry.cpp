#include "platform/portable/InMemoryRegistry.h"

#include <algorithm>

#include "platform/Text.h"

namespace {

constexpr uint32_t kQueryBit = 0x0001;      // KEY_QUERY_VALUE
constexpr uint32_t kSetBit = 0x0002;        // KEY_SET_VALUE
constexpr uint32_t kEnumerateBit = 0x0008;  // KEY_ENUMERATE_SUB_KEYS
constexpr uint32_t kWriteBits = 0x0002 | 0x0004 | 0x0020 | 0x10000 | 0x40000 | 0x80000;
constexpr int32_t kKeyDeleted = 1018;
constexpr int32_t kInvalidHandle = 6;

const char kMachineClasses[] = "SOFTWARE\\Classes";
const char kUserClasses[] = "Software\\Classes";

// Splits a key path into its names. An empty path has none; a trailing "\" is
// allowed; any other empty name makes the path invalid.
bool SplitPath(const std::string& path, std::vector<std::string>& parts) {
    parts.clear();
    size_t start = 0;
    while (start < path.size()) {
        size_t end = path.find('\\', start);
        if (end == std::string::npos) end = path.size();
        if (end == start) return false;
        parts.push_back(path.substr(start, end - start));
        start = end + 1;
    }
    return true;
}

uint32_t Utf16Length(const std::string& s) {
    uint32_t n = 0;
    for (unsigned char c : s) {
        if ((c & 0xC0) != 0x80) ++n;  // one unit per code point start...
        if ((c & 0xF8) == 0xF0) ++n;  // ...and a second one for a surrogate pair
    }
    return n;
}

}  // namespace

struct InMemoryRegistry::Node {
    struct Value {
        std::string name;
        RegValue value;
    };
    std::string name;
    std::vector<std::shared_ptr<Node>> children;  // sorted as Windows enumerates them
    std::vector<Value> values;                    // in creation order
    bool readOnly = false;
    bool deleted = false;

    // Position of the first child not ordered before `childName`.
    std::vector<std::shared_ptr<Node>>::iterator LowerBound(const std::string& childName) {
        return std::lower_bound(children.begin(), children.end(), childName,
                                [](const std::shared_ptr<Node>& child, const std::string& n) {
                                    return text::CompareNoCase(child->name, n) < 0;
                                });
    }
    Node* Child(const std::string& childName) {
        auto it = LowerBound(childName);
        return it != children.end() && text::CompareNoCase((*it)->name, childName) == 0
                   ? it->get()
                   : nullptr;
    }
    std::shared_ptr<Node> ChildShared(const std::string& childName) {
        auto it = LowerBound(childName);
        return it != children.end() && text::CompareNoCase((*it)->name, childName) == 0
                   ? *it
                   : nullptr;
    }
    Node* AddChild(const std::string& childName) {
        // Loading sorted data appends: try the end first.
        if (children.empty() || text::CompareNoCase(children.back()->name, childName) < 0) {
            children.push_back(std::make_shared<Node>());
            children.back()->name = childName;
            return children.back().get();
        }
        auto it = LowerBound(childName);
        if (it != children.end() && text::CompareNoCase((*it)->name, childName) == 0) return it->get();
        auto node = std::make_shared<Node>();
        node->name = childName;
        return children.insert(it, std::move(node))->get();
    }
    Value* FindValue(const std::string& valueName) {
        for (Value& v : values)
            if (text::EqualsNoCase(v.name, valueName)) return &v;
        return nullptr;
    }
    size_t CountBelow() const {
        size_t n = children.size();
        for (const auto& child : children) n += child->CountBelow();
        return n;
    }
};

// An open key: one node, or for HKEY_CLASSES_ROOT the per-user and the machine node of
// the same classes path (either may be missing).
struct InMemoryRegistry::Handle {
    bool merged = false;
    std::shared_ptr<Node> node;  // when not merged
    std::shared_ptr<Node> user, machine;
    uint32_t access = 0;
    bool classesRoot = false;  // the HKCR pseudo-handle: its nodes are looked up on use
    std::vector<std::string> mergedNames;
    uint64_t mergedGeneration = ~uint64_t{0};
};

InMemoryRegistry::InMemoryRegistry()
    : hklm_(std::make_shared<Node>()),
      hkcu_(std::make_shared<Node>()),
      hku_(std::make_shared<Node>()),
      hkcc_(std::make_shared<Node>()) {
    auto root = [this](RegKey hive, std::shared_ptr<Node> node) {
        auto handle = std::make_unique<Handle>();
        handle->access = KEY_ALL_ACCESS_;
        handle->node = std::move(node);
        if (hive == HKCR) {
            handle->merged = true;
            handle->classesRoot = true;
        }
        roots_[hive] = std::move(handle);
    };
    root(HKCR, nullptr);
    root(HKCU, hkcu_);
    root(HKLM, hklm_);
    root(HKU, hku_);
    root(HKCC, hkcc_);
}

InMemoryRegistry::~InMemoryRegistry() = default;

InMemoryRegistry::Node* InMemoryRegistry::Root(RegKey hive) const {
    switch (hive) {
        case HKLM: return hklm_.get();
        case HKCU: return hkcu_.get();
        case HKU: return hku_.get();
        case HKCC: return hkcc_.get();
        default: return nullptr;
    }
}

namespace {
std::shared_ptr<InMemoryRegistry::Node> Walk(std::shared_ptr<InMemoryRegistry::Node> from,
                                             const std::string& path) {
    std::vector<std::string> parts;
    if (!SplitPath(path, parts)) return nullptr;
    for (const std::string& part : parts) {
        if (!from) return nullptr;
        from = from->ChildShared(part);
    }
    return from;
}
}  // namespace

InMemoryRegistry::Handle* InMemoryRegistry::Find(RegKey key) {
    if (key < 0x80000000u) {
        auto it = handles_.find(key);
        return it == handles_.end() ? nullptr : it->second.get();
    }
    // The predefined roots are lasting pseudo-handles with full access.
    auto root = roots_.find(key);
    if (root == roots_.end()) return nullptr;
    Handle& handle = *root->second;
    if (handle.classesRoot) {
        // Looked up on every use: the classes keys may have been created meanwhile.
        handle.user = Walk(hkcu_, kUserClasses);
        handle.machine = Walk(hklm_, kMachineClasses);
    }
    return &handle;
}

int32_t InMemoryRegistry::OpenFrom(const Handle& from, const std::string& path, uint32_t access,
                                   Handle& out) {
    std::vector<std::string> parts;
    if (!SplitPath(path, parts)) return kRegNotFound;
    out = Handle{};
    out.access = access;
    if (from.merged) {
        std::shared_ptr<Node> user = from.user, machine = from.machine;
        if ((user && user->deleted) && (machine && machine->deleted)) return kKeyDeleted;
        for (const std::string& part : parts) {
            user = user ? user->ChildShared(part) : nullptr;
            machine = machine ? machine->ChildShared(part) : nullptr;
            if (!user && !machine) return kRegNotFound;
        }
        if (!user && !machine) return kRegNotFound;
        if ((access & kWriteBits) && ((user && user->readOnly) || (!user && machine->readOnly)))
            return kRegAccessDenied;
        out.merged = true;
        out.user = user;
        out.machine = machine;
        return kRegSuccess;
    }
    std::shared_ptr<Node> node = from.node;
    if (!node || node->deleted) return kKeyDeleted;
    for (const std::string& part : parts) {
        node = node->ChildShared(part);
        if (!node) return kRegNotFound;
    }
    if ((access & kWriteBits) && node->readOnly) return kRegAccessDenied;
    out.node = node;
    return kRegSuccess;
}

int32_t InMemoryRegistry::OpenKey(RegKey parent, const std::string& path, uint32_t access,
                                  RegKey& key) {
    Handle* from = Find(parent);
    if (!from) return kInvalidHandle;
    auto opened = std::make_unique<Handle>();
    int32_t status = OpenFrom(*from, path, access, *opened);
    if (status != kRegSuccess) return status;
    key = nextHandle_++;
    if (nextHandle_ >= 0x80000000u) nextHandle_ = 1;
    handles_[key] = std::move(opened);
    return kRegSuccess;
}

InMemoryRegistry::Node* InMemoryRegistry::ValueOwner(const Handle& handle) const {
    if (!handle.merged) return handle.node.get();
    return handle.user ? handle.user.get() : handle.machine.get();
}

int32_t InMemoryRegistry::QueryValue(RegKey key, const std::string& name, uint32_t capacity,
                                     RegValue& value) {
    Handle* handle = Find(key);
    if (!handle) return kInvalidHandle;
    if (!(handle->access & kQueryBit)) return kRegAccessDenied;
    Node* node = ValueOwner(*handle);
    if (!node) return kRegNotFound;
    if (node->deleted) return kKeyDeleted;
    Node::Value* found = node->FindValue(name);
    if (!found) return kRegNotFound;
    if (found->value.size > capacity) {
        value.type = found->value.type;
        value.size = found->value.size;
        value.data.clear();
        return kRegMoreData;
    }
    value = found->value;
    return kRegSuccess;
}

const std::vector<std::string>& InMemoryRegistry::MergedSubkeys(Handle& handle) {
    if (handle.mergedGeneration == generation_) return handle.mergedNames;
    handle.mergedNames.clear();
    static const std::vector<std::shared_ptr<Node>> none;
    const auto& a = handle.user ? handle.user->children : none;
    const auto& b = handle.machine ? handle.machine->children : none;
    size_t i = 0, j = 0;
    while (i < a.size() || j < b.size()) {
        int order = i == a.size()   ? 1
                    : j == b.size() ? -1
                                    : text::CompareNoCase(a[i]->name, b[j]->name);
        if (order <= 0) {
            handle.mergedNames.push_back(a[i]->name);
            ++i;
            if (order == 0) ++j;
        } else {
            handle.mergedNames.push_back(b[j]->name);
            ++j;
        }
    }
    handle.mergedGeneration = generation_;
    return handle.mergedNames;
}

int32_t InMemoryRegistry::EnumKey(RegKey key, uint32_t index, uint32_t nameCapacity,
                                  std::string& name) {
    Handle* handle = Find(key);
    if (!handle) return kInvalidHandle;
    if (!(handle->access & kEnumerateBit)) return kRegAccessDenied;
    const std::string* found = nullptr;
    if (handle->merged) {
        const auto& names = MergedSubkeys(*handle);
        if (index >= names.size()) return kRegNoMoreItems;
        found = &names[index];
    } else {
        if (handle->node->deleted) return kKeyDeleted;
        if (index >= handle->node->children.size()) return kRegNoMoreItems;
        found = &handle->node->children[index]->name;
    }
    if (Utf16Length(*found) + 1 > nameCapacity) return kRegMoreData;
    name = *found;
    return kRegSuccess;
}

int32_t InMemoryRegistry::EnumValue(RegKey key, uint32_t index, uint32_t nameCapacity,
                                    uint32_t dataCapacity, std::string& name, uint32_t& type) {
    Handle* handle = Find(key);
    if (!handle) return kInvalidHandle;
    if (!(handle->access & kQueryBit)) return kRegAccessDenied;
    Node* node = ValueOwner(*handle);
    if (!node) return kRegNoMoreItems;
    if (node->deleted) return kKeyDeleted;
    if (index >= node->values.size()) return kRegNoMoreItems;
    const Node::Value& v = node->values[index];
    if (Utf16Length(v.name) + 1 > nameCapacity || v.value.size > dataCapacity) return kRegMoreData;
    name = v.name;
    type = v.value.type;
    return kRegSuccess;
}

int32_t InMemoryRegistry::CloseKey(RegKey key) {
    if (key >= 0x80000000u) return kRegSuccess;
    return handles_.erase(key) ? kRegSuccess : kInvalidHandle;
}

int32_t InMemoryRegistry::SetValue(RegKey key, const std::string& name, const RegValue& value) {
    Handle* handle = Find(key);
    if (!handle) return kInvalidHandle;
    if (!(handle->access & kSetBit)) return kRegAccessDenied;
    Node* node = ValueOwner(*handle);
    if (!node) return kRegNotFound;
    if (node->deleted) return kKeyDeleted;
    if (node->readOnly) return kRegAccessDenied;
    ++generation_;
    if (Node::Value* existing = node->FindValue(name)) {
        existing->value = value;
    } else {
        node->values.push_back(Node::Value{name, value});
    }
    return kRegSuccess;
}

int32_t InMemoryRegistry::DeleteValue(RegKey key, const std::string& name) {
    Handle* handle = Find(key);
    if (!handle) return kInvalidHandle;
    if (!(handle->access & kSetBit)) return kRegAccessDenied;
    Node* node = ValueOwner(*handle);
    if (!node) return kRegNotFound;
    if (node->deleted) return kKeyDeleted;
    for (auto it = node->values.begin(); it != node->values.end(); ++it) {
        if (text::EqualsNoCase(it->name, name)) {
            if (node->readOnly) return kRegAccessDenied;
            node->values.erase(it);
            ++generation_;
            return kRegSuccess;
        }
    }
    return kRegNotFound;
}

int32_t InMemoryRegistry::DeleteKey(RegKey key, const std::string& name) {
    Handle* handle = Find(key);
    if (!handle) return kInvalidHandle;
    std::vector<std::string> parts;
    if (!SplitPath(name, parts) || parts.empty()) return kRegNotFound;
    std::string last = parts.back();
    parts.pop_back();
    std::string parentPath;
    for (const std::string& p : parts) parentPath += (parentPath.empty() ? "" : "\\") + p;

    Handle parent;
    int32_t status = OpenFrom(*handle, parentPath, KEY_QUERY_VALUE_, parent);
    if (status != kRegSuccess) return status;
    // The key itself lives in one node: the per-user one when it exists there.
    Node* owner = nullptr;
    std::shared_ptr<Node> target;
    if (parent.merged) {
        if (parent.user && (target = parent.user->ChildShared(last))) {
            owner = parent.user.get();
        } else if (parent.machine && (target = parent.machine->ChildShared(last))) {
            owner = parent.machine.get();
        }
    } else {
        owner = parent.node.get();
        target = owner->ChildShared(last);
    }
    if (!target) return kRegNotFound;
    if (target->readOnly || !target->children.empty()) return kRegAccessDenied;
    auto it = owner->LowerBound(last);
    target->deleted = true;
    owner->children.erase(it);
    ++generation_;
    return kRegSuccess;
}

bool InMemoryRegistry::CreateKey(RegKey hive, const std::string& path) {
    std::vector<std::string> parts;
    if (!SplitPath(path, parts)) return false;
    Node* node = nullptr;
    if (hive == HKCR) {
        // Per-user classes win where the key already exists there.
        Node* user = Walk(hkcu_, kUserClasses).get();
        bool inUser = user != nullptr;
        for (size_t i = 0; inUser && i < parts.size(); ++i) {
            user = user->Child(parts[i]);
            inUser = user != nullptr;
        }
        if (inUser) return true;
        node = hklm_.get();
        std::vector<std::string> classes;
        SplitPath(kMachineClasses, classes);
        parts.insert(parts.begin(), classes.begin(), classes.end());
    } else {
        node = Root(hive);
    }
    if (!node) return false;
    for (const std::string& part : parts) node = node->AddChild(part);
    ++generation_;
    return true;
}

bool InMemoryRegistry::PutValue(RegKey hive, const std::string& path, const std::string& name,
                                const RegValue& value) {
    if (!CreateKey(hive, path)) return false;
    RegKey key = 0;
    if (OpenKey(hive, path, KEY_QUERY_VALUE_, key) != kRegSuccess) return false;
    Handle* handle = Find(key);
    Node* node = ValueOwner(*handle);
    ++generation_;
    if (Node::Value* existing = node->FindValue(name)) {
        existing->value = value;
    } else {
        node->values.push_back(Node::Value{name, value});
    }
    CloseKey(key);
    return true;
}

bool InMemoryRegistry::SetReadOnly(RegKey hive, const std::string& path, bool readOnly) {
    RegKey key = 0;
    if (OpenKey(hive, path, KEY_QUERY_VALUE_, key) != kRegSuccess) return false;
    Handle* handle = Find(key);
    Node* node = ValueOwner(*handle);
    if (node) node->readOnly = readOnly;
    CloseKey(key);
    return node != nullptr;
}

size_t InMemoryRegistry::KeyCount() const {
    return hklm_->CountBelow() + hkcu_->CountBelow() + hku_->CountBelow() + hkcc_->CountBelow();
}

RegValue RegString(const std::string& textValue, uint32_t type) {
    RegValue v;
    v.type = type;
    v.data = textValue;
    v.data.push_back('\0');
    if (type == REG_MULTI_SZ_) v.data.push_back('\0');
    v.size = Utf16Length(v.data);
    return v;
}

RegValue RegDword(uint32_t number) {
    RegValue v;
    v.type = REG_DWORD_;
    for (int i = 0; i < 4; ++i) v.data.push_back(static_cast<char>((number >> (8 * i)) & 0xFF));
    v.size = 4;
    return v;
}

RegValue RegBinary(const std::string& bytes, uint32_t type) {
    RegValue v;
    v.type = type;
    v.data = bytes;
    v.size = static_cast<uint32_t>(bytes.size());
    return v;
}
