#include "platform/portable/PortableFileSystem.h"

#include <algorithm>
#include <fstream>
#include <iterator>
#include <system_error>

#include "platform/Text.h"
#include "platform/portable/HostPath.h"
#include "platform/portable/HostStat.h"

namespace fs = std::filesystem;

namespace {

bool IsSeparator(char c) { return c == '\\' || c == '/'; }

bool HasDriveLetter(const std::string& path) {
    return path.size() >= 2 && path[1] == ':' &&
           ((path[0] >= 'A' && path[0] <= 'Z') || (path[0] >= 'a' && path[0] <= 'z'));
}

char DriveLetter(const std::string& path) {
    return static_cast<char>(path[0] >= 'a' ? path[0] - 32 : path[0]);
}

// Windows ignores trailing dots and blanks of a file or folder name.
std::string StripTrailingDotsAndBlanks(const std::string& name) {
    if (name == "." || name == "..") return name;
    size_t end = name.size();
    while (end > 0 && (name[end - 1] == '.' || name[end - 1] == ' ')) --end;
    return name.substr(0, end);
}

std::vector<std::string> SplitComponents(const std::string& rest) {
    std::vector<std::string> parts;
    std::string current;
    for (char c : rest) {
        if (IsSeparator(c)) {
            if (!current.empty()) parts.push_back(current);
            current.clear();
        } else {
            current += c;
        }
    }
    if (!current.empty()) parts.push_back(current);
    return parts;
}

// The entry of `folder` named `name` without regard to case; `name` itself when the
// folder has none.
fs::path MatchEntry(const fs::path& folder, const std::string& name) {
    fs::path exact = folder / hostpath::FromUtf8(name);
    std::error_code ec;
    if (fs::exists(fs::symlink_status(exact, ec))) return exact;
    for (fs::directory_iterator it(folder, ec), end; !ec && it != end; it.increment(ec)) {
        if (text::EqualsNoCase(hostpath::ToUtf8(it->path().filename()), name)) return it->path();
    }
    return exact;
}

struct Resolved {
    fs::path host;
    bool trailingSeparator = false;
};

bool ReadWhole(const fs::path& host, std::string& bytes) {
    std::ifstream in(host, std::ios::binary);
    if (!in) return false;
    bytes.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    return !in.bad();
}

}  // namespace

void PortableFileSystem::MapDrive(char letter, const std::string& hostFolder, uint32_t driveType) {
    if (letter >= 'a' && letter <= 'z') letter = static_cast<char>(letter - 32);
    drives_[letter] = Drive{hostpath::FromProgramPath(hostFolder), driveType};
}

std::optional<fs::path> PortableFileSystem::ToHost(const std::string& path) const {
    if (path.empty() || path.find_first_of("*?\"<>|") != std::string::npos) return std::nullopt;

    fs::path base;
    std::string rest;
    if (HasDriveLetter(path)) {
        auto drive = drives_.find(DriveLetter(path));
        if (drive == drives_.end()) {
#ifdef _WIN32
            return hostpath::FromUtf8(path);  // a drive of the host itself
#else
            return std::nullopt;
#endif
        }
        rest = path.substr(2);
        if (rest.find(':') != std::string::npos) return std::nullopt;
        if (rest.empty() || !IsSeparator(rest[0])) {
            // "C:name" is relative to the current folder when that is on the same drive.
            if (!currentFolder_.empty() && HasDriveLetter(currentFolder_) &&
                DriveLetter(currentFolder_) == DriveLetter(path))
                return ToHost(currentFolder_ + "\\" + rest);
        }
        base = drive->second.root;
    } else if (path.size() >= 2 && IsSeparator(path[0]) && IsSeparator(path[1])) {
        return std::nullopt;  // network paths reach nothing here
    } else if (IsSeparator(path[0])) {
        base = fs::path("/");
        rest = path;
    } else {
        if (!currentFolder_.empty()) return ToHost(currentFolder_ + "\\" + path);
        std::error_code ec;
        base = fs::current_path(ec);
        rest = path;
    }

    fs::path host = base;
    for (const std::string& raw : SplitComponents(rest)) {
        std::string part = StripTrailingDotsAndBlanks(raw);
        if (part.empty() || part == ".") continue;
        if (part == "..") {
            if (host != base) host = host.parent_path();
            continue;
        }
        host = MatchEntry(host, part);
    }
    return host;
}

namespace {
Resolved ResolveWith(const PortableFileSystem& files, const std::string& path, bool& ok) {
    Resolved r;
    auto host = files.ToHost(path);
    ok = host.has_value();
    if (ok) {
        r.host = *host;
        r.trailingSeparator = !path.empty() && IsSeparator(path.back());
    }
    return r;
}
}  // namespace

uint32_t HostAttributes(const fs::path& host) {
    HostFileStatus st;
    if (!QueryHostFile(host, st)) return 0;
    uint32_t attributes = st.dosBits;
    if (st.isDirectory) {
        attributes |= kAttrDirectory;
    } else {
        attributes |= kAttrArchive;
        if (!st.writable) attributes |= kAttrReadOnly;
    }
    return attributes;
}

