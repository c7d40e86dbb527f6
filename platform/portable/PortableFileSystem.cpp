#include "platform/portable/PortableFileSystem.h"

#include <algorithm>
#include <fstream>
#include <iterator>
#include <system_error>

#include "platform/Text.h"
#include "platform/portable/HostIo.h"
#include "platform/portable/HostPath.h"
#include "platform/portable/HostStat.h"
#include "platform/portable/ShortNames.h"

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
    if (fs::exists(fs::symlink_status(hostpath::Reachable(exact), ec))) return exact;
    std::vector<fs::path> entries;
    ListHostFolder(hostpath::Reachable(folder), entries);
    for (const fs::path& entry : entries)
        if (text::EqualsNoCase(hostpath::ToUtf8(entry.filename()), name)) return entry;
    return exact;
}

// The names of a path, without the trailing dots and blanks Windows ignores.
std::vector<std::string> SplitParts(const std::string& rest) {
    std::vector<std::string> parts = SplitComponents(rest);
    for (std::string& part : parts) part = StripTrailingDotsAndBlanks(part);
    return parts;
}

bool IsHostSeparator(fs::path::value_type c) {
    return c == '/' || c == static_cast<fs::path::value_type>(fs::path::preferred_separator);
}

// The parts appended to the base as `/=` appends them, built in one string. False for
// the parts that do more than append (a "..", a name with a drive or root part), and
// for a base that ends in a drive: those go the entry-by-entry way only.
bool SpelledPath(const fs::path& base, const std::vector<std::string>& parts, fs::path& out) {
    fs::path::string_type text = base.native();
    if (!text.empty() && text.back() == ':') return false;
    for (const std::string& part : parts) {
        if (part.empty() || part == ".") continue;
        if (part == ".." || part.find(':') != std::string::npos) return false;
        if (!text.empty() && !IsHostSeparator(text.back())) text += fs::path::preferred_separator;
        text += hostpath::NativeFromUtf8(part);
    }
    out = fs::path(std::move(text));
    return true;
}

bool ReadWhole(const fs::path& host, std::string& bytes) {
    std::ifstream in(host, std::ios::binary | std::ios::ate);
    if (!in) return false;
    bytes.clear();
    // The size it has now in one read, then whatever was added meanwhile.
    const std::streamoff size = in.tellg();
    if (size > 0 && in.seekg(0)) {
        bytes.resize(static_cast<size_t>(size));
        in.read(bytes.data(), size);
        bytes.resize(static_cast<size_t>(in.gcount()));
    } else {
        in.clear();
        in.seekg(0);
    }
    char chunk[65536];
    while (in.read(chunk, sizeof chunk) || in.gcount() > 0)
        bytes.append(chunk, static_cast<size_t>(in.gcount()));
    return !in.bad();
}

}  // namespace

void PortableFileSystem::MapDrive(char letter, const std::string& hostFolder, uint32_t driveType) {
    if (letter >= 'a' && letter <= 'z') letter = static_cast<char>(letter - 32);
    drives_[letter] = Drive{hostpath::FromProgramPath(hostFolder), driveType};
    spelled_ = {};
    appending_.clear();
}

void PortableFileSystem::SetCurrentFolder(const std::string& folder) {
    currentFolder_ = folder;
    spelled_ = {};
    appending_.clear();
}

const fs::path* PortableFileSystem::FindSpelled(const std::string& path) const {
    for (const Spelled& s : spelled_)
        if (s.kept && s.path == path) return &s.host;
    return nullptr;
}

void PortableFileSystem::KeepSpelled(const std::string& path, const fs::path& host) const {
    Spelled& s = spelled_[nextSpelled_];
    nextSpelled_ = (nextSpelled_ + 1) % spelled_.size();
    s.path = path;
    s.host = host;
    s.kept = true;
}

std::optional<fs::path> PortableFileSystem::ToHost(const std::string& path) const {
    return Resolve(path, nullptr, nullptr);
}

