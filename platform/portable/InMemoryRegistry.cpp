#include "platform/portable/InMemoryRegistry.h"

#include <algorithm>
#include <cstring>
#include <new>

#include "platform/Text.h"
#include "platform/portable/InMemoryRegistryParts.h"
#include "platform/portable/RegistryViews.h"

using namespace inmemory;

namespace {

constexpr uint32_t kQueryBit = 0x0001;      // KEY_QUERY_VALUE
constexpr uint32_t kSetBit = 0x0002;        // KEY_SET_VALUE
constexpr uint32_t kEnumerateBit = 0x0008;  // KEY_ENUMERATE_SUB_KEYS
// KEY_SET_VALUE, KEY_CREATE_SUB_KEY, KEY_CREATE_LINK, DELETE, WRITE_DAC, WRITE_OWNER.
constexpr uint32_t kWriteBits = 0x0002 | 0x0004 | 0x0020 | 0x10000 | 0x40000 | 0x80000;
constexpr int32_t kInvalidHandle = 6;     // ERROR_INVALID_HANDLE
constexpr int32_t kKeyDeleted = 1018;     // ERROR_KEY_DELETED
constexpr int32_t kNoResources = 1450;    // ERROR_NO_SYSTEM_RESOURCES

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

}  // namespace

namespace inmemory {

extern const char kMachineClasses[] = "SOFTWARE\\Classes";
extern const char kUserClasses[] = "Software\\Classes";

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

std::string StoredPath(RegKey hive, const std::string& path) {
    std::string canonical;
    return regview::ThroughClassesLink(hive, path, canonical) ? canonical : path;
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

}  // namespace inmemory

InMemoryRegistry::InMemoryRegistry()
    : hklm_(Node::Make("")),
      hkcu_(Node::Make("")),
      hku_(Node::Make("")),
      hkcc_(Node::Make("")),
      roots_(5) {
    Node* nodes[] = {nullptr, hkcu_, hklm_, hku_, hkcc_};
    for (size_t i = 0; i < roots_.size(); ++i) {
        roots_[i].access = KEY_ALL_ACCESS_;
        roots_[i].node = nodes[i];
        roots_[i].inUse = true;
    }
    roots_[0].merged = true;
    roots_[0].classesRoot = true;
}

InMemoryRegistry::~InMemoryRegistry() {
    for (Node* root : {hklm_, hkcu_, hku_, hkcc_}) Node::Destroy(root);
    for (Node* node : deleted_) Node::Destroy(node);
}

InMemoryRegistry::Node* InMemoryRegistry::Root(RegKey hive) const {
    switch (hive) {
        case HKLM: return hklm_;
        case HKCU: return hkcu_;
        case HKU: return hku_;
        case HKCC: return hkcc_;
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
        handle.user = Walk(hkcu_, kUserClasses);
        handle.machine = Walk(hklm_, kMachineClasses);
        handle.nodesGeneration = generation_;
    }
    return &handle;
}

int32_t InMemoryRegistry::OpenFrom(const Handle& from, std::string_view path, uint32_t access,
                                   Handle& out) {
    std::vector<std::string_view>& parts = pathParts_;
    if (path.find('\\') == std::string_view::npos) {
        parts.clear();
        if (!path.empty()) parts.push_back(path);
    } else if (!SplitPath(path, parts)) {
        return kRegNotFound;
    }
    out.access = access;
    out.enumHint = kNoHint;
    out.classesRoot = false;
    out.nodesGeneration = ~uint64_t{0};
    out.mergedGeneration = ~uint64_t{0};

    // Where the parts before the last one lead, for the hint of the next open.
    const bool hintable = parts.size() >= 2;
    const size_t parentParts = hintable ? parts.size() - 1 : 0;
    size_t first = 0;
    Node* user = from.merged ? from.user : nullptr;
    Node* machine = from.merged ? from.machine : nullptr;
    Node* node = from.merged ? nullptr : from.node;
    if (from.merged) {
        if ((user && user->deleted) || (machine && machine->deleted)) return kKeyDeleted;
    } else if (!node || node->deleted) {
        return kKeyDeleted;
    }
    if (PathHintFits(from, path)) {
        first = pathHint_.parts;
        user = pathHint_.user;
        machine = pathHint_.machine;
        node = pathHint_.node;
    }

    if (from.merged) {
        for (size_t i = first; i < parts.size(); ++i) {
            if (hintable && i == parentParts)
                SetPathHint(from, path, parentParts, nullptr, user, machine);
            user = user ? user->Child(parts[i]) : nullptr;
            machine = machine ? machine->Child(parts[i]) : nullptr;
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
    if (parts.size() == 1 && from.enumHint < node->childCount &&
        node->children[from.enumHint]->Name() == parts[0]) {
        node = node->children[from.enumHint];  // the subkey just enumerated
    } else {
        for (size_t i = first; i < parts.size(); ++i) {
            if (hintable && i == parentParts)
                SetPathHint(from, path, parentParts, node, nullptr, nullptr);
            node = node->Child(parts[i]);
            if (!node) return kRegNotFound;
        }
    }
    if ((access & kWriteBits) && node->readOnly) return kRegAccessDenied;
    out.merged = false;
    out.node = node;
    out.user = out.machine = nullptr;
    return kRegSuccess;
}

bool InMemoryRegistry::PathHintFits(const Handle& from, std::string_view path) const {
    const PathHint& h = pathHint_;
    return h.generation == generation_ && h.merged == from.merged &&
           (from.merged ? (h.fromUser == from.user && h.fromMachine == from.machine)
                        : h.fromNode == from.node) &&
           path.size() > h.prefix.size() && path[h.prefix.size()] == '\\' &&
           path.compare(0, h.prefix.size(), h.prefix) == 0;
}

void InMemoryRegistry::SetPathHint(const Handle& from, std::string_view path, size_t parts,
                                   Node* node, Node* user, Node* machine) {
    PathHint& h = pathHint_;
    h.generation = generation_;
    h.merged = from.merged;
    h.fromNode = from.node;
    h.fromUser = from.user;
    h.fromMachine = from.machine;
    // The parts are views into `path`: the prefix ends where the last part begins.
    h.prefix.assign(path.data(), static_cast<size_t>(pathParts_[parts].data() - path.data()) - 1);
    h.parts = parts;
    h.node = node;
    h.user = user;
    h.machine = machine;
}

int32_t InMemoryRegistry::OpenKey(RegKey parent, const std::string& path, uint32_t access,
                                  RegKey& key) {
    // A free slot first: growing the table may move the parent's handle.
    if (freeHandles_.empty()) {
        if (handles_.size() >= 0x7FFFFFFEu) return kNoResources;
        handles_.emplace_back();
        freeHandles_.push_back(static_cast<uint32_t>(handles_.size() - 1));
    }
    Handle* from = Find(parent);
    if (!from) return kInvalidHandle;
    std::string_view where = path;
    std::string mapped;
    if (parent >= 0x80000000u) {
        if (access & KEY_WOW64_32KEY_) {
            mapped = regview::ThirtyTwoBitPath(parent, path);
            where = mapped;
        }
        std::string canonical;
        if (regview::ThroughClassesLink(parent, where, canonical)) {
            mapped = std::move(canonical);
            where = mapped;
        }
    }
    uint32_t index = freeHandles_.back();
    Handle& slot = handles_[index];
    int32_t status = OpenFrom(*from, where, access & ~KEY_WOW64_32KEY_, slot);
    if (status != kRegSuccess) return status;
    freeHandles_.pop_back();
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
    ValueView found;
    if (!FindValue(node, name, found)) return kRegNotFound;
    value.type = found.type;
    value.size = found.size;
    if (found.size > capacity) {
        value.data.clear();
        return kRegMoreData;
    }
    value.data.assign(found.Data());
    return kRegSuccess;
}

const std::vector<InMemoryRegistry::Node*>& InMemoryRegistry::MergedChildren(Handle& handle) {
    if (handle.mergedGeneration == generation_) return handle.mergedChildren;
    handle.mergedChildren.clear();
    const Node* a = handle.user;
    const Node* b = handle.machine;
    uint32_t na = a ? a->childCount : 0, nb = b ? b->childCount : 0;
    uint32_t i = 0, j = 0;
    while (i < na || j < nb) {
        int order = i == na   ? 1
                    : j == nb ? -1
                              : text::CompareNoCase(a->children[i]->Name(), b->children[j]->Name());
        if (order <= 0) {
            handle.mergedChildren.push_back(a->children[i++]);
            if (order == 0) ++j;
        } else {
            handle.mergedChildren.push_back(b->children[j++]);
        }
    }
    handle.mergedGeneration = generation_;
    return handle.mergedChildren;
}

bool InMemoryRegistry::FindValue(const Node* node, std::string_view name, ValueView& found) const {
    // Names are unique within a key: the hinted value, when it has the name, is the one.
    if (valueHint_.node == node && valueHint_.generation == valuesGeneration_) {
        static_cast<Node::ValueView&>(found) = node->ValueAt(valueHint_.offset);
        if (text::EqualsNoCase(found.Name(), name)) return true;
    }
    return node->FindValue(name, found);
}

bool InMemoryRegistry::ValueByIndex(const Node* node, uint32_t index, ValueView& found) {
    if (index >= node->valueCount) return false;
    uint32_t i = 0, at = 0;
    if (valueHint_.node == node && valueHint_.generation == valuesGeneration_ &&
        valueHint_.index <= index) {
        i = valueHint_.index;
        at = valueHint_.offset;
    }
    for (;; ++i) {
        static_cast<Node::ValueView&>(found) = node->ValueAt(at);
        if (i == index) break;
        at = found.next;
    }
    valueHint_ = ValueHint{node, index, found.offset, valuesGeneration_};
    return true;
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
        if (index >= handle->node->childCount) return kRegNoMoreItems;
        found = handle->node->children[index];
        handle->enumHint = index;
    }
    if (RegTextLength(found->Name()) + 1 > nameCapacity) return kRegMoreData;
    name.assign(found->Name());
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
    ValueView found;
    if (!ValueByIndex(node, index, found)) return kRegNoMoreItems;
    if (RegTextLength(found.Name()) + 1 > nameCapacity || found.size > dataCapacity)
        return kRegMoreData;
    name.assign(found.Name());
    type = found.type;
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
    node->PutValue(name, StoredValue(value));
    ++valuesGeneration_;
    return kRegSuccess;
}

int32_t InMemoryRegistry::DeleteValue(RegKey key, const std::string& name) {
    Handle* handle = Find(key);
    if (!handle) return kInvalidHandle;
    if (!(handle->access & kSetBit)) return kRegAccessDenied;
    Node* node = ValueOwner(*handle);
    if (!node) return kRegNotFound;
    if (node->deleted) return kKeyDeleted;
    Node::ValueView found;
    if (!node->FindValue(name, found)) return kRegNotFound;
    if (node->readOnly) return kRegAccessDenied;
    node->EraseValue(name);
    ++valuesGeneration_;
    return kRegSuccess;
}

InMemoryRegistry::Node* InMemoryRegistry::ParentOf(const Node* target) const {
    std::vector<Node*> pending = {hklm_, hkcu_, hku_, hkcc_};
    while (!pending.empty()) {
        Node* node = pending.back();
        pending.pop_back();
        for (uint32_t i = 0; i < node->childCount; ++i) {
            if (node->children[i] == target) return node;
            pending.push_back(node->children[i]);
        }
    }
    return nullptr;
}

// Unlinks a key without subkeys from its parent; it stays allocated for open handles.
int32_t InMemoryRegistry::Remove(Node* parent, Node* target) {
    if (!parent) return kRegAccessDenied;  // a hive's root
    if (target->readOnly || target->childCount > 0) return kRegAccessDenied;
    if (!parent->Unlink(target)) return kRegNotFound;
    target->deleted = true;
    deleted_.push_back(target);
    ++generation_;
    ++removals_;
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
    std::string_view parentPath =
        std::string_view(name).substr(0, static_cast<size_t>(last.data() - name.data()));

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
