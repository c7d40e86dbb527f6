#pragma once
// Host file names from the program's UTF-8 texts, on Linux and on Windows alike.
#include <filesystem>
#include <string>

namespace hostpath {

inline std::filesystem::path FromUtf8(const std::string& utf8) {
    return std::filesystem::path(std::u8string(utf8.begin(), utf8.end()));
}

inline std::string ToUtf8(const std::filesystem::path& path) {
    std::u8string u8 = path.u8string();
    return std::string(u8.begin(), u8.end());
}

}  // namespace hostpath
