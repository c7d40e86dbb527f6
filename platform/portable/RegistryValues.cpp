#include <algorithm>

#include "platform/Text.h"
#include "platform/portable/RegistryNode.h"

// A value exactly as given: the first `size` characters or bytes of its data.
RegValue ExactValue(const RegValue& given) {
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
RegValue StoredValue(const RegValue& given) {
    if (!IsStringType(given.type)) return ExactValue(given);
    RegValue stored;
    stored.type = given.type;
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

uint32_t RegTextLength(std::string_view utf8) {
    uint32_t n = 0;
    for (unsigned char c : utf8) {
        if ((c & 0xC0) != 0x80) ++n;  // one unit per code point start...
        if ((c & 0xF8) == 0xF0) ++n;  // ...and a second one for a surrogate pair
    }
    return n;
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

std::string RegValueToBytes(const RegValue& value) {
    if (!IsStringType(value.type)) return value.data.substr(0, value.size);
    std::u16string units = text::Utf8ToUtf16(value.data);
    if (units.size() > value.size) units.resize(value.size);
    std::string bytes;
    bytes.reserve(units.size() * 2);
    for (char16_t unit : units) {
        bytes.push_back(static_cast<char>(unit & 0xFF));
        bytes.push_back(static_cast<char>(unit >> 8));
    }
    return bytes;
}

RegValue RegValueFromBytes(uint32_t type, std::string_view bytes) {
    if (!IsStringType(type)) return RegBinary(std::string(bytes), type);
    RegValue v;
    v.type = type;
    v.data = text::Utf16LeBytesToUtf8(bytes);
    v.size = static_cast<uint32_t>(bytes.size() / 2);
    return v;
}
