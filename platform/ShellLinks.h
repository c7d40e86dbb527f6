#pragma once
// Shell link (.lnk) files: read a link's fields, retarget a link.
#include <cstdint>
#include <string>

struct ShellLinkInfo {
    std::string target;  // as GetPath with SLGP_UNCPRIORITY gives it
    std::string arguments;
    std::string description;
    std::string workingDirectory;
    std::string iconLocation;
    int32_t iconIndex = 0;
    uint16_t hotKey = 0;
    int32_t showCommand = 0;
};

// Why a link could not be read or written: a failure number (an HRESULT for the shell
// link object) and its description.
struct ShellLinkError {
    int32_t number = 0;
    std::string description;
};

class ShellLinks {
public:
    virtual ~ShellLinks() = default;
    // Loads a link file read-only. The texts are what the shell link object puts into
    // buffers of 260 characters (the description: 1024), cut at the first NUL. False
    // when the file is missing, unreadable or not a shell link; `info` is then unchanged.
    virtual bool Read(const std::string& path, ShellLinkInfo& info, ShellLinkError& error) = 0;
    // Points the link at `newTarget` and saves it in place, keeping its other fields.
    virtual bool Retarget(const std::string& path, const std::string& newTarget,
                          ShellLinkError& error) = 0;
};
