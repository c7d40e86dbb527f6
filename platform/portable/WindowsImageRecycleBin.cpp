#include "platform/portable/WindowsImageRecycleBin.h"

#include <cctype>
#include <chrono>
#include <fstream>

#include "platform/Text.h"
#include "platform/portable/HostPath.h"

namespace fs = std::filesystem;

namespace {

void PutInt(std::string& bytes, uint64_t n, int width) {
    for (int i = 0; i < width; ++i) bytes.push_back(static_cast<char>(n >> (8 * i) & 0xFF));
}

// What the bin counts as the size: a file's, or all the files of a folder.
uint64_t TotalSize(const fs::path& host) {
    std::error_code ec;
    fs::file_status status = fs::symlink_status(host, ec);
    if (fs::is_regular_file(status)) return fs::file_size(host, ec);
    if (!fs::is_directory(status)) return 0;
    uint64_t total = 0;
    for (fs::recursive_directory_iterator it(host, ec), end; !ec && it != end; it.increment(ec))
        if (it->is_regular_file(ec) && !it->is_symlink(ec)) total += it->file_size(ec);
    return total;
}

// The extension Windows keeps on the names in the bin: from the name's last dot, unless
// a blank follows it.
std::string Extension(const std::string& name) {
    size_t dot = name.rfind('.');
    if (dot == std::string::npos || name.find(' ', dot) != std::string::npos) return "";
    return name.substr(dot);
}

}  // namespace

int64_t FileTimeNow() {
    constexpr int64_t kFrom1601To1970 = 116444736000000000;  // in 100 ns
    auto since1970 = std::chrono::system_clock::now().time_since_epoch();
    return kFrom1601To1970 +
           std::chrono::duration_cast<std::chrono::nanoseconds>(since1970).count() / 100;
}

std::string RecycleBinInfo(const std::string& originalPath, uint64_t size, int64_t deletedAt) {
    std::u16string path = text::Utf8ToUtf16(originalPath);
    path.push_back(u'\0');
    std::string bytes;
    PutInt(bytes, 2, 8);
    PutInt(bytes, size, 8);
    PutInt(bytes, static_cast<uint64_t>(deletedAt), 8);
    PutInt(bytes, path.size(), 4);
    for (char16_t unit : path) PutInt(bytes, unit, 2);
    return bytes;
}

WindowsImageRecycleBin::WindowsImageRecycleBin(PortableFileSystem& image, std::string sid,
                                               std::function<int64_t()> now, uint32_t seed)
    : image_(image), sid_(std::move(sid)), now_(std::move(now)), random_(seed) {}

bool WindowsImageRecycleBin::Recycle(const std::string& given) {
    std::string path = text::ReplaceAll(given, "/", "\\");
    while (path.size() > 3 && path.back() == '\\') path.pop_back();
    if (path.size() < 4 || !std::isalpha(static_cast<unsigned char>(path[0])) || path[1] != ':' ||
        path[2] != '\\')
        return false;
    auto host = image_.ToHost(path);
    auto bin = image_.ToHost(path.substr(0, 2) + "\\$Recycle.Bin\\" + sid_);
    std::error_code ec;
    if (!host || !bin || !fs::exists(fs::symlink_status(*host, ec))) return false;
    fs::create_directories(*bin, ec);
    if (ec) return false;

    std::string original = OriginalPath(path, *host);
    std::string info = RecycleBinInfo(original, TotalSize(*host), now_());
    std::string extension = Extension(hostpath::ToUtf8(host->filename()));
    for (int attempt = 0; attempt < 100; ++attempt) {
        std::string name = RandomName() + extension;
        fs::path content = *bin / hostpath::FromUtf8("$R" + name);
        fs::path infoFile = *bin / hostpath::FromUtf8("$I" + name);
        if (fs::exists(fs::symlink_status(content, ec)) ||
            fs::exists(fs::symlink_status(infoFile, ec)))
            continue;
        {
            std::ofstream out(infoFile, std::ios::binary);
            if (!out.write(info.data(), static_cast<std::streamsize>(info.size()))) return false;
        }
        fs::rename(*host, content, ec);
        if (!ec) return true;
        fs::remove(infoFile, ec);
        return false;
    }
    return false;
}

// The path as that Windows spells it: each name as the image holds it (a short name
// given becomes the long one).
std::string WindowsImageRecycleBin::OriginalPath(const std::string& path,
                                                 const fs::path& host) const {
    std::string drive(1, static_cast<char>(std::toupper(static_cast<unsigned char>(path[0]))));
    drive += ":";
    auto root = image_.ToHost(drive + "\\");
    if (!root) return path;
    std::string relative = hostpath::ToUtf8(host.lexically_relative(*root));
    if (relative.empty() || relative == "." || text::StartsWith(relative, "..")) return path;
    return drive + "\\" + text::ReplaceAll(relative, "/", "\\");
}

std::string WindowsImageRecycleBin::RandomName() {
    static const char kLetters[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789";
    std::uniform_int_distribution<size_t> pick(0, sizeof kLetters - 2);
    std::string name;
    for (int i = 0; i < 6; ++i) name += kLetters[pick(random_)];
    return name;
}
