#pragma once
// Host file names from the program's UTF-8 texts, on Linux and on Windows alike.
#include <filesystem>
#include <string>
#include <type_traits>

namespace hostpath {

inline std::filesystem::path FromUtf8(const std::string& utf8) {
    return std::filesystem::path(std::u8string(utf8.begin(), utf8.end()));
}

// A host path as the program writes it, with "\" between names: on Linux the
// separators become "/".
inline std::filesystem::path FromProgramPath(std::string path) {
#ifndef _WIN32
    for (char& c : path)
        if (c == '\\') c = '/';
#endif
    return FromUtf8(path);
}

// The host's own form of a name (the bytes themselves where the host names files in
// UTF-8), without building a path.
template <typename Char = std::filesystem::path::value_type>
std::basic_string<Char> NativeFromUtf8(const std::string& utf8) {
    if constexpr (std::is_same_v<Char, char>) {
        return utf8;
    } else {
        return FromUtf8(utf8).native();
    }
}

// The host path as the host's calls reach it: on Windows a path too long for the
// classic limit (folders stop at 248 characters) gets the "\\?\" prefix.
inline std::filesystem::path Reachable(const std::filesystem::path& path) {
#ifdef _WIN32
    const std::wstring& name = path.native();
    if (name.size() < 248 || name.rfind(L"\\\\", 0) == 0 || name.size() < 3 || name[1] != L':')
        return path;
    std::wstring prefixed = L"\\\\?\\" + name;
    for (wchar_t& c : prefixed)
        if (c == L'/') c = L'\\';
    return std::filesystem::path(std::move(prefixed));
#else
    return path;
#endif
}

inline std::string ToUtf8(const std::filesystem::path& path) {
    std::u8string u8 = path.u8string();
    return std::string(u8.begin(), u8.end());
}

}  // namespace hostpath
