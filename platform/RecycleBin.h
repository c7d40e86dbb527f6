#pragma once
// Deleting a file so that the user can get it back: the Recycle Bin on Windows, the
// freedesktop Trash elsewhere.
#include <string>

class RecycleBin {
public:
    virtual ~RecycleBin() = default;
    // Hands the file to the bin without asking. False when the bin refused it at once;
    // the bin may still fail quietly, so a caller checks that the file is gone.
    virtual bool Recycle(const std::string& path) = 0;
};
