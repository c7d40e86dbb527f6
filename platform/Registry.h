#pragma once
// The Windows registry as the scan and repair logic see it: exactly the operations
// the program uses, with the Windows status codes. Names and string data cross this
// interface as UTF-8; capacities count characters for names and string data (as the
// code-page form of the Windows calls counts them) and bytes for other data.
#include <cstdint>
#include <string>

// A hive handle or an opened key: an opaque 32-bit value.
using RegKey = uint32_t;

// The predefined roots, as their 32-bit values.
constexpr RegKey HKCR = 0x80000000u;
constexpr RegKey HKCU = 0x80000001u;
constexpr RegKey HKLM = 0x80000002u;
constexpr RegKey HKU = 0x80000003u;
constexpr RegKey HKCC = 0x80000005u;

// Status codes the program relies on.
constexpr int32_t kRegSuccess = 0;
constexpr int32_t kRegNotFound = 2;       // ERROR_FILE_NOT_FOUND
constexpr int32_t kRegAccessDenied = 5;   // ERROR_ACCESS_DENIED
constexpr int32_t kRegMoreData = 234;     // ERROR_MORE_DATA
constexpr int32_t kRegNoMoreItems = 259;  // ERROR_NO_MORE_ITEMS

// Access masks.
constexpr uint32_t KEY_QUERY_VALUE_ = 0x0001;
constexpr uint32_t KEY_ALL_ACCESS_ = 0xF003F;
// Added to an access mask: open the key of the 32-bit view (what a 32-bit program sees
// on 64-bit Windows) instead of the program's own.
constexpr uint32_t KEY_WOW64_32KEY_ = 0x0200;

// Value types.
enum RegType : uint32_t {
    REG_NONE_ = 0,
    REG_SZ_ = 1,
    REG_EXPAND_SZ_ = 2,
    REG_BINARY_ = 3,
    REG_DWORD_ = 4,
    REG_DWORD_BIG_ENDIAN_ = 5,
    REG_LINK_ = 6,
    REG_MULTI_SZ_ = 7,
    REG_QWORD_ = 11,
};

inline bool IsStringType(uint32_t type) {
    return type == REG_SZ_ || type == REG_EXPAND_SZ_ || type == REG_MULTI_SZ_;
}

// A value's data. For REG_SZ, REG_EXPAND_SZ and REG_MULTI_SZ `data` is UTF-8 text
// holding the terminating NUL characters as stored (a REG_SZ "abc" is "abc\0"), and
// `size` counts characters, NULs included, as the code-page query reports them.
// For every other type `data` is the raw bytes and `size` their count.
struct RegValue {
    uint32_t type = REG_NONE_;
    std::string data;
    uint32_t size = 0;
};

class Registry {
public:
    virtual ~Registry() = default;

    // Opens parent\path (an empty path opens the parent itself).
    virtual int32_t OpenKey(RegKey parent, const std::string& path, uint32_t access,
                            RegKey& key) = 0;
    // Reads a value ("" = the default value). Returns 234 and no data when its size
    // exceeds `capacity`; `value.type` and `value.size` are still filled then.
    virtual int32_t QueryValue(RegKey key, const std::string& name, uint32_t capacity,
                               RegValue& value) = 0;
    // Name of the subkey at `index`; 234 when it needs more than `nameCapacity`
    // characters including its NUL, 259 past the last one.
    virtual int32_t EnumKey(RegKey key, uint32_t index, uint32_t nameCapacity,
                            std::string& name) = 0;
    // Name and type of the value at `index`; 234 when the name needs more than
    // `nameCapacity` characters including its NUL or the data exceeds `dataCapacity`.
    virtual int32_t EnumValue(RegKey key, uint32_t index, uint32_t nameCapacity,
                              uint32_t dataCapacity, std::string& name, uint32_t& type) = 0;
    virtual int32_t CloseKey(RegKey key) = 0;

    // Creates or overwrites a value with the first `value.size` characters (text) or
    // bytes (other types) of `value.data`. As Windows does, a text whose counted part
    // stops right before its end or before a NUL gets that terminating NUL stored too,
    // so "abc" written with size 3 is stored as "abc\0" (size 4).
    virtual int32_t SetValue(RegKey key, const std::string& name, const RegValue& value) = 0;
    virtual int32_t DeleteValue(RegKey key, const std::string& name) = 0;
    // Deletes the subkey `name` (a path below the open key) once it has no subkeys of
    // its own (5 while it has); an empty name deletes the open key itself.
    virtual int32_t DeleteKey(RegKey key, const std::string& name) = 0;
};

// Owns an opened key and closes it once. Hives are never closed.
class ScopedRegKey {
public:
    explicit ScopedRegKey(Registry& registry) : registry_(registry) {}
    ScopedRegKey(const ScopedRegKey&) = delete;
    ScopedRegKey& operator=(const ScopedRegKey&) = delete;
    ~ScopedRegKey() { Close(); }

    int32_t Open(RegKey parent, const std::string& path, uint32_t access) {
        Close();
        int32_t status = registry_.OpenKey(parent, path, access, key_);
        open_ = status == kRegSuccess;
        return status;
    }
    void Close() {
        if (open_) registry_.CloseKey(key_);
        open_ = false;
    }
    bool IsOpen() const { return open_; }
    RegKey Get() const { return key_; }

private:
    Registry& registry_;
    RegKey key_ = 0;
    bool open_ = false;
};
