#pragma once
// Host file names from the program's UTF-8 texts, on Linux and on Windows alike.
#include <filesystem>
#include <string>

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

inline std::string ToUtf8(const std::filesystem::path& path) {
    std::u8string u8 = path.u8string();
    return std::string(u8.begin(), u8.end());
}

}  // namespace hostpath
