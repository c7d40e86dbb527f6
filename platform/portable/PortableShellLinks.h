#pragma once
// Shell links without the shell: the link files are parsed and written by this
// program (ShellLinkFile), through the world's file system, so that drive letters of
// an offline image resolve as they do for every other file. Failures carry the
// HRESULT the shell link object gives for the same case.
#include <string>
#include <string_view>

#include "platform/FileSystem.h"
#include "platform/ShellLinks.h"

// Failure numbers, as the shell link object reports them.
constexpr int32_t kLinkFileNotFound = static_cast<int32_t>(0x80070002);
constexpr int32_t kLinkAccessDenied = static_cast<int32_t>(0x80070005);
constexpr int32_t kLinkUnreadable = static_cast<int32_t>(0x80004005);  // E_FAIL

// The fields of a link held in memory, as Read gives them: texts cut at the first
// NUL and to the buffers the shell link object is asked with. False with the reason
// when the bytes are not a readable shell link.
bool ShellLinkInfoFromBytes(std::string_view data, ShellLinkInfo& info, std::string& error);

// The bytes of a new link file with the fields of `fields`, pointing at its target
// (a folder when `targetIsFolder`), as Windows would save it.
std::string NewShellLinkBytes(const ShellLinkInfo& fields, bool targetIsFolder = false);

class PortableShellLinks : public ShellLinks {
public:
    explicit PortableShellLinks(FileSystem& files) : files_(files) {}

    bool Read(const std::string& path, ShellLinkInfo& info, ShellLinkError& error) override;
    bool Retarget(const std::string& path, const std::string& newTarget,
                  ShellLinkError& error) override;

private:
    bool Load(const std::string& path, std::string& data, ShellLinkError& error);
    FileSystem& files_;
};
