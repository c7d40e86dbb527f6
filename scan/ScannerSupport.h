#pragma once
// Small pieces the registry scanners share.
#include <memory>
#include <string>
#include <vector>

#include "core/App.h"
#include "core/Language.h"
#include "problems/clsItem.h"
#include "scan/PathTests.h"
#include "scan/Progress.h"
#include "scan/RegistryRead.h"

namespace scanner {

// "Scanning registry key" (localised), a blank and the item.
inline void ShowRegistryItem(App& app, const std::string& item) {
    UpdateProgressLabel(app,
                        GetLangString(app, "progress_scanning_registry", "Scanning registry key") +
                            " " + item);
}

inline bool ScanGoesOn(const App& app) { return app.Scan.ContinueScan; }

inline std::shared_ptr<clsItem> NewProblem() { return std::make_shared<clsItem>(); }

enum class Names { Subkeys, Values };

// The walk every registry scanner makes over one key: opens hive\keyPath with full
// access, calls `visit` with each subkey or value name in enumeration order, testing
// ContinueScan before each and letting pending events run after each, and closes the
// key. Ends at the first failing enumeration status. False when the key could not be
// opened or the scan was stopped.
template <typename Visit>
bool ScanNames(App& app, RegKey hive, const std::string& keyPath, Names kind, Visit visit) {
    ScopedRegKey key(app.os.registry);
    if (key.Open(hive, keyPath, KEY_ALL_ACCESS_) != kRegSuccess) return false;
    std::string name;
    for (uint32_t index = 0;; ++index) {
        if (!ScanGoesOn(app)) return false;
        int32_t status = kind == Names::Subkeys ? MyRegEnumKey(app, key.Get(), index, name)
                                                : MyRegEnumValue(app, key.Get(), index, name);
        if (status != kRegSuccess) return true;
        visit(name);
        app.DoEvents();
    }
}

// The walk both folder scanners make over one folder: lists it, and for each entry
// but "." and "..", testing ContinueScan before each, remembers the folders (in
// `subfolders`, in the order found) and calls `visitFile` with the full path of every
// other entry. The listing is finished before any subfolder is entered. False when
// the scan was stopped: the caller then enters no subfolder.
template <typename VisitFile>
bool WalkFolderEntries(App& app, const std::string& folder, bool eventsAfterEach,
                       std::vector<std::string>& subfolders, VisitFile visitFile) {
    std::vector<DirEntry> entries;
    app.os.files.ListFolder(folder, entries);  // a folder that cannot be listed has none
    for (const DirEntry& entry : entries) {
        if (!ScanGoesOn(app)) return false;
        if (entry.name == "." || entry.name == "..") continue;
        std::string fullPath = folder + "\\" + entry.name;
        if (DirExists(app, fullPath)) {
            subfolders.push_back(fullPath);
        } else {
            visitFile(fullPath);
        }
        if (eventsAfterEach) app.DoEvents();
    }
    return true;
}

}  // namespace scanner
