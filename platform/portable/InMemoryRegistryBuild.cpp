// The in-memory registry's calls that build an image: keys and values created and
// written as given, trees deleted, keys made read-only.
#include <utility>
#include <vector>

#include "platform/portable/InMemoryRegistryParts.h"
#include "platform/portable/RegistryViews.h"

using namespace inmemory;

bool InMemoryRegistry::CreateKey(RegKey hive, const std::string& givenPath) {
    const std::string path = StoredPath(hive, givenPath);
    std::vector<std::string_view> parts;
    if (!SplitPath(path, parts) || parts.size() > regview::kMaxKeyDepth) return false;
    Node* node = Root(hive);
    if (hive == HKCR) {
        // Per-user classes win where the key already exists there.
        Node* userClasses = Walk(hkcu_, kUserClasses);
        if (userClasses && Walk(userClasses, path)) return true;
        node = hklm_;
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
    if (!root || OpenFrom(*root, StoredPath(hive, path), KEY_QUERY_VALUE_, opened) != kRegSuccess)
        return false;
    Node* node = ValueOwner(opened);
    if (!node) return false;
    node->PutValue(name, ExactValue(value));
    ++valuesGeneration_;
    return true;
}

InMemoryRegistry::Node* InMemoryRegistry::ValueKey(RegKey hive, const std::string& path) {
    LastValueKey& last = lastValueKey_;
    std::vector<std::string_view> parts;
    Node* root = hive == HKCR ? nullptr : Root(hive);
    if (!root || StoredPath(hive, path) != path || !SplitPath(path, parts) ||
        parts.size() > regview::kMaxKeyDepth) {
        // The way PutValue goes.
        last.nodes.clear();
        if (!CreateKey(hive, path)) return nullptr;
        Handle* from = Find(hive);
        Handle opened;
        if (!from || OpenFrom(*from, StoredPath(hive, path), KEY_QUERY_VALUE_, opened) != kRegSuccess)
            return nullptr;
        return ValueOwner(opened);
    }
    // The parts it shares with the key asked for last lead to the same keys.
    size_t same = 0;
    if (last.hive == hive && last.removals == removals_)
        while (same < parts.size() && same < last.nodes.size() && parts[same] == last.parts[same])
            ++same;
    last.parts.resize(same);
    last.nodes.resize(same);
    last.hive = hive;
    last.removals = removals_;
    Node* node = same ? last.nodes.back() : root;
    for (size_t i = same; i < parts.size(); ++i) {
        node = node->AddChild(parts[i]);
        last.parts.emplace_back(parts[i]);
        last.nodes.push_back(node);
    }
    ++generation_;
    return node;
}

void InMemoryRegistry::PutValue(Node* key, const std::string& name, const RegValue& value) {
    key->PutValue(name, ExactValue(value));
    ++valuesGeneration_;
}

bool InMemoryRegistry::DeleteTree(RegKey hive, const std::string& path) {
    Handle* root = Find(hive);
    Handle opened;
    if (!root || OpenFrom(*root, StoredPath(hive, path), KEY_QUERY_VALUE_, opened) != kRegSuccess)
        return false;
    Node* top = ValueOwner(opened);
    Node* parent = top ? ParentOf(top) : nullptr;
    if (!parent) return false;
    // Parents before children in `order`; removed from its end, deepest first.
    std::vector<std::pair<Node*, Node*>> order = {{parent, top}};
    for (size_t i = 0; i < order.size(); ++i) {
        Node* node = order[i].second;
        for (uint32_t c = 0; c < node->childCount; ++c) order.push_back({node, node->children[c]});
    }
    for (auto it = order.rbegin(); it != order.rend(); ++it) {
        it->second->readOnly = false;
        Remove(it->first, it->second);
    }
    return true;
}

bool InMemoryRegistry::SetReadOnly(RegKey hive, const std::string& path, bool readOnly) {
    Handle* root = Find(hive);
    Handle opened;
    if (!root || OpenFrom(*root, StoredPath(hive, path), KEY_QUERY_VALUE_, opened) != kRegSuccess)
        return false;
    Node* node = ValueOwner(opened);
    if (node) node->readOnly = readOnly;
    return node != nullptr;
}

size_t InMemoryRegistry::KeyCount() const {
    return hklm_->CountBelow() + hkcu_->CountBelow() + hku_->CountBelow() + hkcc_->CountBelow();
}