std::optional<fs::path> PortableFileSystem::Resolve(const std::string& givenPath,
                                                    HostFileStatus* found, bool* uncertain) const {
    if (found) *found = HostFileStatus{};
    // The system's calls read a path up to its first NUL.
    const std::string path = givenPath.substr(0, givenPath.find('\0'));
    if (path.empty() || path.find_first_of("*?\"<>|") != std::string::npos) return std::nullopt;

    fs::path base;
    std::string rest;
    bool fromWorkingFolder = false;  // the process's own, which may change: not kept
    if (HasDriveLetter(path)) {
        auto drive = drives_.find(DriveLetter(path));
        if (drive == drives_.end()) {
#ifdef _WIN32
            return hostpath::Reachable(hostpath::FromUtf8(path));  // a drive of the host itself
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
                return Resolve(currentFolder_ + "\\" + rest, found, uncertain);
        }
        base = drive->second.root;
    } else if (path.size() >= 2 && IsSeparator(path[0]) && IsSeparator(path[1])) {
        return std::nullopt;  // network paths reach nothing here
    } else if (IsSeparator(path[0])) {
        base = fs::path("/");
        rest = path;
    } else {
        if (!currentFolder_.empty()) return Resolve(currentFolder_ + "\\" + path, found, uncertain);
        // An image's relative names never reach the host's own working folder.
        if (!drives_.empty()) {
            char letter = drives_.count('C') ? 'C' : drives_.begin()->first;
            return Resolve(std::string(1, letter) + ":\\" + path, found, uncertain);
        }
        std::error_code ec;
        base = fs::current_path(ec);
        rest = path;
        fromWorkingFolder = true;
    }

    // When the path as spelled names an existing entry, each of its folders exists as
    // spelled too: the entry-by-entry match below would find the same path.
    fs::path exact;
    bool spelled = false;
    if (const fs::path* kept = fromWorkingFolder ? nullptr : FindSpelled(path)) {
        exact = *kept;
        spelled = true;
    } else {
        spelled = SpelledPath(base, SplitParts(rest), exact);
        if (spelled && !fromWorkingFolder) KeepSpelled(path, exact);
    }
    exact = hostpath::Reachable(exact);
    HostFileStatus status;
    if (spelled && QueryHostFile(exact, status, kHostBasic)) {
        if (found) {
            *found = status;
            found->known = true;
        }
        return exact;
    }

    fs::path host = base;
    for (const std::string& part : SplitParts(rest)) {
        if (part.empty() || part == ".") continue;
        if (part == "..") {
            if (host != base) host = host.parent_path();
            continue;
        }
        fs::path next = MatchEntry(host, part);
        std::error_code ec;
        if (!fs::exists(fs::symlink_status(next, ec))) {
            bool unsure = false;
            if (auto shortMatch = MatchShortName(host, part, unsure)) next = *shortMatch;
            if (unsure && uncertain) *uncertain = true;
        }
        host = next;
    }
    return hostpath::Reachable(host);
}

bool PortableFileSystem::ResolveWith(const std::string& path, Resolved& r) const {
    auto host = Resolve(path, &r.status, nullptr);
    if (!host) return false;
    r.host = std::move(*host);
    r.trailingSeparator = !path.empty() && IsSeparator(path.back());
    return true;
}

bool PortableFileSystem::BasicStatus(const Resolved& r, HostFileStatus& st) {
    if (r.status.known) {
        st = r.status;
        return true;
    }
    return QueryHostFile(r.host, st, kHostBasic);
}

namespace {
uint32_t AttributesOf(const HostFileStatus& st) {
    uint32_t attributes = st.dosBits;
    if (st.isLink) attributes |= kAttrReparsePoint;
    if (st.isDirectory) {
        attributes |= kAttrDirectory;
    } else {
        attributes |= kAttrArchive;
        if (!st.writable) attributes |= kAttrReadOnly;
    }
    return attributes;
}
}  // namespace

uint32_t HostAttributes(const fs::path& host) {
    HostFileStatus st;
    if (!QueryHostFile(host, st, kHostDosBits)) return 0;
    return AttributesOf(st);
}

bool PortableFileSystem::GetAttributes(const std::string& path, uint32_t& attributes) {
    Resolved r;
    HostFileStatus st;
    if (!ResolveWith(path, r)) return false;
    if (r.status.known) {
        st = r.status;
        AddHostDetails(r.host, st, kHostDosBits);
    } else if (!QueryHostFile(r.host, st, kHostDosBits)) {
        return false;
    }
    if (r.trailingSeparator && !st.isDirectory) return false;  // "file\" names nothing
    attributes = AttributesOf(st);
    return true;
}

