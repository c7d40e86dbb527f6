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
           extensionRecords = 0;
};

// Generates the machine into two sinks, whose paths are below HKLM and HKCU.
MachineSize GenerateMachine(KeySink& machine, KeySink& user, size_t classKeys,
                            MachineReferences& references);
