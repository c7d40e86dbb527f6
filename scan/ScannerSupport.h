#pragma once
// Small pieces the registry scanners share.
#include <memory>
#include <string>
#include <vector>

#include "core/App.h"
#include "core/Errors.h"
#include "core/Language.h"
#include "core/Logs.h"
#include "platform/FileSystem.h"
#include "problems/clsItem.h"
#include "scan/PathTests.h"
#include "scan/Progress.h"
#include "scan/RegistryRead.h"

namespace scanner {

// "Scanning registry key" (localised), a blank and the item: the parts of `item` one
// after the other. The text is built only when the progress window will show it.
template <typename... Parts>
void ShowRegistryItem(App& app, const Parts&... item) {
    UpdateProgressLabelWith(app, [&] {
        std::string text =
            GetLangString(app, "progress_scanning_registry", "Scanning registry key") + " ";
        (text += ... += item);
        return text;
    });
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

// The folders one folder walk has entered, by identity: a folder reached again through
// a link, a junction or a second mapping of the same place is not entered twice, so no
// walk loops. Windows addresses no path longer than this many characters.
class FolderWalk {
public:
    static constexpr size_t kLongestPath = 32767;
    // True the first time a folder is met on this walk. A folder whose identity cannot
    // be read is entered while its path stays within what Windows can address.
    bool Enter(App& app, const std::string& folder) {
        if (folder.size() > kLongestPath) return false;
        FolderId id;
        if (!app.os.files.GetFolderId(folder, id)) return true;
        for (const FolderId& known : entered_)
            if (known == id) return false;
        entered_.push_back(id);
        return true;
    }

private:
    std::vector<FolderId> entered_;
};

// Visits `top` and everything below it as a recursive walk would, without recursion
// (so no depth of folders or keys can exhaust the stack): `visit(node, children)` does
// one node's work and lists the children to visit, which are then visited in the order
// given, each with everything below it, before the node's next sibling.
template <typename Visit>
void WalkDepthFirst(const std::string& top, Visit visit) {
    std::vector<std::string> pending{top};
    std::vector<std::string> children;
    while (!pending.empty()) {
        std::string node = std::move(pending.back());
        pending.pop_back();
        children.clear();
        visit(node, children);
        for (auto it = children.rbegin(); it != children.rend(); ++it)
            pending.push_back(std::move(*it));
    }
}

// A depth-first walk of folders that enters no folder twice:
// `visitFolder(folder, walk, subfolders)`.
template <typename VisitFolder>
void WalkFolderTree(App& app, const std::string& top, VisitFolder visitFolder) {
    FolderWalk walk;
    walk.Enter(app, top);
    WalkDepthFirst(top, [&](const std::string& folder, std::vector<std::string>& subfolders) {
        visitFolder(folder, walk, subfolders);
    });
}

// The walk both folder scanners make below `top`: in each folder the trace tag, the
// test of ContinueScan and the entries (`visitFile` for each file). A failure ends
// the scan of that folder, whose subfolders are then not entered, and is reported by
// `reportFailure(folder)`.
template <typename VisitFile, typename ReportFailure>
void ScanFolderTree(App& app, const std::string& top, const char* traceTag, bool eventsAfterEach,
                    VisitFile visitFile, ReportFailure reportFailure);

// The work both folder scanners do in one folder: lists it, and for each entry but "."
// and "..", testing ContinueScan before each, remembers the folders not met before on
// this walk (in `subfolders`, in the order found) and calls `visitFile` with the full
// path of every other entry. Links and junctions (reparse points) are neither entered
// nor visited: what they lead to is not this folder's content. False when the scan
// was stopped; `subfolders` is then empty.
template <typename VisitFile>
bool WalkFolderEntries(App& app, FolderWalk& walk, const std::string& folder, bool eventsAfterEach,
                       std::vector<std::string>& subfolders, VisitFile visitFile) {
    std::vector<DirEntry> entries;
    app.os.files.ListFolder(folder, entries);  // a folder that cannot be listed has none
    for (const DirEntry& entry : entries) {
        if (!ScanGoesOn(app)) {
            subfolders.clear();
            return false;
        }
        if (entry.name == "." || entry.name == "..") continue;
        std::string fullPath = folder + "\\" + entry.name;
        const bool isLink = entry.attributes & kAttrReparsePoint;
        if (!isLink && DirExists(app, fullPath)) {
            if (walk.Enter(app, fullPath)) subfolders.push_back(fullPath);
        } else if (!isLink) {
            visitFile(fullPath);
        }
        if (eventsAfterEach) app.DoEvents();
    }
    return true;
}

template <typename VisitFile, typename ReportFailure>
void ScanFolderTree(App& app, const std::string& top, const char* traceTag, bool eventsAfterEach,
                    VisitFile visitFile, ReportFailure reportFailure) {
    WalkFolderTree(app, top, [&](const std::string& folder, FolderWalk& walk,
                                 std::vector<std::string>& subfolders) {
        WriteTrace(app, traceTag);
        try {
            if (!ScanGoesOn(app)) return;
            WalkFolderEntries(app, walk, folder, eventsAfterEach, subfolders, visitFile);
        } catch (...) {
            PassOnOutOfMemory();
            subfolders.clear();
            reportFailure(folder);
        }
    });
}

}  // namespace scanner
