#pragma once
// Shell item ID lists, as shell links store their targets: the file-system path a
// list stands for, and the list for a path. An ID list is a run of items, each with
// a 16-bit size that counts itself, ended by a zero size.
#include <string>
#include <string_view>
#include <vector>

namespace shellitems {

// Splits an ID list into its items, up to the terminating zero size or the end of
// the data. False when an item is smaller than its size field or runs past the list.
bool SplitIdList(std::string_view list, std::vector<std::string_view>& items);

// The path the items stand for, as SHGetPathFromIDList gives it ("C:\Dir\file.txt",
// "\\server\share\file"); "" when they name something outside the file system
// (Control Panel, a printer, a virtual folder) or use items this reader does not know.
std::string PathFromItems(const std::vector<std::string_view>& items);

// The ID list (terminator included) of a drive path "X:\..." below My Computer, the
// last item a folder or a file as `targetIsFolder` says; "" for paths of other forms.
std::string IdListForPath(const std::string& path, bool targetIsFolder);

// The 8.3 name Windows would give a file of this long name, as file items carry it.
std::string ShortNameFor(const std::string& longName);

}  // namespace shellitems
