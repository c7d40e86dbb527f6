#include "platform/portable/InMemoryRegistry.h"

#include <algorithm>
#include <string_view>

#include "platform/Text.h"

namespace {

constexpr uint32_t kQueryBit = 0x0001;      // KEY_QUERY_VALUE
constexpr uint32_t kSetBit = 0x0002;        // KEY_SET_VALUE
constexpr uint32_t kEnumerateBit = 0x0008;  // KEY_ENUMERATE_SUB_KEYS
// KEY_SET_VALUE, KEY_CREATE_SUB_KEY, KEY_CREATE_LINK, DELETE, WRITE_DAC, WRITE_OWNER.
constexpr uint32_t kWriteBits = 0x0002 | 0x0004 | 0x0020 | 0x10000 | 0x40000 | 0x80000;
constexpr int32_t kKeyDeleted = 1018;  // ERROR_KEY_DELETED
constexpr int32_t kInvalidHandle = 6;  // ERROR_INVALID_HANDLE

const char kMachineClasses[] = "SOFTWARE\\Classes";
const char kUserClasses[] = "Software\\Classes";

// The names of a key path, as views into it. An empty path has none; a trailing "\"
// is allowed; any other empty name makes the path invalid.
bool SplitPath(std::string_view path, std::vector<std::string_view>& parts) {
    parts.clear();
    size_t start = 0;
    while (start < path.size()) {
        size_t end = path.find('\\', start);
        if (end == std::string_view::npos) end = path.size();
        if (end == start) return false;
        parts.push_back(path.substr(start, end - start));
        start = end + 1;
    }
    return true;
}

// A value exactly as given: the first `size` characters or bytes of its data.
RegValue Exact(const RegValue& given) {
    RegValue stored;
    stored.type = given.type;
    if (!IsStringType(given.type)) {
        stored.data = given.data.substr(0, std::min<size_t>(given.size, given.data.size()));
        stored.size = static_cast<uint32_t>(stored.data.size());
        return stored;
    }
    std::u16string units = text::Utf8ToUtf16(given.data);
    if (units.size() > given.size) units.resize(given.size);
    stored.data = text::Utf16ToUtf8(units);
    stored.size = static_cast<uint32_t>(units.size());
    return stored;
}

// A value as stored: what RegSetValueEx keeps of the data and the count it is given.
RegValue Stored(const RegValue& given) {
    RegValue stored;
    stored.type = given.type;
    if (!IsStringType(given.type)) {
        stored.data = given.data.substr(0, std::min<size_t>(given.size, given.data.size()));
        stored.size = static_cast<uint32_t>(stored.data.size());
        return stored;
    }
    std::u16string units = text::Utf8ToUtf16(given.data);
    size_t count = std::min<size_t>(given.size, units.size());
    // Windows adds the terminator a caller forgot to count.
    if (count > 0 && units[count - 1] != 0 && (count == units.size() || units[count] == 0))
        ++count;
    units.resize(count, u'\0');
    stored.data = text::Utf16ToUtf8(units);
    stored.size = static_cast<uint32_t>(count);
    return stored;
}

}  // namespace

uint32_t RegTextLength(const std::string& utf8) {
    uint32_t n = 0;
    for (unsigned char c : utf8) {
        if ((c & 0xC0) != 0x80) ++n;  // one unit per code point start...
        if ((c & 0xF8) == 0xF0) ++n;  // ...and a second one for a surrogate pair
    }
    return n;
}

struct InMemoryRegistry::Node {
    // Name and data share one string: fewer allocations per value.
    struct Value {
        std::string nameAndData;
        uint32_t nameLength = 0;
        uint32_t type = 0;
        uint32_t size = 0;

        std::string_view Name() const { return std::string_view(nameAndData).substr(0, nameLength); }
        std::string_view Data() const { return std::string_view(nameAndData).substr(nameLength); }
        void Assign(std::string_view name, const RegValue& value) {
            nameAndData.assign(name);
            nameAndData += value.data;
            nameLength = static_cast<uint32_t>(name.size());
            type = value.type;
            size = value.size;
        }
    };

    std::string name;
    std::vector<std::unique_ptr<Node>> children;  // sorted as Windows enumerates them
    std::vector<Value> values;                    // in creation order
    bool readOnly = false;
    bool deleted = false;

