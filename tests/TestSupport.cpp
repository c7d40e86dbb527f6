#include "tests/TestSupport.h"

#include <atomic>
#include <chrono>
#include <fstream>
#include <iterator>

#include "platform/Text.h"

namespace fs = std::filesystem;

namespace testing_support {

ScratchFolder::ScratchFolder(const std::string& tag) {
    static std::atomic<int> counter{0};
    auto stamp = std::chrono::steady_clock::now().time_since_epoch().count();
    fs::path dir = fs::temp_directory_path() /
                   ("brivolex-" + tag + "-" + std::to_string(stamp) + "-" + std::to_string(counter++));
    fs::create_directories(dir);
    path_ = hostpath::ToUtf8(dir);
}

ScratchFolder::~ScratchFolder() {
    std::error_code ec;
    // Give back write permission first, so that read-only test folders can go.
    for (auto it = fs::recursive_directory_iterator(host(), ec); !ec && it != fs::end(it);
         it.increment(ec))
        fs::permissions(it->path(), fs::perms::owner_all, fs::perm_options::add, ec);
    fs::permissions(host(), fs::perms::owner_all, fs::perm_options::add, ec);
    fs::remove_all(host(), ec);
}

std::string ReadBytes(const fs::path& file) {
    std::ifstream in(file, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

void WriteBytes(const fs::path& file, const std::string& bytes) {
    std::ofstream out(file, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

bool Exists(const fs::path& file) {
    std::error_code ec;
    return fs::exists(file, ec);
}

std::vector<std::string> ReadLines(const fs::path& file) {
    std::string content = text::AnsiToUtf8(ReadBytes(file));
    std::vector<std::string> lines;
    size_t pos = 0;
    while (pos < content.size()) {
        size_t end = content.find("\r\n", pos);
        if (end == std::string::npos) {
            lines.push_back(content.substr(pos));
            break;
        }
        lines.push_back(content.substr(pos, end - pos));
        pos = end + 2;
    }
    return lines;
}

void PutWindowsVersion(InMemoryRegistry& registry, const std::string& version) {
    registry.PutValue(HKLM, "SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion", "CurrentVersion",
                      RegString(version));
}

}  // namespace testing_support
