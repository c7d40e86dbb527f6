#pragma once
// A machine for a registry scan: HKEY_CLASSES_ROOT shaped as a real one (the keys of
// ClassesShape, below HKLM\SOFTWARE\Classes) and the other places a scan reads
// (uninstall entries, Run values, fonts, shared DLLs, application paths, registered
// applications, help files, Installer folders, per-user extension records), with the
// files and folders they name. About one reference in a hundred leads nowhere.
#include <cstddef>
#include <set>
#include <string>

#include "bench/common/ClassesShape.h"

// Turns the "C:\..." paths of generated references into paths below `root` ("C:" for
// an image's drive, "C:\Scratch" on a real drive) and keeps the files and folders that
// must exist. Every hundredth reference is broken: its file or folder is never made.
class MachineReferences : public ReferencePolicy {
public:
    explicit MachineReferences(std::string root) : root_(std::move(root)) {}
    std::string File(const std::string& path) override;
    bool BreakNext() override;
    // A reference to a folder.
    std::string Folder(const std::string& path);

    const std::set<std::string>& Files() const { return files_; }
    const std::set<std::string>& Folders() const { return folders_; }
    size_t References() const { return references_; }
    size_t Broken() const { return broken_; }

private:
    std::string Rooted(const std::string& path) const { return root_ + path.substr(2); }
    std::string root_;
    std::set<std::string> files_, folders_;
    size_t references_ = 0, broken_ = 0;
};

struct MachineSize {
    GeneratedSize classes;        // the part shaped like HKEY_CLASSES_ROOT
    size_t keys = 0, values = 0;  // all of it
    size_t uninstallEntries = 0, runValues = 0, fontValues = 0, sharedDllValues = 0;
    size_t appPaths = 0, applications = 0, helpFiles = 0, installerFolders = 0,
           extensionRecords = 0, settingKeys = 0;
};

// How much of each kind a machine holds.
struct MachineMix {
    ClassesMix classes;
    size_t uninstallEntries = 3000, machineRunValues = 40, userRunValues = 25, fontValues = 1200,
           sharedDllValues = 3000, appPaths = 300, applications = 300, helpFiles = 150,
           installerFolders = 400, extensionRecords = 500;
    // Keys no scan reads (settings of programs and of Windows), each with two values:
    // below HKLM\SOFTWARE and HKLM\SYSTEM, and below HKCU\Software.
    size_t machineSettingKeys = 0, userSettingKeys = 0;
};
// The machine of the first scan benchmark: HKCR-shaped, about `classKeys` class keys.
MachineMix ClassesMachineMix(size_t classKeys);
// A Windows 11 machine: about 700,000 keys and 1.2 million values, a third of them
// HKCR (40,000 classes with their servers, 5,000 identifiers, 3,000 type libraries,
// 800 extensions), 300 uninstall entries, 2,000 shared DLLs, 20 Run values.
MachineMix Windows11MachineMix();

// Generates the machine into two sinks, whose paths are below HKLM and HKCU.
MachineSize GenerateMachine(KeySink& machine, KeySink& user, const MachineMix& mix,
                            MachineReferences& references);
inline MachineSize GenerateMachine(KeySink& machine, KeySink& user, size_t classKeys,
                                   MachineReferences& references) {
    return GenerateMachine(machine, user, ClassesMachineMix(classKeys), references);
}
