#pragma once
// The storage of one key of the in-memory registry, and the forms values are kept in.
// Private to the in-memory registry.
#include <algorithm>
#include <cstring>
#include <new>
#include <string>
#include <string_view>

#include "platform/Text.h"
#include "platform/portable/InMemoryRegistry.h"

// Layout, chosen for offline images of several hundred thousand keys:
// - a key is one allocation: its fixed fields, then the bytes of its name;
// - its subkeys are an array of pointers, sorted as Windows enumerates them;
// - its values are packed one after another into one byte buffer, each as a 16-byte
//   header (type, size, name length, data length), then the name, then the data.
// A key with its values thus costs two allocations, plus its slot in its parent's array.
// Handles live in a table and are reused; each remembers the subkey it enumerated
// last, because the key opened next is nearly always that one.

inline void CopyKeyBytes(char* to, const char* from, size_t count) {
    if (count > 0) std::memcpy(to, from, count);
}

// A value exactly as given: the first `size` characters or bytes of its data.
RegValue ExactValue(const RegValue& given);
// A value as stored: what RegSetValueEx keeps of the data and the count it is given.
RegValue StoredValue(const RegValue& given);

struct InMemoryRegistry::Node {
    Node** children = nullptr;  // sorted as Windows enumerates them
    char* values = nullptr;     // packed, in creation order
    uint32_t childCount = 0;
    uint32_t childCapacity = 0;
    uint32_t valueBytes = 0;
    uint32_t valueCount = 0;
    uint32_t nameLength = 0;
    bool readOnly = false;
    bool deleted = false;
    // The name's bytes follow in the same allocation.

    std::string_view Name() const {
        return std::string_view(reinterpret_cast<const char*>(this + 1), nameLength);
    }

    static Node* Make(std::string_view name) {
        void* memory = ::operator new(sizeof(Node) + name.size());
        Node* node = new (memory) Node();
        node->nameLength = static_cast<uint32_t>(name.size());
        CopyKeyBytes(reinterpret_cast<char*>(node + 1), name.data(), name.size());
        return node;
    }
    // Frees a key and everything below it.
    static void Destroy(Node* node) {
        for (uint32_t i = 0; i < node->childCount; ++i) Destroy(node->children[i]);
        delete[] node->children;
        delete[] node->values;
        node->~Node();
        ::operator delete(node);
    }

    // --- subkeys

    // Position of the first subkey not ordered before `childName`.
    uint32_t LowerBound(std::string_view childName) const {
        uint32_t low = 0, high = childCount;
        while (low < high) {
            uint32_t middle = low + (high - low) / 2;
            if (text::CompareNoCase(children[middle]->Name(), childName) < 0)
                low = middle + 1;
            else
                high = middle;
        }
        return low;
    }
    Node* Child(std::string_view childName) const {
        uint32_t at = LowerBound(childName);
        return at < childCount && text::CompareNoCase(children[at]->Name(), childName) == 0
                   ? children[at]
                   : nullptr;
    }
    void InsertChild(uint32_t at, Node* child) {
        if (childCount == childCapacity) {
            // Most keys have one or two subkeys: grow by one at first.
            uint32_t capacity = childCapacity < 4 ? childCapacity + 1 : childCapacity + childCapacity / 2;
            Node** grown = new Node*[capacity];
            std::copy(children, children + childCount, grown);
            delete[] children;
            children = grown;
            childCapacity = capacity;
        }
        std::copy_backward(children + at, children + childCount, children + childCount + 1);
        children[at] = child;
        ++childCount;
    }
    Node* AddChild(std::string_view childName) {
        // Sorted data, as a registry file holds it, appends: try the end first.
        uint32_t at = childCount;
        if (childCount > 0 && text::CompareNoCase(children[childCount - 1]->Name(), childName) >= 0) {
            at = LowerBound(childName);
            if (at < childCount && text::CompareNoCase(children[at]->Name(), childName) == 0)
                return children[at];
        }
        Node* child = Make(childName);
        InsertChild(at, child);
        return child;
    }
    // Unlinks a subkey; false when it is not one.
    bool Unlink(const Node* child) {
        uint32_t at = LowerBound(child->Name());
        while (at < childCount && children[at] != child) ++at;
        if (at == childCount) return false;
        std::copy(children + at + 1, children + childCount, children + at);
        --childCount;
        return true;
    }

    // --- values

    static constexpr uint32_t kHeader = 16;
    struct ValueView {
        uint32_t type = 0, size = 0, nameLength = 0, dataLength = 0;
        const char* name = nullptr;
        uint32_t offset = 0, next = 0;
        std::string_view Name() const { return std::string_view(name, nameLength); }
        std::string_view Data() const { return std::string_view(name + nameLength, dataLength); }
    };
    ValueView ValueAt(uint32_t offset) const {
        ValueView v;
        uint32_t header[4];
        std::memcpy(header, values + offset, kHeader);
        v.type = header[0];
        v.size = header[1];
        v.nameLength = header[2];
        v.dataLength = header[3];
        v.name = values + offset + kHeader;
        v.offset = offset;
        v.next = offset + kHeader + v.nameLength + v.dataLength;
        return v;
    }
    bool FindValue(std::string_view valueName, ValueView& found) const {
        for (uint32_t at = 0; at < valueBytes; at = found.next) {
            found = ValueAt(at);
            if (text::EqualsNoCase(found.Name(), valueName)) return true;
        }
        return false;
    }
    // Replaces the bytes [from, to) of the buffer with `record`.
    void Splice(uint32_t from, uint32_t to, std::string_view record) {
        uint32_t bytes = valueBytes - (to - from) + static_cast<uint32_t>(record.size());
        char* buffer = bytes > 0 ? new char[bytes] : nullptr;
        CopyKeyBytes(buffer, values, from);
        CopyKeyBytes(buffer + from, record.data(), record.size());
        CopyKeyBytes(buffer + from + record.size(), values + to, valueBytes - to);
        delete[] values;
        values = buffer;
        valueBytes = bytes;
    }
    static std::string Record(std::string_view valueName, const RegValue& value) {
        uint32_t header[4] = {value.type, value.size, static_cast<uint32_t>(valueName.size()),
                              static_cast<uint32_t>(value.data.size())};
        std::string record(reinterpret_cast<const char*>(header), kHeader);
        record += valueName;
        record += value.data;
        return record;
    }
    void PutValue(std::string_view valueName, const RegValue& stored) {
        ValueView found;
        if (FindValue(valueName, found)) {
            std::string keptName(found.Name());  // the first spelling stays
            Splice(found.offset, found.next, Record(keptName, stored));
        } else {
            Splice(valueBytes, valueBytes, Record(valueName, stored));
            ++valueCount;
        }
    }
    bool EraseValue(std::string_view valueName) {
        ValueView found;
        if (!FindValue(valueName, found)) return false;
        Splice(found.offset, found.next, {});
        --valueCount;
        return true;
    }

    size_t CountBelow() const {
        size_t n = childCount;
        for (uint32_t i = 0; i < childCount; ++i) n += children[i]->CountBelow();
        return n;
    }
};
