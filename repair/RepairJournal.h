#pragma once
// What a repair run did to each problem it worked on, or, in a dry run, what it would
// have done: the console prints it, and the tests compare a dry run with the real one.
#include <string>
#include <vector>

struct RepairAction {
    std::string uid;      // the problem's
    std::string action;   // "delete value", "delete key", "delete key and subkeys",
                          // "change value", "retarget shortcut", "recycle file",
                          // "skip", "none"
    std::string target;   // "HKLM\key", "HKLM\key\\value" or a file
    std::string newPath;  // the new text of a change or a retarget
    bool done = false;    // the change was made (would be made)
    std::string error;    // why it was not
};

struct RepairJournal {
    std::vector<RepairAction> actions;
};