bool PortableFileSystem::GetAttributes(const std::string& path, uint32_t& attributes) {
    bool ok = false;
    Resolved r = ResolveWith(*this, path, ok);
    HostFileStatus st;
    if (!ok || !QueryHostFile(r.host, st)) return false;
    if (r.trailingSeparator && !st.isDirectory) return false;  // "file\" names nothing
    attributes = HostAttributes(r.host);
    return true;
}

bool PortableFileSystem::CanOpenForReading(const std::string& path) {
    bool ok = false;
    Resolved r = ResolveWith(*this, path, ok);
    HostFileStatus st;
    if (!ok || r.trailingSeparator || !QueryHostFile(r.host, st)) return false;
    if (!st.isRegular || !st.readable) return false;
    std::ifstream in(r.host, std::ios::binary);
    return static_cast<bool>(in);
}

uint32_t PortableFileSystem::QueryDriveType(const std::string& root) {
    if (!HasDriveLetter(root)) return kDriveNoRootDir;
    std::string after = root.substr(2);
    if (!(after.empty() || after == "\\" || after == "/")) return kDriveNoRootDir;
    auto drive = drives_.find(DriveLetter(root));
    return drive == drives_.end() ? kDriveNoRootDir : drive->second.type;
}

bool PortableFileSystem::ListFolder(const std::string& folder, std::vector<DirEntry>& entries) {
    entries.clear();
    bool ok = false;
    Resolved r = ResolveWith(*this, folder, ok);
    HostFileStatus st;
    if (!ok || !QueryHostFile(r.host, st) || !st.isDirectory || !st.readable) return false;

    std::vector<DirEntry> found;
    std::error_code ec;
    for (fs::directory_iterator it(r.host, ec), end; !ec && it != end; it.increment(ec))
        found.push_back(DirEntry{hostpath::ToUtf8(it->path().filename()), HostAttributes(it->path())});
    if (ec) return false;
    // NTFS lists names in case-insensitive order.
    std::sort(found.begin(), found.end(), [](const DirEntry& a, const DirEntry& b) {
        return text::CompareNoCase(a.name, b.name) < 0;
    });

    bool isDriveRoot = false;
    for (const auto& [letter, drive] : drives_) {
        std::error_code eq;
        if (fs::equivalent(drive.root, r.host, eq)) isDriveRoot = true;
    }
    if (!isDriveRoot) {
        entries.push_back(DirEntry{".", kAttrDirectory});
        entries.push_back(DirEntry{"..", kAttrDirectory});
    }
    entries.insert(entries.end(), found.begin(), found.end());
    return true;
}

bool PortableFileSystem::GetLastAccessTime(const std::string& path, DateTime& time) {
    bool ok = false;
    Resolved r = ResolveWith(*this, path, ok);
    HostFileStatus st;
    if (!ok || !QueryHostFile(r.host, st) || !st.hasAccessTime) return false;
    time = st.accessTime;
    return true;
}

bool PortableFileSystem::CanWrite(const fs::path& host) const {
    HostFileStatus st;
    if (QueryHostFile(host, st)) return st.isRegular && st.writable;
    HostFileStatus folder;
    return QueryHostFile(host.parent_path(), folder) && folder.isDirectory && folder.writable;
}

bool PortableFileSystem::AppendLine(const std::string& path, const std::string& text) {
    bool ok = false;
    Resolved r = ResolveWith(*this, path, ok);
    if (!ok || r.trailingSeparator || !CanWrite(r.host)) return false;
    std::ofstream out(r.host, std::ios::binary | std::ios::app);
    if (!out) return false;
    out << text::Utf8ToAnsi(text) << "\r\n";
    return static_cast<bool>(out);
}

bool PortableFileSystem::CreateEmpty(const std::string& path) { return WriteFile(path, ""); }

bool PortableFileSystem::ReadFile(const std::string& path, std::string& bytes) {
    bool ok = false;
    Resolved r = ResolveWith(*this, path, ok);
    HostFileStatus st;
    if (!ok || r.trailingSeparator || !QueryHostFile(r.host, st)) return false;
    if (!st.isRegular || !st.readable) return false;
    return ReadWhole(r.host, bytes);
}

bool PortableFileSystem::WriteFile(const std::string& path, const std::string& bytes) {
    bool ok = false;
    Resolved r = ResolveWith(*this, path, ok);
    if (!ok || r.trailingSeparator || !CanWrite(r.host)) return false;
    std::ofstream out(r.host, std::ios::binary | std::ios::trunc);
    if (!out) return false;
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    return static_cast<bool>(out);
}

bool PortableFileSystem::WriteAnsiText(const std::string& path, const std::string& text) {
    return WriteFile(path, text::Utf8ToAnsi(text));
}
