#pragma once
// Offline machines read straight from their registry files:
// - a Windows installation (the root folder of its system drive): its hives, read with
//   hivex (see HiveFile.h);
// - a Wine prefix: its system.reg, user.reg and userdef.reg (see WineRegFile.h) and
//   its drive letters (the links of dosdevices/).
// Paths here are host paths as the program writes them.
#include <cstdint>
#include <string>
#include <vector>

#include "platform/portable/HiveFile.h"
#include "platform/portable/InMemoryRegistry.h"

// A user profile of a Windows installation: a folder of Users\ (or of Documents and
// Settings\) that holds an NTUSER.DAT.
struct OfflineProfile {
    std::string name;        // the folder's name
    std::string folder;      // its host path
    std::string image;       // its path on the installation: "C:\Users\NAME"
    std::string ntuser;      // the host path of its NTUSER.DAT
    std::string usrClass;    // the host path of its UsrClass.dat, "" when it has none
    int64_t modifiedNs = 0;  // when NTUSER.DAT was last written
};

// The profiles of the installation at `root`, but the templates and shared ones
// (Default, Default User, All Users, Public), by name.
std::vector<OfflineProfile> FindOfflineProfiles(const std::string& root);
// The profile to scan: the one named `wanted` (in any letter case), else the only one,
// else the one whose NTUSER.DAT was written last. False with an error when `wanted`
// names none or there is none; `why` says how the choice was made.
bool ChooseOfflineProfile(const std::vector<OfflineProfile>& profiles, const std::string& wanted,
                          size_t& chosen, std::string& why, std::string& error);

// Loads the installation at `root`: SOFTWARE as HKLM\SOFTWARE, SYSTEM as HKLM\SYSTEM
// (its current control set also as CurrentControlSet), the chosen user's NTUSER.DAT as
// HKCU and UsrClass.dat as HKCU\Software\Classes, and the logon's Volatile Environment
// (USERPROFILE and its kin) as Windows sets it. `note` tells which user was chosen.
bool LoadWindowsInstallation(InMemoryRegistry& registry, const std::string& root,
                             const std::string& user, std::string& note, std::string& error);
// What such a load read: the chosen profile, and each hive file with where it is
// mounted (for writing a repaired registry back, see HiveWriteBack.h).
struct WindowsInstallation {
    OfflineProfile profile;
    std::vector<MountedHive> hives;
};
bool LoadWindowsInstallation(InMemoryRegistry& registry, const std::string& root,
                             const std::string& user, WindowsInstallation& loaded,
                             std::string& note, std::string& error);

struct OfflineDrive {
    char letter = 'C';
    std::string folder;  // host path
    uint32_t type = 3;   // fixed
};
// Loads the Wine prefix at `prefix`: system.reg as HKLM, user.reg as HKCU, userdef.reg
// as HKU\.DEFAULT, and its drives: each link "x:" of dosdevices/ that leads to a
// folder, with its type from HKLM\Software\Wine\Drives.
bool LoadWinePrefix(InMemoryRegistry& registry, const std::string& prefix,
                    std::vector<OfflineDrive>& drives, std::string& note, std::string& error);
