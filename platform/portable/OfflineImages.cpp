#include "platform/portable/OfflineImages.h"

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <fstream>
#include <sstream>

#include "platform/FileSystem.h"
#include "platform/Text.h"
#include "platform/portable/HiveFile.h"
#include "platform/portable/HostPath.h"
#include "platform/portable/HostStat.h"
#include "platform/portable/WineRegFile.h"

namespace fs = std::filesystem;

namespace {

// The entry of a host folder named `name` in any letter case; "" when there is none.
std::string FindChild(const std::string& folder, const std::string& name) {
    std::vector<fs::path> entries;
    if (!ListHostFolder(hostpath::FromUtf8(folder), entries)) return "";
    std::sort(entries.begin(), entries.end());
    for (const fs::path& entry : entries)
        if (text::EqualsNoCase(hostpath::ToUtf8(entry.filename()), name))
            return hostpath::ToUtf8(entry);
    return "";
}

std::string FindPath(std::string folder, const std::vector<std::string>& names) {
    for (const std::string& name : names) {
        folder = FindChild(folder, name);
        if (folder.empty()) return "";
    }
    return folder;
}

bool IsHostFolder(const std::string& path) {
    HostFileStatus status;
    return !path.empty() && QueryHostFile(hostpath::FromUtf8(path), status, kHostBasic) &&
           status.isDirectory;
}

bool IsHostFile(const std::string& path, int64_t* modifiedNs = nullptr) {
    HostFileStatus status;
    if (path.empty() || !QueryHostFile(hostpath::FromUtf8(path), status, kHostBasic) ||
        !status.isRegular)
        return false;
    if (modifiedNs) *modifiedNs = status.modifiedNs;
    return true;
}

bool ReadHostFile(const std::string& path, std::string& bytes) {
    std::ifstream in(hostpath::FromUtf8(path), std::ios::binary);
    if (!in) return false;
    std::ostringstream all;
    all << in.rdbuf();
    bytes = all.str();
    return !in.bad();
}

bool KeyExists(InMemoryRegistry& registry, RegKey hive, const std::string& path) {
    ScopedRegKey key(registry);
    return key.Open(hive, path, KEY_QUERY_VALUE_) == kRegSuccess;
}

std::string ReadText(InMemoryRegistry& registry, RegKey hive, const std::string& path,
                     const std::string& name) {
    ScopedRegKey key(registry);
    RegValue value;
    if (key.Open(hive, path, KEY_QUERY_VALUE_) != kRegSuccess ||
        registry.QueryValue(key.Get(), name, 32767, value) != kRegSuccess ||
        !IsStringType(value.type))
        return "";
    return value.data.substr(0, value.data.find('\0'));
}

// Windows links CurrentControlSet to the control set Select\Current names when it
// starts; offline it is a copy. True when the copy was made.
bool AddCurrentControlSet(InMemoryRegistry& registry) {
    if (KeyExists(registry, HKLM, "SYSTEM\\CurrentControlSet")) return false;
    ScopedRegKey select(registry);
    RegValue value;
    if (select.Open(HKLM, "SYSTEM\\Select", KEY_QUERY_VALUE_) != kRegSuccess ||
        registry.QueryValue(select.Get(), "Current", 4, value) != kRegSuccess ||
        value.type != REG_DWORD_ || value.data.size() != 4)
        return false;
    uint32_t current = 0;
    for (int i = 3; i >= 0; --i) current = current << 8 | static_cast<unsigned char>(value.data[i]);
    char name[32];
    std::snprintf(name, sizeof name, "ControlSet%03u", current);
    if (current == 0 || current >= 1000 ||
        !KeyExists(registry, HKLM, std::string("SYSTEM\\") + name))
        return false;
    CopyRegistryTree(registry, HKLM, std::string("SYSTEM\\") + name, HKLM,
                     "SYSTEM\\CurrentControlSet");
    return true;
}

// The variables Windows puts into HKCU\Volatile Environment when the user logs on.
// True when the key was made up.
bool AddVolatileEnvironment(InMemoryRegistry& registry, const OfflineProfile& profile,
                            bool newLayout) {
    const std::string key = "Volatile Environment";
    if (KeyExists(registry, HKCU, key)) return false;
    const std::string& home = profile.image;
    std::pair<const char*, std::string> values[] = {
        {"USERPROFILE", home},
        {"HOMEDRIVE", home.substr(0, 2)},
        {"HOMEPATH", home.substr(2)},
        {"USERNAME", profile.name},
        {"APPDATA", home + (newLayout ? "\\AppData\\Roaming" : "\\Application Data")},
        {"LOCALAPPDATA",
         home + (newLayout ? "\\AppData\\Local" : "\\Local Settings\\Application Data")},
    };
    for (const auto& [name, data] : values) registry.PutValue(HKCU, key, name, RegString(data));
    return true;
}

uint32_t WineDriveType(const std::string& type) {
    std::string t = text::ToLower(type);
    if (t == "floppy") return kDriveRemovable;
    if (t == "network") return kDriveRemote;
    if (t == "cdrom") return kDriveCdrom;
    if (t == "ramdisk") return kDriveRamdisk;
    return kDriveFixed;  // "hd", or nothing said
}

}  // namespace

