#pragma once
// The freedesktop Trash for a portable file system: a file goes to the trash of its own
// volume (the home trash, $XDG_DATA_HOME/Trash, when it is on the home's volume, else
// <volume>/.Trash-<uid>), as files/<name> with info/<name>.trashinfo beside it, so that
// any desktop's trash (and Wine's) can put it back.
#include "platform/RecycleBin.h"
#include "platform/portable/PortableFileSystem.h"

class PortableTrash : public RecycleBin {
public:
    explicit PortableTrash(PortableFileSystem& files) : files_(files) {}
    bool Recycle(const std::string& path) override;

private:
    PortableFileSystem& files_;
};
