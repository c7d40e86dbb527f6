#include "platform/win32/Win32Registry.h"

#include <algorithm>
#include <vector>

#include "platform/win32/WinText.h"

namespace {

constexpr int32_t kInvalidHandle = ERROR_INVALID_HANDLE;
// Class names are read into a buffer of this many characters, as the scan layer asks.
constexpr DWORD kClassCapacity = 255;

// Size of the data as the code-page calls count it: characters for text, else bytes.
uint32_t CodePageSize(DWORD type, DWORD bytes) { return IsStringType(type) ? bytes / 2 : bytes; }

std::string TextFromWide(const std::vector<BYTE>& data, DWORD bytes) {
    return win::Narrow(reinterpret_cast<const wchar_t*>(data.data()), bytes / 2);
}

}  // namespace

Win32Registry::~Win32Registry() {
    for (auto& [id, hkey] : open_) RegCloseKey(hkey);
}

HKEY Win32Registry::Resolve(RegKey key) const {
    if (key >= 0x80000000u) {
        // Predefined keys are the 32-bit value widened with its sign.
        return reinterpret_cast<HKEY>(static_cast<ULONG_PTR>(static_cast<LONG>(key)));
    }
    auto it = open_.find(key);
    return it == open_.end() ? nullptr : it->second;
}

int32_t Win32Registry::OpenKey(RegKey parent, const std::string& path, uint32_t access,
                               RegKey& key) {
    HKEY from = Resolve(parent);
    if (!from) return kInvalidHandle;
    HKEY opened = nullptr;
    LONG status = RegOpenKeyExW(from, win::Wide(path).c_str(), 0, access, &opened);
    if (status != ERROR_SUCCESS) return status;
    key = next_++;
    if (next_ >= 0x80000000u) next_ = 1;
    open_[key] = opened;
    return ERROR_SUCCESS;
}

int32_t Win32Registry::QueryValue(RegKey key, const std::string& name, uint32_t capacity,
                                  RegValue& value) {
    HKEY hkey = Resolve(key);
    if (!hkey) return kInvalidHandle;
    std::wstring wideName = win::Wide(name);
    // The first call offers room for `capacity` characters of text and a terminator (up
    // to a size kept at hand): a value that fits comes at once, and for one that does
    // not the call tells its size.
    constexpr uint64_t kRoomAtHand = 16384;
    uint64_t wanted = (static_cast<uint64_t>(capacity) + 1) * sizeof(wchar_t);
    DWORD room = static_cast<DWORD>(wanted < kRoomAtHand ? wanted : kRoomAtHand);
    std::vector<BYTE>& data = valueBuffer_;
    if (data.size() < room + sizeof(wchar_t)) data.resize(room + sizeof(wchar_t));
    DWORD type = 0, got = room;
    LONG status = RegQueryValueExW(hkey, wideName.c_str(), nullptr, &type, data.data(), &got);
    if (status != ERROR_SUCCESS && status != ERROR_MORE_DATA) return status;
    value.type = type;
    value.size = CodePageSize(type, got);
    value.data.clear();
    if (value.size > capacity) return ERROR_MORE_DATA;
    if (status == ERROR_MORE_DATA) {
        // Larger than the room at hand but within the capacity: read it whole.
        data.resize(static_cast<size_t>(got) + sizeof(wchar_t));
        status = RegQueryValueExW(hkey, wideName.c_str(), nullptr, &type, data.data(), &got);
        if (status != ERROR_SUCCESS) return status;
        value.type = type;
        value.size = CodePageSize(type, got);
    }
    value.data = IsStringType(type) ? TextFromWide(data, got)
                                    : std::string(reinterpret_cast<const char*>(data.data()), got);
    return ERROR_SUCCESS;
}

int32_t Win32Registry::EnumKey(RegKey key, uint32_t index, uint32_t nameCapacity,
                               std::string& name) {
    HKEY hkey = Resolve(key);
    if (!hkey) return kInvalidHandle;
    std::vector<wchar_t>& buffer = nameBuffer_;
    if (buffer.size() < nameCapacity + 1) buffer.resize(nameCapacity + 1);
    DWORD length = nameCapacity;
    // The class name is asked for too: one longer than its buffer ends the enumeration.
    wchar_t className[kClassCapacity + 1];
    DWORD classLength = kClassCapacity;
    LONG status = RegEnumKeyExW(hkey, index, buffer.data(), &length, nullptr, className,
                                &classLength, nullptr);
    if (status == ERROR_SUCCESS) name = win::Narrow(buffer.data(), length);
    return status;
}

int32_t Win32Registry::EnumValue(RegKey key, uint32_t index, uint32_t nameCapacity,
                                 uint32_t dataCapacity, std::string& name, uint32_t& type) {
    HKEY hkey = Resolve(key);
    if (!hkey) return kInvalidHandle;
    std::vector<wchar_t>& buffer = nameBuffer_;
    if (buffer.size() < nameCapacity + 1) buffer.resize(nameCapacity + 1);
    DWORD length = nameCapacity;
    DWORD valueType = 0, bytes = 0;
    LONG status = RegEnumValueW(hkey, index, buffer.data(), &length, nullptr, &valueType, nullptr,
                                &bytes);
    if (status != ERROR_SUCCESS) return status;
    if (CodePageSize(valueType, bytes) > dataCapacity) return ERROR_MORE_DATA;
    name = win::Narrow(buffer.data(), length);
    type = valueType;
    return ERROR_SUCCESS;
}

int32_t Win32Registry::CloseKey(RegKey key) {
    if (key >= 0x80000000u) return ERROR_SUCCESS;
    auto it = open_.find(key);
    if (it == open_.end()) return kInvalidHandle;
    LONG status = RegCloseKey(it->second);
    open_.erase(it);
    return status;
}

int32_t Win32Registry::SetValue(RegKey key, const std::string& name, const RegValue& value) {
    HKEY hkey = Resolve(key);
    if (!hkey) return kInvalidHandle;
    std::wstring wideName = win::Wide(name);
    if (IsStringType(value.type)) {
        // The whole text stays in the buffer behind the counted part, so that Windows
        // sees what follows it when it adds a terminator the count left out.
        std::wstring data = win::Wide(value.data);
        size_t units = std::min<size_t>(value.size, data.size());
        return RegSetValueExW(hkey, wideName.c_str(), 0, value.type,
                              reinterpret_cast<const BYTE*>(data.c_str()),
                              static_cast<DWORD>(units * sizeof(wchar_t)));
    }
    size_t bytes = std::min<size_t>(value.size, value.data.size());
    return RegSetValueExW(hkey, wideName.c_str(), 0, value.type,
                          reinterpret_cast<const BYTE*>(value.data.data()),
                          static_cast<DWORD>(bytes));
}

int32_t Win32Registry::DeleteValue(RegKey key, const std::string& name) {
    HKEY hkey = Resolve(key);
    if (!hkey) return kInvalidHandle;
    return RegDeleteValueW(hkey, win::Wide(name).c_str());
}

int32_t Win32Registry::DeleteKey(RegKey key, const std::string& name) {
    HKEY hkey = Resolve(key);
    if (!hkey) return kInvalidHandle;
    return RegDeleteKeyW(hkey, win::Wide(name).c_str());
}