std::vector<OfflineProfile> FindOfflineProfiles(const std::string& rootGiven) {
    const std::string root = hostpath::ToUtf8(hostpath::FromProgramPath(rootGiven));
    std::vector<OfflineProfile> profiles;
    for (const char* container : {"Users", "Documents and Settings"}) {
        std::string folder = FindChild(root, container);
        std::vector<fs::path> entries;
        if (folder.empty() || !ListHostFolder(hostpath::FromUtf8(folder), entries)) continue;
        bool newLayout = std::string(container) == "Users";
        for (const fs::path& entry : entries) {
            OfflineProfile profile;
            profile.name = hostpath::ToUtf8(entry.filename());
            bool shared = false;
            for (const char* skipped : {"Default", "Default User", "All Users", "Public"})
                shared = shared || text::EqualsNoCase(profile.name, skipped);
            profile.folder = hostpath::ToUtf8(entry);
            if (shared || !IsHostFolder(profile.folder)) continue;
            profile.ntuser = FindChild(profile.folder, "NTUSER.DAT");
            if (!IsHostFile(profile.ntuser, &profile.modifiedNs)) continue;
            profile.image = "C:\\" + std::string(container) + "\\" + profile.name;
            profile.usrClass =
                newLayout ? FindPath(profile.folder,
                                     {"AppData", "Local", "Microsoft", "Windows", "UsrClass.dat"})
                          : FindPath(profile.folder, {"Local Settings", "Application Data",
                                                      "Microsoft", "Windows", "UsrClass.dat"});
            if (!IsHostFile(profile.usrClass)) profile.usrClass.clear();
            profiles.push_back(profile);
        }
    }
    std::sort(profiles.begin(), profiles.end(),
              [](const OfflineProfile& a, const OfflineProfile& b) {
                  return text::CompareNoCase(a.name, b.name) < 0;
              });
    return profiles;
}

bool ChooseOfflineProfile(const std::vector<OfflineProfile>& profiles, const std::string& wanted,
                          size_t& chosen, std::string& why, std::string& error) {
    std::string names;
    for (const OfflineProfile& p : profiles) names += (names.empty() ? "" : ", ") + p.name;
    if (!wanted.empty()) {
        for (size_t i = 0; i < profiles.size(); ++i) {
            if (!text::EqualsNoCase(profiles[i].name, wanted)) continue;
            chosen = i;
            why = "as --user asks";
            return true;
        }
        error = "no user profile \"" + wanted + "\" (with an NTUSER.DAT) in the installation" +
                (names.empty() ? std::string() : "; its profiles: " + names);
        return false;
    }
    if (profiles.empty()) {
        error = "the installation has no user profile (Users\\NAME\\NTUSER.DAT)";
        return false;
    }
    chosen = 0;
    if (profiles.size() == 1) {
        why = "its only profile";
        return true;
    }
    for (size_t i = 1; i < profiles.size(); ++i)
        if (profiles[i].modifiedNs > profiles[chosen].modifiedNs) chosen = i;
    why = "its NTUSER.DAT was written last of " + std::to_string(profiles.size()) + " profiles (" +
          names + "); --user chooses another";
    return true;
}

bool LoadWindowsInstallation(InMemoryRegistry& registry, const std::string& root,
                             const std::string& user, std::string& note, std::string& error) {
    WindowsInstallation loaded;
    return LoadWindowsInstallation(registry, root, user, loaded, note, error);
}

