#pragma once
#include "platform/RecycleBin.h"

// The shell's delete to the Recycle Bin (SHFileOperation, FO_DELETE, undo allowed, no
// confirmation); the shell's own progress and error windows are not suppressed.
class Win32RecycleBin : public RecycleBin {
public:
    bool Recycle(const std::string& path) override;
};