    // Position of the first child not ordered before `childName`.
    std::vector<std::unique_ptr<Node>>::iterator LowerBound(std::string_view childName) {
        return std::lower_bound(children.begin(), children.end(), childName,
                                [](const std::unique_ptr<Node>& child, std::string_view n) {
                                    return text::CompareNoCase(child->name, n) < 0;
                                });
    }
    Node* Child(std::string_view childName) {
        auto it = LowerBound(childName);
        return it != children.end() && text::CompareNoCase((*it)->name, childName) == 0
                   ? it->get()
                   : nullptr;
    }
    Node* AddChild(std::string_view childName) {
        // Loading sorted data appends: try the end first.
        auto it = children.end();
        if (!children.empty() && text::CompareNoCase(children.back()->name, childName) >= 0) {
            it = LowerBound(childName);
            if (it != children.end() && text::CompareNoCase((*it)->name, childName) == 0)
                return it->get();
        }
        auto node = std::make_unique<Node>();
        node->name.assign(childName);
        return children.insert(it, std::move(node))->get();
    }
    Value* FindValue(std::string_view valueName) {
        for (Value& v : values)
            if (text::EqualsNoCase(v.Name(), valueName)) return &v;
        return nullptr;
    }
    void Put(std::string_view valueName, const RegValue& stored) {
        if (Value* existing = FindValue(valueName)) {
            std::string keptName(existing->Name());  // the first spelling stays
            existing->Assign(keptName, stored);
        } else {
            values.emplace_back();
            values.back().Assign(valueName, stored);
        }
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
    Node* node = nullptr;  // when not merged
    Node* user = nullptr;
    Node* machine = nullptr;
    uint32_t access = 0;
    bool merged = false;
    bool inUse = false;
    bool classesRoot = false;  // the HKCR pseudo-handle: its nodes follow the tree
    uint64_t nodesGeneration = ~uint64_t{0};
    std::vector<Node*> mergedChildren;  // the union of both nodes' subkeys, in order
    uint64_t mergedGeneration = ~uint64_t{0};
};

namespace {
size_t RootIndex(RegKey hive) {
    switch (hive) {
        case HKCR: return 0;
        case HKCU: return 1;
        case HKLM: return 2;
        case HKU: return 3;
        case HKCC: return 4;
        default: return SIZE_MAX;
    }
}

InMemoryRegistry::Node* Walk(InMemoryRegistry::Node* from, std::string_view path) {
    std::vector<std::string_view> parts;
    if (!SplitPath(path, parts)) return nullptr;
    for (std::string_view part : parts) {
        if (!from) return nullptr;
        from = from->Child(part);
    }
    return from;
}
}  // namespace

InMemoryRegistry::InMemoryRegistry()
    : hklm_(std::make_unique<Node>()),
      hkcu_(std::make_unique<Node>()),
      hku_(std::make_unique<Node>()),
      hkcc_(std::make_unique<Node>()),
      roots_(5) {
    Node* nodes[] = {nullptr, hkcu_.get(), hklm_.get(), hku_.get(), hkcc_.get()};
    for (size_t i = 0; i < roots_.size(); ++i) {
        roots_[i].access = KEY_ALL_ACCESS_;
        roots_[i].node = nodes[i];
        roots_[i].inUse = true;
    }
    roots_[0].merged = true;
    roots_[0].classesRoot = true;
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

InMemoryRegistry::Handle* InMemoryRegistry::Find(RegKey key) {
    if (key < 0x80000000u) {
        if (key == 0 || key > handles_.size() || !handles_[key - 1].inUse) return nullptr;
        return &handles_[key - 1];
    }
    size_t index = RootIndex(key);
    if (index == SIZE_MAX) return nullptr;
    Handle& handle = roots_[index];
    if (handle.classesRoot && handle.nodesGeneration != generation_) {
        // The classes keys may have been created or deleted meanwhile.
        handle.user = Walk(hkcu_.get(), kUserClasses);
        handle.machine = Walk(hklm_.get(), kMachineClasses);
        handle.nodesGeneration = generation_;
    }
    return &handle;
}

int32_t InMemoryRegistry::OpenFrom(const Handle& from, const std::string& path, uint32_t access,
                                   Handle& out) {
    std::vector<std::string_view>& parts = pathParts_;
    if (!SplitPath(path, parts)) return kRegNotFound;
    out.access = access;
    out.mergedGeneration = ~uint64_t{0};
    if (from.merged) {
        Node* user = from.user;
        Node* machine = from.machine;
        if ((user && user->deleted) || (machine && machine->deleted)) return kKeyDeleted;
        for (std::string_view part : parts) {
            user = user ? user->Child(part) : nullptr;
            machine = machine ? machine->Child(part) : nullptr;
            if (!user && !machine) return kRegNotFound;
        }
        if (!user && !machine) return kRegNotFound;
        Node* owner = user ? user : machine;
        if ((access & kWriteBits) && owner->readOnly) return kRegAccessDenied;
        out.merged = true;
        out.node = nullptr;
        out.user = user;
        out.machine = machine;
        return kRegSuccess;
    }
    Node* node = from.node;
    if (!node || node->deleted) return kKeyDeleted;
    for (std::string_view part : parts) {
        node = node->Child(part);
        if (!node) return kRegNotFound;
    }
    if ((access & kWriteBits) && node->readOnly) return kRegAccessDenied;
    out.merged = false;
    out.node = node;
    out.user = out.machine = nullptr;
    return kRegSuccess;
}

int32_t InMemoryRegistry::OpenKey(RegKey parent, const std::string& path, uint32_t access,
                                  RegKey& key) {
    Handle* from = Find(parent);
    if (!from) return kInvalidHandle;
    Handle opened;
    int32_t status = OpenFrom(*from, path, access, opened);
    if (status != kRegSuccess) return status;
    uint32_t index;
    if (!freeHandles_.empty()) {
        index = freeHandles_.back();
        freeHandles_.pop_back();
    } else {
        if (handles_.size() >= 0x7FFFFFFEu) return 1450;  // ERROR_NO_SYSTEM_RESOURCES
        index = static_cast<uint32_t>(handles_.size());
        handles_.emplace_back();
    }
    Handle& slot = handles_[index];
    std::vector<Node*> keep = std::move(slot.mergedChildren);  // reuse its capacity
    slot = std::move(opened);
    slot.mergedChildren = std::move(keep);
    slot.mergedChildren.clear();
    slot.inUse = true;
    key = index + 1;
    return kRegSuccess;
}

InMemoryRegistry::Node* InMemoryRegistry::ValueOwner(const Handle& handle) const {
    if (!handle.merged) return handle.node;
    return handle.user ? handle.user : handle.machine;
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
    value.type = found->type;
    value.size = found->size;
    if (found->size > capacity) {
        value.data.clear();
        return kRegMoreData;
    }
    value.data.assign(found->Data());
    return kRegSuccess;
}

const std::vector<InMemoryRegistry::Node*>& InMemoryRegistry::MergedChildren(Handle& handle) {
    if (handle.mergedGeneration == generation_) return handle.mergedChildren;
    handle.mergedChildren.clear();
    static const std::vector<std::unique_ptr<Node>> none;
    const auto& a = handle.user ? handle.user->children : none;
    const auto& b = handle.machine ? handle.machine->children : none;
    size_t i = 0, j = 0;
    while (i < a.size() || j < b.size()) {
        int order = i == a.size()   ? 1
                    : j == b.size() ? -1
                                    : text::CompareNoCase(a[i]->name, b[j]->name);
        if (order <= 0) {
            handle.mergedChildren.push_back(a[i++].get());
            if (order == 0) ++j;
        } else {
            handle.mergedChildren.push_back(b[j++].get());
        }
    }
    handle.mergedGeneration = generation_;
    return handle.mergedChildren;
}

int32_t InMemoryRegistry::EnumKey(RegKey key, uint32_t index, uint32_t nameCapacity,
                                  std::string& name) {
    Handle* handle = Find(key);
    if (!handle) return kInvalidHandle;
    if (!(handle->access & kEnumerateBit)) return kRegAccessDenied;
    const Node* found = nullptr;
    if (handle->merged) {
        if ((handle->user && handle->user->deleted) || (handle->machine && handle->machine->deleted))
            return kKeyDeleted;
        const auto& children = MergedChildren(*handle);
        if (index >= children.size()) return kRegNoMoreItems;
        found = children[index];
    } else {
        if (handle->node->deleted) return kKeyDeleted;
        if (index >= handle->node->children.size()) return kRegNoMoreItems;
        found = handle->node->children[index].get();
    }
    if (RegTextLength(found->name) + 1 > nameCapacity) return kRegMoreData;
    name = found->name;
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
    if (RegTextLength(std::string(v.Name())) + 1 > nameCapacity || v.size > dataCapacity)
        return kRegMoreData;
    name.assign(v.Name());
    type = v.type;
    return kRegSuccess;
}

int32_t InMemoryRegistry::CloseKey(RegKey key) {
    if (key >= 0x80000000u) return kRegSuccess;
    if (key == 0 || key > handles_.size() || !handles_[key - 1].inUse) return kInvalidHandle;
    handles_[key - 1].inUse = false;
    freeHandles_.push_back(key - 1);
    return kRegSuccess;
}

size_t InMemoryRegistry::OpenHandleCount() const { return handles_.size() - freeHandles_.size(); }

int32_t InMemoryRegistry::SetValue(RegKey key, const std::string& name, const RegValue& value) {
    Handle* handle = Find(key);
    if (!handle) return kInvalidHandle;
    if (!(handle->access & kSetBit)) return kRegAccessDenied;
    Node* node = ValueOwner(*handle);
    if (!node) return kRegNotFound;
    if (node->deleted) return kKeyDeleted;
    if (node->readOnly) return kRegAccessDenied;
    node->Put(name, Stored(value));
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
        if (text::EqualsNoCase(it->Name(), name)) {
            if (node->readOnly) return kRegAccessDenied;
            node->values.erase(it);
            return kRegSuccess;
        }
    }
    return kRegNotFound;
}

InMemoryRegistry::Node* InMemoryRegistry::ParentOf(const Node* target) const {
    std::vector<Node*> pending = {hklm_.get(), hkcu_.get(), hku_.get(), hkcc_.get()};
    while (!pending.empty()) {
        Node* node = pending.back();
        pending.pop_back();
        for (const auto& child : node->children) {
            if (child.get() == target) return node;
            pending.push_back(child.get());
        }
    }
    return nullptr;
}

// Unlinks a key without subkeys from its parent; it stays allocated for open handles.
int32_t InMemoryRegistry::Remove(Node* parent, Node* target) {
    if (!parent) return kRegAccessDenied;  // a hive's root
    if (target->readOnly || !target->children.empty()) return kRegAccessDenied;
    auto it = std::find_if(parent->children.begin(), parent->children.end(),
                           [target](const std::unique_ptr<Node>& c) { return c.get() == target; });
    if (it == parent->children.end()) return kRegNotFound;
    target->deleted = true;
    deleted_.push_back(std::move(*it));
    parent->children.erase(it);
    ++generation_;
    return kRegSuccess;
}

int32_t InMemoryRegistry::DeleteKey(RegKey key, const std::string& name) {
    Handle* handle = Find(key);
    if (!handle) return kInvalidHandle;
    std::vector<std::string_view> parts;
    if (!SplitPath(name, parts)) return kRegNotFound;
    if (parts.empty()) {
        // The open key itself.
        Node* self = ValueOwner(*handle);
        if (!self) return kRegNotFound;
        if (self->deleted) return kKeyDeleted;
        return Remove(ParentOf(self), self);
    }
    std::string_view last = parts.back();
    std::string parentPath(name.substr(0, static_cast<size_t>(last.data() - name.data())));

    Handle parent;
    int32_t status = OpenFrom(*handle, parentPath, KEY_QUERY_VALUE_, parent);
    if (status != kRegSuccess) return status;
    // The key itself lives in one node: the per-user one when it exists there.
    Node* owner = parent.merged ? parent.user : parent.node;
    Node* target = owner ? owner->Child(last) : nullptr;
    if (!target && parent.merged && parent.machine) {
        owner = parent.machine;
        target = owner->Child(last);
    }
    if (!target) return kRegNotFound;
    return Remove(owner, target);
}

bool InMemoryRegistry::CreateKey(RegKey hive, const std::string& path) {
    std::vector<std::string_view> parts;
    if (!SplitPath(path, parts)) return false;
    Node* node = Root(hive);
    if (hive == HKCR) {
        // Per-user classes win where the key already exists there.
        Node* userClasses = Walk(hkcu_.get(), kUserClasses);
        if (userClasses && Walk(userClasses, path)) return true;
        node = hklm_.get();
        std::vector<std::string_view> classes;
        SplitPath(kMachineClasses, classes);
        parts.insert(parts.begin(), classes.begin(), classes.end());
    }
    if (!node) return false;
    for (std::string_view part : parts) node = node->AddChild(part);
    ++generation_;
    return true;
}

bool InMemoryRegistry::PutValue(RegKey hive, const std::string& path, const std::string& name,
                                const RegValue& value) {
    if (!CreateKey(hive, path)) return false;
    Handle* root = Find(hive);
    Handle opened;
    if (!root || OpenFrom(*root, path, KEY_QUERY_VALUE_, opened) != kRegSuccess) return false;
    Node* node = ValueOwner(opened);
    if (!node) return false;
    node->Put(name, Exact(value));
    return true;
}

bool InMemoryRegistry::DeleteTree(RegKey hive, const std::string& path) {
    Handle* root = Find(hive);
    Handle opened;
    if (!root || OpenFrom(*root, path, KEY_QUERY_VALUE_, opened) != kRegSuccess) return false;
    Node* top = ValueOwner(opened);
    Node* parent = top ? ParentOf(top) : nullptr;
    if (!parent) return false;
    // Children first, deepest first, so that every removal sees a key without subkeys.
    std::vector<std::pair<Node*, Node*>> order = {{parent, top}};
    for (size_t i = 0; i < order.size(); ++i)
        for (const auto& child : order[i].second->children) order.push_back({order[i].second, child.get()});
    for (auto it = order.rbegin(); it != order.rend(); ++it) {
        it->second->readOnly = false;
        Remove(it->first, it->second);
    }
    return true;
}

bool InMemoryRegistry::SetReadOnly(RegKey hive, const std::string& path, bool readOnly) {
    Handle* root = Find(hive);
    Handle opened;
    if (!root || OpenFrom(*root, path, KEY_QUERY_VALUE_, opened) != kRegSuccess) return false;
    Node* node = ValueOwner(opened);
    if (node) node->readOnly = readOnly;
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
    v.size = RegTextLength(v.data);
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
