#include "repair/MovedFileSearch.h"

#include "core/App.h"
#include "core/Language.h"
#include "core/Logs.h"
#include "platform/Text.h"
#include "repair/RepairUi.h"
#include "scan/ScannerSupport.h"

namespace {

// Lists the tree once, showing each folder as it is listed.
TreeListing ListTree(RepairContext& c, const std::string& root) {
    App& app = c.app;
    TreeListing listing;
    scanner::FolderWalk walk;
    walk.Enter(app, root);
    scanner::WalkDepthFirst(root, [&](const std::string& folder, std::vector<std::string>& subfolders) {
        try {
            ShowRepairStatus(c, GetLangString(app, "repair_searchingdir", "Searching directory") + " " + folder + "...");
            std::vector<DirEntry> entries;
            app.os.files.ListFolder(folder, entries);  // one that cannot be listed has nothing
            for (const DirEntry& entry : entries) {
                if (entry.name == "." || entry.name == "..") continue;
                if (!(entry.attributes & kAttrReparsePoint)) {
                    std::string full = folder + "\\" + entry.name;
                    listing.paths.push_back(full);
                    listing.lowerNames.push_back(text::ToLower(entry.name));
                    if (DirExists(app, full) && walk.Enter(app, full)) subfolders.push_back(full);
                }
                app.DoEvents();
            }
        } catch (...) {
            PassOnOutOfMemory();
        }
    });
    return listing;
}

}  // namespace

std::string StripBackslash(const std::string& path) {
    if (!path.empty() && path.back() == '\\') return path.substr(0, path.size() - 1);
    return path;
}

void ShowRepairStatus(RepairContext& c, const std::string& text) {
    c.ui.ShowRepairStatus(text);
    c.app.DoEvents();
}

std::vector<std::string> ScanFolder(RepairContext& c, SearchListings& listings, const std::string& folder,
                                    const std::string& name) {
    WriteTrace(c.app, "ScanFolder");
    auto found = listings.byRoot.find(folder);
    if (found == listings.byRoot.end()) found = listings.byRoot.emplace(folder, ListTree(c, folder)).first;
    const TreeListing& listing = found->second;
    const std::string lower = text::ToLower(name);
    std::vector<std::string> matches;
    for (size_t i = 0; i < listing.paths.size(); ++i)
        if (listing.lowerNames[i] == lower) matches.push_back(listing.paths[i]);
    return matches;
}

std::string findNewPath(RepairContext& c, SearchListings& listings, const clsItem& problem) {
    App& app = c.app;
    WriteTrace(app, "findNewPath");
    if (problem.pType() == kTypeFile || problem.pType() == kTypeCured) return "";
    const std::string& missing = problem.pCureMissingfile;
    if (missing.empty()) return "";
    size_t cut = missing.rfind('\\');
    std::string name = cut == std::string::npos || cut + 1 == missing.size() ? missing : missing.substr(cut + 1);
    // An empty root would search a whole drive: there is nothing of ours to find there.
    std::vector<std::string>& candidates = app.Repair.PathCandidates;
    candidates.clear();
    for (const std::string& root : {StripBackslash(app.WindowsFolder), StripBackslash(app.ProgramFilesFolder)}) {
        if (root.empty()) continue;
        std::vector<std::string> matches = ScanFolder(c, listings, root, name);
        candidates.insert(candidates.end(), matches.begin(), matches.end());
    }
    ShowRepairStatus(c, "");
    if (candidates.empty()) return "";
    if (candidates.size() == 1) return candidates.front();

    // Several finds: the user chooses.
    const std::string info = GetLangString(app, "frmrepselpath_info", "") + " " + app.Repair.RepairItemName +
                             GetLangString(app, "frmrepselpath_info2", "");
    WriteProblemLog(app, "Selecting path for: " + info);
    for (const std::string& candidate : candidates) WriteProblemLog(app, " >> " + candidate);
    app.Repair.SelectedPath = c.ui.SelectPath(info, candidates);
    return app.Repair.SelectedPath;
}
