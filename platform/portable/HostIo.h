#pragma once
// Opening host files as the portable file system needs it, without the stream
// library's buffers and locale.
#include <cstdint>
#include <filesystem>
#include <string_view>

// True when the file opens for reading; it is closed again at once.
bool HostOpensForReading(const std::filesystem::path& path);

// A file lines are appended to. On a POSIX host it is kept open (for appending), so
// that a line costs one write instead of an open, a write and a close; before each
// write the path is checked to still name the open file (same device and inode, not
// deleted), and when it was deleted, renamed or replaced meanwhile the file is closed
// and the path opened again, so the line lands in the file the path names now. On a
// Windows host (where this backend runs the tests and offline images under Wine) the
// file is opened for each line: Wine deletes a file that is held open only when its
// last handle closes and shows nothing of it meanwhile, so a kept handle would write
// on into a deleted file. Each Append is one unbuffered write (more only when the
// system takes part of the bytes) that has reached the operating system on return.
class HostAppendFile {
public:
    HostAppendFile() = default;
    ~HostAppendFile() { Close(); }
    HostAppendFile(const HostAppendFile&) = delete;
    HostAppendFile& operator=(const HostAppendFile&) = delete;
    HostAppendFile(HostAppendFile&& other) noexcept
        : handle_(other.handle_), path_(std::move(other.path_)) {
        other.handle_ = kClosed;
    }
    HostAppendFile& operator=(HostAppendFile&& other) noexcept;

    // Whether the file is open and the path still names it.
    bool StillNamed() const;
    // Opens `path` for appending, creating it; false when it cannot be opened.
    bool Open(const std::filesystem::path& path);
    // Appends the bytes with one write (more only when the system takes part of them).
    bool Append(std::string_view bytes);
    void Close();
    bool IsOpen() const { return handle_ != kClosed; }

private:
    static constexpr intptr_t kClosed = -1;
    intptr_t handle_ = kClosed;  // a descriptor, or a Windows handle
    std::filesystem::path path_;
};