bool PortableFileSystem::CanOpenForReading(const std::string& path) {
    Resolved r;
    HostFileStatus st;
    if (!ResolveWith(path, r) || r.trailingSeparator || !BasicStatus(r, st)) return false;
    if (!st.isRegular || !st.readable) return false;
    return HostOpensForReading(r.host);
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
    Resolved r;
    HostFileStatus st;
    if (!ResolveWith(folder, r) || !BasicStatus(r, st) || !st.isDirectory || !st.readable)
        return false;

    std::vector<fs::path> paths;
    if (!ListHostFolder(r.host, paths)) return false;
    std::vector<DirEntry> found;
    for (const fs::path& path : paths)
        found.push_back(DirEntry{hostpath::ToUtf8(path.filename()), HostAttributes(path)});
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
    Resolved r;
    HostFileStatus st;
    if (!ResolveWith(path, r) || !QueryHostFile(r.host, st, kHostAccessTime) || !st.hasAccessTime)
        return false;
    time = st.accessTime;
    return true;
}

bool PortableFileSystem::GetFolderId(const std::string& folder, FolderId& id) {
    Resolved r;
    HostFileStatus st;
    if (!ResolveWith(folder, r) || !BasicStatus(r, st) || !st.isDirectory) return false;
    return QueryHostId(r.host, id.volume, id.index);
}

bool PortableFileSystem::ExistenceUnknown(const std::string& path) {
    if (path.size() >= 2 && IsSeparator(path[0]) && IsSeparator(path[1]))
        return true;  // no share is reached from here
    bool uncertain = false;
    HostFileStatus st;
    auto host = Resolve(path, &st, &uncertain);
    if (uncertain) return true;
    // A link that leads nowhere is still an entry, as a Windows link is.
    return host && (st.known ? st.isLink : QueryHostFile(*host, st, kHostBasic) && st.isLink);
}

bool PortableFileSystem::GetFileStamp(const std::string& path, FileStamp& stamp) {
    Resolved r;
    HostFileStatus st;
    if (!ResolveWith(path, r) || r.trailingSeparator || !BasicStatus(r, st) || !st.isRegular)
        return false;
    stamp = FileStamp{st.size, st.modifiedNs, st.changedNs, st.fileId, st.volume, st.readable};
    return true;
}

bool PortableFileSystem::CanWrite(const Resolved& r) const {
    HostFileStatus st;
    if (BasicStatus(r, st)) return st.isRegular && st.writable;
    HostFileStatus folder;
    return QueryHostFile(r.host.parent_path(), folder, kHostBasic) && folder.isDirectory &&
           folder.writable;
}

HostAppendFile* PortableFileSystem::FindAppending(const std::string& path) {
    for (Appending& a : appending_)
        if (a.path == path) return &a.file;
    return nullptr;
}

void PortableFileSystem::CloseAppending(const std::string& path) {
    for (size_t i = 0; i < appending_.size(); ++i) {
        if (appending_[i].path == path) {
            appending_.erase(appending_.begin() + static_cast<std::ptrdiff_t>(i));
            return;
        }
    }
}

bool PortableFileSystem::AppendLine(const std::string& path, const std::string& text) {
    std::string line = text::Utf8ToAnsi(text);
    line += "\r\n";
    // The file kept open, while the path still names it.
    if (HostAppendFile* kept = FindAppending(path); kept && kept->StillNamed())
        return kept->Append(line);
    CloseAppending(path);

    Resolved r;
    if (!ResolveWith(path, r) || r.trailingSeparator || !CanWrite(r)) return false;
    HostAppendFile file;
    if (!file.Open(r.host)) return false;
    const bool written = file.Append(line);
    constexpr size_t kKeptOpen = 8;
    if (appending_.size() == kKeptOpen) appending_.erase(appending_.begin());
    appending_.push_back(Appending{path, std::move(file)});
    return written;
}

bool PortableFileSystem::CreateEmpty(const std::string& path) { return WriteFile(path, ""); }

bool PortableFileSystem::ReadFile(const std::string& path, std::string& bytes) {
    Resolved r;
    HostFileStatus st;
    if (!ResolveWith(path, r) || r.trailingSeparator || !BasicStatus(r, st)) return false;
    if (!st.isRegular || !st.readable) return false;
    return ReadWhole(r.host, bytes);
}

bool PortableFileSystem::WriteFile(const std::string& path, const std::string& bytes) {
    CloseAppending(path);
    Resolved r;
    if (!ResolveWith(path, r) || r.trailingSeparator || !CanWrite(r)) return false;
    std::ofstream out(r.host, std::ios::binary | std::ios::trunc);
    if (!out) return false;
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    return static_cast<bool>(out);
}

bool PortableFileSystem::WriteAnsiText(const std::string& path, const std::string& text) {
    return WriteFile(path, text::Utf8ToAnsi(text));
}