bool LoadWindowsInstallation(InMemoryRegistry& registry, const std::string& rootGiven,
                             const std::string& user, WindowsInstallation& loaded,
                             std::string& note, std::string& error) {
    const std::string root = hostpath::ToUtf8(hostpath::FromProgramPath(rootGiven));
    if (!HiveFilesReadable()) {
        error =
            "reading a Windows installation's hives needs hivex, which only the Linux build has";
        return false;
    }
    if (!IsHostFolder(root)) {
        error = "'" + root + "' is not a folder";
        return false;
    }
    std::string config = FindPath(root, {"Windows", "System32", "config"});
    std::string software = config.empty() ? "" : FindChild(config, "SOFTWARE");
    std::string system = config.empty() ? "" : FindChild(config, "SYSTEM");
    if (!IsHostFile(software) || !IsHostFile(system)) {
        error = "'" + root +
                "' holds no Windows\\System32\\config\\SOFTWARE and SYSTEM: give the root of a "
                "Windows system drive";
        return false;
    }
    std::vector<OfflineProfile> profiles = FindOfflineProfiles(root);
    size_t chosen = 0;
    std::string why;
    if (!ChooseOfflineProfile(profiles, user, chosen, why, error)) {
        error = "'" + root + "': " + error;
        return false;
    }
    const OfflineProfile& profile = profiles[chosen];
    std::vector<MountedHive> hives = {{HKLM, "SOFTWARE", software, {}},
                                      {HKLM, "SYSTEM", system, {}},
                                      {HKCU, "", profile.ntuser, {}}};
    if (!profile.usrClass.empty()) {
        hives[2].skip.push_back("Software\\Classes");
        hives.push_back({HKCU, "Software\\Classes", profile.usrClass, {}});
    }
    for (const MountedHive& mounted : hives)
        if (!LoadHiveFile(registry, mounted.hive, mounted.below, mounted.file, error)) return false;
    if (AddCurrentControlSet(registry)) hives[1].skip.push_back("CurrentControlSet");
    if (AddVolatileEnvironment(registry, profile, text::StartsWith(profile.image, "C:\\Users\\")))
        hives[2].skip.push_back("Volatile Environment");
    loaded = {profile, std::move(hives)};
    note = "user profile " + profile.image + " (" + why + ")";
    return true;
}

bool LoadWinePrefix(InMemoryRegistry& registry, const std::string& prefixGiven,
                    std::vector<OfflineDrive>& drives, std::string& note, std::string& error) {
    const std::string prefix = hostpath::ToUtf8(hostpath::FromProgramPath(prefixGiven));
    if (!IsHostFolder(prefix)) {
        error = "'" + prefix + "' is not a folder";
        return false;
    }
    struct File {
        const char* name;
        RegKey hive;
        const char* below;
        bool needed;
        WineRegFileInfo info;
    } files[] = {{"system.reg", HKLM, "", true, {}},
                 {"user.reg", HKCU, "", true, {}},
                 {"userdef.reg", HKU, ".DEFAULT", false, {}}};
    for (File& file : files) {
        std::string path = hostpath::ToUtf8(hostpath::FromUtf8(prefix) / file.name);
        std::string bytes;
        if (!IsHostFile(path) || !ReadHostFile(path, bytes)) {
            if (!file.needed) continue;
            error = path + ": the file cannot be read (is '" + prefix + "' a Wine prefix?)";
            return false;
        }
        if (!ImportWineRegFile(registry, file.hive, file.below, bytes, file.info, error)) {
            error = path + ": " + error;
            return false;
        }
    }
    // user.reg says whose keys it holds: "REGISTRY\User\S-1-5-21-0-0-0-1000".
    std::string sid, relative = files[1].info.relativeTo;
    size_t cut = relative.rfind('\\');
    if (cut != std::string::npos) sid = relative.substr(cut + 1);
    for (const File& file : files) ResolveWineLinks(registry, file.hive, file.info.links, sid);

    std::string dosdevices = hostpath::ToUtf8(hostpath::FromUtf8(prefix) / "dosdevices");
    std::vector<fs::path> entries;
    ListHostFolder(hostpath::FromUtf8(dosdevices), entries);
    std::string letters;
    for (const fs::path& entry : entries) {
        std::string name = hostpath::ToUtf8(entry.filename());
        if (name.size() != 2 || name[1] != ':' ||
            !std::isalpha(static_cast<unsigned char>(name[0])))
            continue;
        std::string folder = hostpath::ToUtf8(entry);
        if (!IsHostFolder(folder)) continue;  // a link to nothing, or to a device
        OfflineDrive drive;
        drive.letter = static_cast<char>(std::toupper(static_cast<unsigned char>(name[0])));
        drive.folder = folder;
        drive.type =
            WineDriveType(ReadText(registry, HKLM, "Software\\Wine\\Drives", text::ToLower(name)));
        drives.push_back(drive);
    }
    std::sort(drives.begin(), drives.end(),
              [](const OfflineDrive& a, const OfflineDrive& b) { return a.letter < b.letter; });
    for (const OfflineDrive& drive : drives)
        letters += std::string(letters.empty() ? "" : " ") + drive.letter + ":";
    if (std::none_of(drives.begin(), drives.end(),
                     [](const OfflineDrive& d) { return d.letter == 'C'; })) {
        error = dosdevices + ": no link c: to the prefix's drive C:";
        return false;
    }
    note = "Wine prefix of " + (sid.empty() ? std::string("an unnamed user") : sid) + ", drives " +
           letters;
    return true;
}
