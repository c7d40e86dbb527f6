#include "platform/portable/PortableTrash.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <cctype>
#include <ctime>
#include <string_view>

#include "platform/portable/HostPath.h"

namespace fs = std::filesystem;

namespace {

bool SameDevice(const fs::path& a, const fs::path& b) {
    struct stat sa {}, sb {};
    return ::lstat(a.c_str(), &sa) == 0 && ::stat(b.c_str(), &sb) == 0 && sa.st_dev == sb.st_dev;
}

fs::path HomeTrash() {
    if (const char* data = std::getenv("XDG_DATA_HOME"); data && *data) return fs::path(data) / "Trash";
    const char* home = std::getenv("HOME");
    return fs::path(home && *home ? home : "/") / ".local" / "share" / "Trash";
}

// The top folder of the volume that holds `path`.
fs::path VolumeTop(const fs::path& path) {
    fs::path top = path.parent_path();
    while (top.has_relative_path() && SameDevice(top.parent_path(), top)) top = top.parent_path();
    return top;
}

// "%XX" for every byte a file URL may not hold as it is.
std::string UrlPath(const std::string& path) {
    static const char* hex = "0123456789ABCDEF";
    std::string out;
    for (unsigned char c : path) {
        if (std::isalnum(c) || std::string_view("/-_.~").find(static_cast<char>(c)) != std::string_view::npos) {
            out += static_cast<char>(c);
        } else {
            out += '%';
            out += hex[c >> 4];
            out += hex[c & 15];
        }
    }
    return out;
}

}  // namespace

bool PortableTrash::Recycle(const std::string& path) {
    auto host = files_.ToHost(path);
    std::error_code ec;
    if (!host || !fs::exists(fs::symlink_status(*host, ec))) return false;
    const fs::path file = fs::absolute(*host, ec);
    fs::path trash = HomeTrash();
    fs::create_directories(trash, ec);
    if (!SameDevice(file, trash.parent_path()))
        trash = VolumeTop(file) / (".Trash-" + std::to_string(::getuid()));
    fs::create_directories(trash / "files", ec);
    fs::create_directories(trash / "info", ec);

    // A free name: the file's own, else with ".2", ".3"... appended.
    std::string name = file.filename().string();
    std::string chosen = name;
    for (int n = 2; fs::exists(fs::symlink_status(trash / "files" / chosen, ec)) ||
                    fs::exists(trash / "info" / (chosen + ".trashinfo"), ec);
         ++n)
        chosen = name + "." + std::to_string(n);

    char stamp[32];
    std::time_t now = std::time(nullptr);
    std::tm local{};
    localtime_r(&now, &local);
    std::strftime(stamp, sizeof stamp, "%Y-%m-%dT%H:%M:%S", &local);
    const fs::path info = trash / "info" / (chosen + ".trashinfo");
    std::FILE* out = std::fopen(info.c_str(), "wx");
    if (!out) return false;
    std::fprintf(out, "[Trash Info]\nPath=%s\nDeletionDate=%s\n", UrlPath(file.string()).c_str(), stamp);
    if (std::fclose(out) != 0 || ::rename(file.c_str(), (trash / "files" / chosen).c_str()) != 0) {
        fs::remove(info, ec);
        return false;
    }
    return true;
}
