// Writing .reg files in the Version 5.00 form, laid out as REG EXPORT lays them out:
// a blank line before each key, values in enumeration order, then the subkeys; text
// values quoted with \ " CR and LF escaped; binary data as hex bytes, wrapped so that
// no line passes 80 characters.
#include <algorithm>
#include <cstdio>

#include "platform/Text.h"
#include "platform/portable/RegFile.h"

namespace {

constexpr uint32_t kKeyRead = 0x20019;          // KEY_READ
constexpr uint32_t kValueNameCapacity = 16384;  // the longest value name Windows allows
constexpr uint32_t kKeyNameCapacity = 16384;
constexpr uint32_t kAnyData = 0xFFFFFFFFu;
constexpr size_t kHexLineLimit = 77;

// Escapes a text up to its first NUL.
std::u16string Escape(std::u16string_view s) {
    std::u16string out;
    for (char16_t c : s) {
        if (c == 0) break;
        switch (c) {
            case u'\r': out += u"\\r"; break;
            case u'\n': out += u"\\n"; break;
            case u'\\': out += u"\\\\"; break;
            case u'"': out += u"\\\""; break;
            default: out += c;
        }
    }
    return out;
}

std::u16string Ascii(const char* s) {
    std::u16string out;
    while (*s) out += static_cast<char16_t>(*s++);
    return out;
}

// The bytes of a value as the registry holds them: text types as UTF-16LE.
std::string RawBytes(const RegValue& value) {
    if (!IsStringType(value.type)) return value.data.substr(0, value.size);
    std::u16string units = text::Utf8ToUtf16(value.data);
    units.resize(std::min<size_t>(units.size(), value.size));
    std::string bytes;
    for (char16_t u : units) {
        bytes += static_cast<char>(u & 0xFF);
        bytes += static_cast<char>(u >> 8);
    }
    return bytes;
}

// "hex:" or "hex(N):" and the bytes, continued with "\" on lines indented by two.
void AppendHex(std::u16string& out, size_t lineLength, uint32_t type, const std::string& bytes) {
    char label[24];
    std::snprintf(label, sizeof label, type == REG_BINARY_ ? "hex:" : "hex(%x):", type);
    out += Ascii(label);
    lineLength += std::char_traits<char>::length(label);
    for (size_t i = 0; i < bytes.size(); ++i) {
        char pair[3];
        std::snprintf(pair, sizeof pair, "%02x", static_cast<unsigned char>(bytes[i]));
        out += Ascii(pair);
        if (i + 1 == bytes.size()) break;
        out += u',';
        lineLength += 3;
        if (lineLength >= kHexLineLimit) {
            out += u"\\\r\n  ";
            lineLength = 2;
        }
    }
}

void AppendValue(std::u16string& out, const std::string& name, const RegValue& value) {
    // Built by appending: GCC 12 warns falsely on chains of u16string "+".
    std::u16string start;
    if (name.empty()) {
        start = u"@=";
    } else {
        start = u"\"";
        start += Escape(text::Utf8ToUtf16(name));
        start += u"\"=";
    }
    out += start;
    if (value.type == REG_SZ_) {
        // The text without its terminator: one character less than stored.
        std::u16string units = text::Utf8ToUtf16(value.data);
        size_t length = value.size == 0 ? 0 : std::min<size_t>(value.size - 1, units.size());
        out += u'"';
        out += Escape(std::u16string_view(units).substr(0, length));
        out += u'"';
    } else if (value.type == REG_DWORD_ && value.size == 4) {
        uint32_t number = 0;
        for (int i = 3; i >= 0; --i) number = number << 8 | static_cast<unsigned char>(value.data[i]);
        char dword[16];
        std::snprintf(dword, sizeof dword, "dword:%08x", number);
        out += Ascii(dword);
    } else {
        AppendHex(out, start.size(), value.type, RawBytes(value));
    }
    out += u"\r\n";
}

void AppendKey(Registry& registry, RegKey key, const std::u16string& path, std::u16string& out) {
    out += u"\r\n[";
    out += path;
    out += u"]\r\n";
    std::string name;
    uint32_t type = 0;
    RegValue value;
    for (uint32_t i = 0;; ++i) {
        if (registry.EnumValue(key, i, kValueNameCapacity, kAnyData, name, type) != kRegSuccess)
            break;
        if (registry.QueryValue(key, name, kAnyData, value) == kRegSuccess)
            AppendValue(out, name, value);
    }
    for (uint32_t i = 0;; ++i) {
        if (registry.EnumKey(key, i, kKeyNameCapacity, name) != kRegSuccess) break;
        ScopedRegKey subkey(registry);
        if (subkey.Open(key, name, kKeyRead) != kRegSuccess) continue;
        std::u16string subkeyPath = path;
        subkeyPath += u'\\';
        subkeyPath += text::Utf8ToUtf16(name);
        AppendKey(registry, subkey.Get(), subkeyPath, out);
    }
}

}  // namespace

