#pragma once
// The search for a moved file: the Windows and Program Files trees are searched for a
// file (or folder) of the missing file's name. One repair run lists each tree once and
// answers every problem's search from that listing, in the order a walk would find them.
#include <map>
#include <string>
#include <vector>

#include "repair/RepairProblem.h"

// Every entry below one search root, in walk order: a folder's entries in listing
// order, then each subfolder's, depth first. Names are kept in lower case beside.
struct TreeListing {
    std::vector<std::string> paths, lowerNames;
};

// The listings of one repair run.
struct SearchListings {
    std::map<std::string, TreeListing> byRoot;
};

// The new path of a problem's missing file: the only find, the user's choice among
// several, "" for none (or Cancel), or "SKIP".
std::string findNewPath(RepairContext& c, SearchListings& listings, const clsItem& problem);
// Every entry named `name` (without regard to case) in `folder` and below it. Links
// and junctions are neither entered nor found; no folder is entered twice.
std::vector<std::string> ScanFolder(RepairContext& c, SearchListings& listings,
                                    const std::string& folder, const std::string& name);
std::string StripBackslash(const std::string& path);
void ShowRepairStatus(RepairContext& c, const std::string& text);
