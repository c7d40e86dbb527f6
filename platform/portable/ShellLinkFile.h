#pragma once
// Shell link (.lnk) files in their published binary form: a 76-byte header, the
// target as a shell item ID list, the LinkInfo structure, counted strings and extra
// data blocks. Parses a link from its bytes without trusting any size or offset in
// them, and writes links that Windows and Wine load.
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/portable/LinkInfoBlock.h"

namespace shelllink {

// LinkFlags of the header.
enum LinkFlag : uint32_t {
    kHasLinkTargetIdList = 0x1,
    kHasLinkInfo = 0x2,
    kHasName = 0x4,
    kHasRelativePath = 0x8,
    kHasWorkingDir = 0x10,
    kHasArguments = 0x20,
    kHasIconLocation = 0x40,
    kIsUnicode = 0x80,
    kForceNoLinkInfo = 0x100,
    kHasExpString = 0x200,
    kHasLogo3Id = 0x800,
    kHasDarwinId = 0x1000,
    kEnableTargetMetadata = 0x80000,
    kPreferEnvironmentPath = 0x2000000,
    kKeepLocalIdListForUncTarget = 0x4000000,
};

// Signatures of the extra data blocks this code looks at.
enum BlockSignature : uint32_t {
    kEnvironmentVariableBlock = 0xA0000001,
    kTrackerBlock = 0xA0000003,
    kSpecialFolderBlock = 0xA0000005,
    kDarwinBlock = 0xA0000006,
    kKnownFolderBlock = 0xA000000B,
    kVistaIdListBlock = 0xA000000C,
};

constexpr uint32_t kShowNormal = 1;

struct ExtraDataBlock {
    uint32_t signature = 0;
    std::string bytes;  // the whole block, its size and signature included
};

struct LinkFile {
    uint32_t flags = 0;
    uint32_t fileAttributes = 0;
    uint64_t creationTime = 0;
    uint64_t accessTime = 0;
    uint64_t writeTime = 0;
    uint32_t fileSize = 0;
    int32_t iconIndex = 0;
    uint32_t showCommand = kShowNormal;
    uint16_t hotKey = 0;
    std::string idList;  // the items and the terminator as stored; "" without a list
    std::optional<linkinfo::LinkInfo> linkInfo;
    std::string name;  // the description
    std::string relativePath;
    std::string workingDir;
    std::string arguments;
    std::string iconLocation;
    std::vector<ExtraDataBlock> extraData;
};

// Parses the bytes of a link file. False with the reason ("Not a shell link: ...",
// "Damaged shell link: ...") when they are not a shell link or are cut short.
bool Parse(std::string_view data, LinkFile& link, std::string& error);

// The target path as the shell link object's GetPath with SLGP_UNCPRIORITY gives it:
// the network path when the link has one, else the local path; "" for links to
// objects outside the file system and for installer-advertised links.
std::string TargetPath(const LinkFile& link);

struct Target {
    std::string path;
    bool isFolder = false;
    uint32_t attributes = 0;  // for the header
    uint32_t driveType = 3;   // of the target's volume, for LinkInfo
};

// Points the link at `target`: a new ID list and LinkInfo; the data that described
// the old target (relative path, environment path, tracking, installer and known-
// folder data) goes; description, arguments, working folder, icon, hot key, show
// command and the other extra data stay. An empty path leaves a link to nothing.
void SetTarget(LinkFile& link, const Target& target);

// The bytes of the link file, its strings in Unicode.
std::string Serialize(const LinkFile& link);

}  // namespace shelllink
