#pragma once
// What the repair engine asks of the user and shows while it works. The Win32 dialogs,
// the console and the tests each implement it.
#include <string>
#include <vector>

class RepairUi {
public:
    virtual ~RepairUi() = default;
    // The delete-error dialog: true when the user chose "Skip all".
    virtual bool ShowDeleteError(const std::string& message, const std::string& caption) = 0;
    // The path selection among several finds of a moved file: a candidate, "" for
    // Cancel (or the close box), or "SKIP".
    virtual std::string SelectPath(const std::string& info, const std::vector<std::string>& candidates) = 0;
    // The progress window's lines: the problem being worked on, and the search status.
    virtual void ShowRepairItem(const std::string& text) = 0;
    virtual void ShowRepairStatus(const std::string& text) = 0;
    // One more problem done of `total`.
    virtual void AdvanceBar(int total) = 0;
};
