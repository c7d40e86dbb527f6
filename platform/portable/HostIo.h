#pragma once
// Opening host files as the portable file system needs it, without the stream
// library's buffers and locale.
#include <cstdint>
#include <filesystem>
#include <string_view>

// True when the file opens for reading; it is closed again at once.
bool HostOpensForReading(const std::filesystem::path& path);

// A file kept open for appending (shared for reading, writing and deleting), so that
// appending a line costs one write instead of an open, a write and a close. Each
// Append is one unbuffered write that has reached the operating system when it
// returns. Before each write the path is checked to still name the open file (the
// same file identity, and not deleted): when the file was deleted, renamed or
// replaced meanwhile, it is closed and the path opened again, so the line lands in
// the file the path names now.
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
