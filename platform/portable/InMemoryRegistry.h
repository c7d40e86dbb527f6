#pragma once
// A registry held in memory, behaving as the Windows one does for the operations of
// the Registry interface:
// - names compared without regard to case and stored with their case; subkeys
//   enumerated in Windows order (sorted by their upper-case form), values in the order
//   they were created;
// - HKEY_CLASSES_ROOT is a view of HKLM\SOFTWARE\Classes merged with
//   HKCU\Software\Classes, the per-user key winning;
// - keys can be marked read-only: a full-access open is refused with 5 while a
//   query-access open succeeds, as for an account without write rights;
// - a handle to a key that was deleted meanwhile fails with 1018 (key deleted).
// It is laid out to hold an offline machine's registry (several hundred thousand keys)
// compactly and to be walked fast: see InMemoryRegistry.cpp.
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "platform/Registry.h"

class InMemoryRegistry : public Registry {
public:
    InMemoryRegistry();
    ~InMemoryRegistry() override;
    InMemoryRegistry(const InMemoryRegistry&) = delete;
    InMemoryRegistry& operator=(const InMemoryRegistry&) = delete;

    struct Node;

    int32_t OpenKey(RegKey parent, const std::string& path, uint32_t access, RegKey& key) override;
    int32_t QueryValue(RegKey key, const std::string& name, uint32_t capacity,
                       RegValue& value) override;
    int32_t EnumKey(RegKey key, uint32_t index, uint32_t nameCapacity, std::string& name) override;
    int32_t EnumValue(RegKey key, uint32_t index, uint32_t nameCapacity, uint32_t dataCapacity,
                      std::string& name, uint32_t& type) override;
    int32_t CloseKey(RegKey key) override;
    int32_t SetValue(RegKey key, const std::string& name, const RegValue& value) override;
    int32_t DeleteValue(RegKey key, const std::string& name) override;
    int32_t DeleteKey(RegKey key, const std::string& name) override;

    // Creates hive\path and the keys above it (RegCreateKeyEx without the handle).
    // Under HKCR the key is created below HKLM\SOFTWARE\Classes unless it exists in
    // the per-user classes. False for an unknown hive or an empty name part.
    bool CreateKey(RegKey hive, const std::string& path);
    // Writes a value exactly as given (the first `size` characters or bytes of its
    // data, no terminator added), creating the key. False as for CreateKey.
    bool PutValue(RegKey hive, const std::string& path, const std::string& name,
                  const RegValue& value);
    // For loading many values: the key PutValue(hive, path, ...) writes to, created as
    // CreateKey creates it, or null where CreateKey fails. A key below or beside the
    // one asked for last is found from there, not from its hive's root. The key stays
    // valid until it is deleted.
    Node* ValueKey(RegKey hive, const std::string& path);
    // PutValue into a key ValueKey gave.
    void PutValue(Node* key, const std::string& name, const RegValue& value);
    // Deletes hive\path with everything below it; false when it does not exist or is
    // a hive itself.
    bool DeleteTree(RegKey hive, const std::string& path);
    // Marks hive\path (which must exist) read-only or writable again.
    bool SetReadOnly(RegKey hive, const std::string& path, bool readOnly);
    // Number of keys below all roots, and of open handles (for tests and benchmarks).
    size_t KeyCount() const;
    size_t OpenHandleCount() const;

private:
    struct Handle;
    Node* Root(RegKey hive) const;
    Handle* Find(RegKey key);
    int32_t OpenFrom(const Handle& from, std::string_view path, uint32_t access, Handle& out);
    bool PathHintFits(const Handle& from, std::string_view path) const;
    void SetPathHint(const Handle& from, std::string_view path, size_t parts, Node* node,
                     Node* user, Node* machine);
    Node* ValueOwner(const Handle& handle) const;
    const std::vector<Node*>& MergedChildren(Handle& handle);
    struct ValueView;
    bool FindValue(const Node* node, std::string_view name, ValueView& found) const;
    bool ValueByIndex(const Node* node, uint32_t index, ValueView& found);
    int32_t Remove(Node* parent, Node* target);
    Node* ParentOf(const Node* target) const;

    Node* hklm_;
    Node* hkcu_;
    Node* hku_;
    Node* hkcc_;
    std::vector<Handle> handles_;        // opened keys: handle value = index + 1
    std::vector<uint32_t> freeHandles_;  // indices of closed slots, reused first
    std::vector<Handle> roots_;          // the predefined keys' pseudo-handles
    // Deleted keys stay allocated, so that handles still naming them fail cleanly.
    std::vector<Node*> deleted_;
    uint64_t generation_ = 0;  // bumped by every change of the key tree
    // The key ValueKey gave last, with the keys above it, while no key was removed.
    uint64_t removals_ = 0;
    struct LastValueKey {
        RegKey hive = 0;
        std::vector<std::string> parts;
        std::vector<Node*> nodes;  // the key of each part
        uint64_t removals = 0;
    } lastValueKey_;
    std::vector<std::string_view> pathParts_;  // scratch of OpenFrom, kept for its capacity
    // The value enumerated last: a key's values are listed in turn, and the value read
    // next is nearly always the one just listed. Valid while no value has changed.
    struct ValueHint {
        const Node* node = nullptr;
        uint32_t index = 0;
        uint32_t offset = 0;
        uint64_t generation = ~uint64_t{0};
    };
    ValueHint valueHint_;
    // Where the parent part of the path opened last led: keys opened by path from one
    // key are mostly siblings of the one opened before (a class's server, icon and
    // handler keys, one after the other). Valid while the key tree is unchanged.
    struct PathHint {
        uint64_t generation = ~uint64_t{0};
        bool merged = false;
        const Node* fromNode = nullptr;
        const Node* fromUser = nullptr;
        const Node* fromMachine = nullptr;
        std::string prefix;  // the parts, as given, without the last one
        size_t parts = 0;
        Node* node = nullptr;
        Node* user = nullptr;
        Node* machine = nullptr;
    };
    PathHint pathHint_;
    uint64_t valuesGeneration_ = 0;  // bumped by every change of a value
};

// Helpers for building values.
RegValue RegString(const std::string& text, uint32_t type = REG_SZ_);
RegValue RegDword(uint32_t number);
RegValue RegBinary(const std::string& bytes, uint32_t type = REG_BINARY_);
// A value from its data as a registry file stores it: text types as UTF-16LE (a last
// odd byte is left out, and no terminator is added), every other type as is.
RegValue RegValueFromBytes(uint32_t type, std::string_view bytes);
// The data of a value as a registry file stores it (text types as UTF-16LE).
std::string RegValueToBytes(const RegValue& value);
// Length of a UTF-8 text in UTF-16 units: how the registry counts the characters.
uint32_t RegTextLength(std::string_view utf8);
