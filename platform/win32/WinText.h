#pragma once
// UTF-8 <-> UTF-16 at the Win32 boundary.
#include <windows.h>

#include <string>
#include <string_view>

#include "platform/Text.h"

namespace win {

inline std::wstring Wide(std::string_view utf8) {
    std::u16string u16 = text::Utf8ToUtf16(utf8);
    return std::wstring(u16.begin(), u16.end());
}

inline std::string Narrow(const wchar_t* s, size_t length) {
    return text::Utf16ToUtf8(std::u16string_view(reinterpret_cast<const char16_t*>(s), length));
}

inline std::string Narrow(const std::wstring& s) { return Narrow(s.data(), s.size()); }

// The text of a NUL-terminated buffer.
inline std::string NarrowZ(const wchar_t* s) { return Narrow(s, wcslen(s)); }

}  // namespace win
