#pragma once
// What the in-memory registry's source files share: its handles, the way it splits
// and stores key paths, and where the classes live. Only InMemoryRegistry*.cpp include it.
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "platform/portable/InMemoryRegistry.h"
#include "platform/portable/RegistryNode.h"

namespace inmemory {

constexpr uint32_t kNoHint = 0xFFFFFFFFu;

extern const char kMachineClasses[];
extern const char kUserClasses[];

// The names of a key path, as views into it. An empty path has none; a trailing "\"
// is allowed; any other empty name makes the path invalid.
bool SplitPath(std::string_view path, std::vector<std::string_view>& parts);
// The path a key has in the store: through the link to the 32-bit classes, the link's
// target.
std::string StoredPath(RegKey hive, const std::string& path);
// The node below `from` at `path`; null when there is none.
InMemoryRegistry::Node* Walk(InMemoryRegistry::Node* from, std::string_view path);

}  // namespace inmemory

// A value as the registry's own lookups hand it on (the key's view of it).
struct InMemoryRegistry::ValueView : Node::ValueView {};

// An open key: one node, or for HKEY_CLASSES_ROOT the per-user and the machine node of
// the same classes path (either may be missing).
struct InMemoryRegistry::Handle {
    Node* node = nullptr;  // when not merged
    Node* user = nullptr;
    Node* machine = nullptr;
    uint32_t access = 0;
    uint32_t enumHint = inmemory::kNoHint;  // the subkey enumerated last
    bool merged = false;
    bool inUse = false;
    bool classesRoot = false;  // the HKCR pseudo-handle: its nodes follow the tree
    uint64_t nodesGeneration = ~uint64_t{0};
    std::vector<Node*> mergedChildren;  // the union of both nodes' subkeys, in order
    uint64_t mergedGeneration = ~uint64_t{0};
};

