#pragma once
// What the file-system contract sets up on the host through the host's own calls, so
// that every backend is judged against the same files: Windows calls in the Windows
// build, POSIX calls (and Wine's attribute store) natively. Paths are given as the
// program addresses the scratch folders (ScratchFolder::File).
#include <cstdint>
#include <memory>
#include <string>

#include "platform/DateTime.h"

namespace contract {

// Sets the hidden (2) and system (4) bits of a file or folder.
bool SetHostDosBits(const std::string& path, uint32_t bits);

// Sets the last-access time stamp of a file, given in local time.
bool SetHostAccessTime(const std::string& path, const DateTime& local);

// Creates a folder and the folders above it, and a file, also past the classic
// 260-character limit of Windows paths.
bool MakeLongHostFolders(const std::string& path);
bool MakeLongHostFile(const std::string& path, const std::string& bytes);
// Removes a folder with everything below it, also past that limit (the runtime's own
// listing lists the working folder when it is given a long path).
void RemoveLongHostTree(const std::string& folder);

// While it lives, the file cannot be opened for reading: held open with share mode 0
// on Windows, its read permission removed elsewhere.
class UnreadableFile {
public:
    explicit UnreadableFile(const std::string& path);
    ~UnreadableFile();
    UnreadableFile(const UnreadableFile&) = delete;
    UnreadableFile& operator=(const UnreadableFile&) = delete;
    bool ok() const;

private:
    struct Hold;
    std::unique_ptr<Hold> hold_;
};

}  // namespace contract
