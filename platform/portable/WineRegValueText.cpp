// Writing a value as Wine's registry files hold it (the inverse of the reading in
// WineRegFile.cpp).
#include "platform/portable/WineRegValueText.h"

#include <cstdio>

#include "platform/Text.h"

namespace {

bool IsHexDigit(char16_t c) {
    return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F');
}

// Wine leaves the NUL that ends a text out of the file (`dropLastNul`); a NUL inside
// it is written like any other control character.
void AppendEscaped(std::u16string_view units, bool dropLastNul, std::string& out) {
    // The letters of \a \b \t \n \v \f \r and \e; '.' has none.
    static const char kLetters[] = ".......abtnvfr.............e....";
    char buffer[16];
    for (size_t i = 0; i < units.size(); ++i) {
        char16_t c = units[i];
        bool hasNext = i + 1 < units.size();
        char16_t next = hasNext ? units[i + 1] : 0;
        if (c > 127) {
            // A hex digit after the escape would be read as part of it: pad to four.
            bool pad = hasNext && next < 128 && IsHexDigit(next);
            std::snprintf(buffer, sizeof buffer, pad ? "\\x%04x" : "\\x%x", unsigned{c});
            out += buffer;
        } else if (c < 32) {
            if (c == 0 && !hasNext && dropLastNul) continue;
            if (kLetters[c] != '.') {
                out += '\\';
                out += kLetters[c];
            } else {
                bool pad = hasNext && next >= '0' && next <= '7';
                std::snprintf(buffer, sizeof buffer, pad ? "\\%03o" : "\\%o", unsigned{c});
                out += buffer;
            }
        } else {
            if (c == '\\' || c == '"') out += '\\';
            out += static_cast<char>(c);
        }
    }
}

std::string Utf16Le(std::u16string_view units) {
    std::string bytes;
    for (char16_t unit : units) {
        bytes.push_back(static_cast<char>(unit & 0xFF));
        bytes.push_back(static_cast<char>(unit >> 8));
    }
    return bytes;
}

}  // namespace

std::string WineRegValueText(const std::string& name, const RegValue& value,
                             std::string_view lineEnd) {
    std::string out;
    if (name.empty()) {
        out = "@=";
    } else {
        out = "\"";
        AppendEscaped(text::Utf8ToUtf16(name), false, out);
        out += "\"=";
    }
    char buffer[32];
    std::string bytes = value.data;
    if (IsStringType(value.type)) {
        std::u16string units = text::Utf8ToUtf16(value.data);
        if (!units.empty() && units.back() == 0) {
            if (value.type != REG_SZ_) {
                std::snprintf(buffer, sizeof buffer, "str(%x):", unsigned{value.type});
                out += buffer;
            }
            out += '"';
            AppendEscaped(units, true, out);
            out += '"';
            out += lineEnd;
            return out;
        }
        bytes = Utf16Le(units);  // a text without its NUL goes as hex, as stored
    } else if (value.type == REG_DWORD_ && bytes.size() == 4) {
        uint32_t number = 0;
        for (int i = 3; i >= 0; --i) number = number << 8 | static_cast<unsigned char>(bytes[i]);
        std::snprintf(buffer, sizeof buffer, "dword:%08x", unsigned{number});
        out += buffer;
        out += lineEnd;
        return out;
    }
    if (value.type == REG_BINARY_) {
        out += "hex:";
    } else {
        std::snprintf(buffer, sizeof buffer, "hex(%x):", unsigned{value.type});
        out += buffer;
    }
    // Wine counts the line's characters from its start and breaks after a comma once
    // they pass 76; a continued line starts with two blanks.
    size_t column = out.size();
    for (size_t i = 0; i < bytes.size(); ++i) {
        std::snprintf(buffer, sizeof buffer, "%02x",
                      unsigned{static_cast<unsigned char>(bytes[i])});
        out += buffer;
        column += 2;
        if (i + 1 == bytes.size()) break;
        out += ',';
        if (++column > 76) {
            out += '\\';
            out += lineEnd;
            out += "  ";
            column = 2;
        }
    }
    out += lineEnd;
    return out;
}
