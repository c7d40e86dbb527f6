#pragma once
// SHA-256 of a file, with Windows' own implementation (bcrypt).
#include <string>

// The digest of the file's bytes as 64 lower-case hex digits; "" when the file cannot
// be read or hashed.
std::string FileSha256(const std::wstring& path);
