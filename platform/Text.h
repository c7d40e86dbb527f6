#pragma once
// Text helpers shared by the core and both backends. Strings are UTF-8 inside the
// program; files the program calls ANSI are Windows-1252 on disk off Windows.
#include <cstdint>
#include <string>
#include <string_view>

namespace text {

std::u16string Utf8ToUtf16(std::string_view utf8);
std::string Utf16ToUtf8(std::u16string_view utf16);
// The same for UTF-16LE bytes (a last odd byte is left out), without an intermediate copy.
std::string Utf16LeBytesToUtf8(std::string_view bytes);

// Windows-1252 <-> UTF-8. Characters the code page lacks become '?'.
std::string AnsiToUtf8(std::string_view ansi);
std::string Utf8ToAnsi(std::string_view utf8);

// Letter case of ASCII, Latin-1, Greek and Cyrillic letters (enough for paths and
// names as Windows folds them); everything else is left alone.
std::string ToUpper(std::string_view s);
std::string ToLower(std::string_view s);
char32_t FoldUpper(char32_t c);
bool EqualsNoCase(std::string_view a, std::string_view b);
// Orders as Windows orders registry subkeys: by the upper-case UTF-16 units.
int CompareNoCase(std::string_view a, std::string_view b);

// Blanks only (as Trim of the classic runtime): tabs and line breaks stay.
std::string Trim(std::string_view s);
std::string TrimLeft(std::string_view s);
std::string TrimRight(std::string_view s);

bool StartsWith(std::string_view s, std::string_view prefix);
bool EndsWith(std::string_view s, std::string_view suffix);
std::string ReplaceAll(std::string_view s, std::string_view from, std::string_view to);

// Number of characters (code points) of a UTF-8 text, its first n characters, and
// its n-th character counted from 1 ("" past its end).
size_t CharCount(std::string_view s);
std::string Left(std::string_view s, size_t chars);
std::string CharAt(std::string_view s, size_t n);

}  // namespace text
