#pragma once
// The LinkInfo structure of a shell link: where the target lives, as a local path on
// a volume and/or as a share on the network plus a path below it.
#include <cstdint>
#include <string>
#include <string_view>

namespace linkinfo {

struct LinkInfo {
    // VolumeID and LocalBasePath.
    bool hasLocalPath = false;
    uint32_t driveType = 0;
    uint32_t driveSerial = 0;
    std::string volumeLabel;
    std::string localBasePath;
    bool localBasePathIsUnicode = false;  // false: decoded from the ANSI form
    // CommonNetworkRelativeLink.
    bool hasNetwork = false;
    std::string netName;     // "\\server\share"
    std::string deviceName;  // "Z:" when the share is mapped to a drive
    // Appended to the network name, or to the local base path.
    std::string commonPathSuffix;
};

// Parses a LinkInfo structure; `block` is exactly its LinkInfoSize bytes. False with
// the reason when an offset or a text lies outside the structure.
bool Parse(std::string_view block, LinkInfo& info, std::string& error);

// A LinkInfo structure as Windows writes it: ANSI texts, and Unicode forms as well
// when a text has characters the ANSI code page lacks.
std::string Build(const LinkInfo& info);

}  // namespace linkinfo