std::string LongHiveName(RegKey hive) {
    switch (hive) {
        case HKCR: return "HKEY_CLASSES_ROOT";
        case HKCU: return "HKEY_CURRENT_USER";
        case HKLM: return "HKEY_LOCAL_MACHINE";
        case HKU: return "HKEY_USERS";
        case HKCC: return "HKEY_CURRENT_CONFIG";
        default: return "";
    }
}

bool ParseHiveName(std::string_view name, RegKey& hive) {
    static const struct {
        const char* longName;
        const char* shortName;
        RegKey hive;
    } kHives[] = {{"HKEY_CLASSES_ROOT", "HKCR", HKCR},
                  {"HKEY_CURRENT_USER", "HKCU", HKCU},
                  {"HKEY_LOCAL_MACHINE", "HKLM", HKLM},
                  {"HKEY_USERS", "HKU", HKU},
                  {"HKEY_CURRENT_CONFIG", "HKCC", HKCC}};
    for (const auto& h : kHives) {
        if (text::EqualsNoCase(name, h.longName) || text::EqualsNoCase(name, h.shortName)) {
            hive = h.hive;
            return true;
        }
    }
    return false;
}

namespace {

// hive\keyPath with its subtree; false when the key cannot be opened.
bool AppendTree(Registry& registry, RegKey hive, const std::string& keyPath, std::u16string& out) {
    std::string path = keyPath;
    while (!path.empty() && path.back() == '\\') path.pop_back();
    std::string hiveName = LongHiveName(hive);
    if (hiveName.empty()) return false;
    ScopedRegKey key(registry);
    if (key.Open(hive, path, kKeyRead) != kRegSuccess) return false;
    AppendKey(registry, key.Get(), text::Utf8ToUtf16(path.empty() ? hiveName : hiveName + "\\" + path), out);
    return true;
}

std::string FileBytes(std::u16string out) {
    out += u"\r\n";
    std::string bytes;
    bytes.reserve(out.size() * 2);
    for (char16_t u : out) {
        bytes += static_cast<char>(u & 0xFF);
        bytes += static_cast<char>(u >> 8);
    }
    return bytes;
}

std::u16string FileStart() { return u"\xFEFF" + Ascii("Windows Registry Editor Version 5.00\r\n"); }

}  // namespace

std::string ExportRegFile(Registry& registry, RegKey hive, const std::string& keyPath) {
    std::u16string out = FileStart();
    if (!AppendTree(registry, hive, keyPath, out)) return "";
    return FileBytes(std::move(out));
}

std::string ExportRegistryImage(Registry& registry) {
    std::u16string out = FileStart();
    for (RegKey hive : {HKLM, HKCU, HKU}) AppendTree(registry, hive, "", out);
    return FileBytes(std::move(out));
}

std::string RegFileText(const std::string& bytes) {
    if (bytes.size() < 2 || static_cast<unsigned char>(bytes[0]) != 0xFF || static_cast<unsigned char>(bytes[1]) != 0xFE)
        return bytes;
    std::u16string units;
    units.reserve(bytes.size() / 2);
    for (size_t i = 2; i + 1 < bytes.size(); i += 2)
        units += static_cast<char16_t>(static_cast<unsigned char>(bytes[i]) | (static_cast<unsigned char>(bytes[i + 1]) << 8));
    return text::Utf16ToUtf8(units);
}
