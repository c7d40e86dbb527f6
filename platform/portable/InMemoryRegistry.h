#pragma once
// A registry held in memory, behaving as the Windows one does for the operations of
// the Registry interface:
// - names compared without regard to case and stored with their case; subkeys
//   enumerated in Windows order (sorted without regard to case), values in the order
//   they were created;
// - HKEY_CLASSES_ROOT is a view of HKLM\SOFTWARE\Classes merged with
//   HKCU\Software\Classes, the per-user key winning;
// - keys can be marked read-only: a full-access open is refused with 5 while a
//   query-access open succeeds, as for an account without write rights.
#include <memory>
#include <string>
#include <unordered_map>
#include <vector>

#include "platform/Registry.h"

class InMemoryRegistry : public Registry {
public:
    InMemoryRegistry();
    ~InMemoryRegistry() override;

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
    // Writes a value, creating the key. False as for CreateKey.
    bool PutValue(RegKey hive, const std::string& path, const std::string& name,
                  const RegValue& value);
    // Marks hive\path (which must exist) read-only or writable again.
    bool SetReadOnly(RegKey hive, const std::string& path, bool readOnly);
    // Number of keys below all roots, and of open handles (for tests and benchmarks).
    size_t KeyCount() const;
    size_t OpenHandleCount() const { return handles_.size(); }

    struct Node;

private:
    struct Handle;
    Node* Root(RegKey hive) const;
    Handle* Find(RegKey key);
    int32_t OpenFrom(const Handle& from, const std::string& path, uint32_t access, Handle& out);
    Node* ValueOwner(const Handle& handle) const;
    const std::vector<std::string>& MergedSubkeys(Handle& handle);

    std::shared_ptr<Node> hklm_, hkcu_, hku_, hkcc_;
    std::unordered_map<RegKey, std::unique_ptr<Handle>> handles_;
    std::unordered_map<RegKey, std::unique_ptr<Handle>> roots_;
    RegKey nextHandle_ = 1;
    uint64_t generation_ = 0;  // bumped by every write, so cached views are rebuilt
};

// Helpers for building values.
RegValue RegString(const std::string& text, uint32_t type = REG_SZ_);
RegValue RegDword(uint32_t number);
RegValue RegBinary(const std::string& bytes, uint32_t type = REG_BINARY_);
