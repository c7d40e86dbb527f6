#include "platform/portable/ShellLinkFile.h"

#include <algorithm>
#include <array>

#include "platform/FileSystem.h"
#include "platform/Text.h"
#include "platform/portable/ByteStream.h"
#include "platform/portable/ShellItemIds.h"

namespace shelllink {
namespace {

constexpr uint32_t kHeaderSize = 0x4C;
// CLSID 00021401-0000-0000-C000-000000000046 in its stored byte order.
constexpr std::array<unsigned char, 16> kLinkClsid = {
    0x01, 0x14, 0x02, 0x00, 0x00, 0x00, 0x00, 0x00, 0xC0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46};
constexpr size_t kMaxCountedString = 0xFFFF;
constexpr size_t kMaxIdList = 0xFFFF;

// EnvironmentVariableDataBlock: size, signature, 260 ANSI bytes, 260 Unicode units.
constexpr size_t kEnvironmentAnsiOffset = 8;
constexpr size_t kEnvironmentAnsiSize = 260;
constexpr size_t kEnvironmentUnicodeOffset = 268;
constexpr size_t kEnvironmentUnicodeSize = 520;

// Blocks that describe where the old target was; they go when the target changes.
constexpr std::array<uint32_t, 6> kTargetBlocks = {kEnvironmentVariableBlock, kTrackerBlock,
                                                   kSpecialFolderBlock,       kDarwinBlock,
                                                   kKnownFolderBlock,         kVistaIdListBlock};
constexpr uint32_t kOldTargetFlags = kHasRelativePath | kForceNoLinkInfo | kHasExpString |
                                     kHasLogo3Id | kHasDarwinId | kEnableTargetMetadata |
                                     kPreferEnvironmentPath | kKeepLocalIdListForUncTarget;

bool Fail(std::string& error, const std::string& reason) {
    error = "Damaged shell link: " + reason;
    return false;
}

// The caller has made sure that the whole header is there.
bool ReadHeader(bytes::Reader& r, LinkFile& link, std::string& error) {
    uint32_t headerSize = 0;
    std::string_view clsid;
    r.U32(headerSize);
    r.Bytes(kLinkClsid.size(), clsid);
    if (headerSize != kHeaderSize ||
        !std::equal(clsid.begin(), clsid.end(), kLinkClsid.begin(),
                    [](char a, unsigned char b) { return static_cast<unsigned char>(a) == b; })) {
        error = "Not a shell link: the header does not name the shell link class";
        return false;
    }
    uint32_t iconIndex = 0;
    std::string_view reserved;
    r.U32(link.flags);
    r.U32(link.fileAttributes);
    r.U64(link.creationTime);
    r.U64(link.accessTime);
    r.U64(link.writeTime);
    r.U32(link.fileSize);
    r.U32(iconIndex);
    r.U32(link.showCommand);
    r.U16(link.hotKey);
    r.Bytes(10, reserved);
    link.iconIndex = static_cast<int32_t>(iconIndex);
    return true;
}

bool ReadIdList(bytes::Reader& r, LinkFile& link, std::string& error) {
    uint16_t size = 0;
    std::string_view list;
    if (!r.U16(size) || !r.Bytes(size, list))
        return Fail(error, "the target's ID list runs past the end of the file");
    std::vector<std::string_view> items;
    if (!shellitems::SplitIdList(list, items))
        return Fail(error, "an item of the target's ID list is damaged");
    link.idList = std::string(list);
    return true;
}

bool ReadLinkInfo(bytes::Reader& r, LinkFile& link, std::string& error) {
    // LinkInfoSize counts itself: peek at it, then take the whole structure.
    uint32_t size = 0;
    bytes::Reader peek = r;
    std::string_view block;
    if (!peek.U32(size) || !r.Bytes(size, block))
        return Fail(error, "the link information runs past the end of the file");
    linkinfo::LinkInfo info;
    std::string reason;
    if (!linkinfo::Parse(block, info, reason)) return Fail(error, reason);
    link.linkInfo = info;
    return true;
}

bool ReadString(bytes::Reader& r, bool unicode, std::string& out, std::string& error) {
    uint16_t count = 0;
    std::string_view raw;
    if (!r.U16(count) || !r.Bytes(unicode ? 2u * count : count, raw))
        return Fail(error, "the string data runs past the end of the file");
    if (unicode) {
        std::u16string units;
        for (size_t i = 0; i < raw.size(); i += 2)
            units += static_cast<char16_t>(*bytes::U16At(raw, i));
        out = text::Utf16ToUtf8(units);
    } else {
        out = text::AnsiToUtf8(raw);
    }
    return true;
}

// Extra data ends with a block smaller than 4 bytes. Blocks are only skipped or
// kept whole, so a damaged tail ends the list instead of failing the link.
void ReadExtraData(bytes::Reader& r, LinkFile& link) {
    while (r.remaining() >= 8) {
        bytes::Reader peek = r;
        uint32_t size = 0;
        uint32_t signature = 0;
        peek.U32(size);
        peek.U32(signature);
        std::string_view block;
        if (size < 8 || !r.Bytes(size, block)) return;
        link.extraData.push_back(ExtraDataBlock{signature, std::string(block)});
    }
}

std::string EnvironmentTarget(const LinkFile& link) {
    for (const ExtraDataBlock& block : link.extraData) {
        if (block.signature != kEnvironmentVariableBlock) continue;
        std::string_view data(block.bytes);
        if (data.size() < kEnvironmentUnicodeOffset + kEnvironmentUnicodeSize) continue;
        auto unicode =
            bytes::Utf16ZAt(data.substr(kEnvironmentUnicodeOffset, kEnvironmentUnicodeSize), 0);
        if (unicode && !unicode->empty()) return text::Utf16ToUtf8(*unicode);
        auto ansi = bytes::AnsiZAt(data.substr(kEnvironmentAnsiOffset, kEnvironmentAnsiSize), 0);
        if (ansi && !ansi->empty()) return text::AnsiToUtf8(*ansi);
    }
    return "";
}

std::string JoinNetworkPath(const std::string& netName, const std::string& suffix) {
    if (suffix.empty()) return netName;
    if (!netName.empty() && netName.back() == '\\') return netName + suffix;
    return netName + "\\" + suffix;
}

bool IsUncPath(const std::string& path) {
    return path.size() > 2 && path[0] == '\\' && path[1] == '\\';
}

// "\\server\share" and the rest of a UNC path.
void SplitUncPath(const std::string& path, std::string& share, std::string& rest) {
    size_t serverEnd = path.find('\\', 2);
    size_t shareEnd = serverEnd == std::string::npos ? serverEnd : path.find('\\', serverEnd + 1);
    if (shareEnd == std::string::npos) {
        share = path;
        rest.clear();
    } else {
        share = path.substr(0, shareEnd);
        rest = path.substr(shareEnd + 1);
    }
}

// Network targets as share and suffix; every other path as the local path (host
// paths of an offline world included, which only this reader reads back).
std::optional<linkinfo::LinkInfo> LinkInfoFor(const Target& target) {
    if (target.path.empty()) return std::nullopt;  // a link to nothing, as SetPath("") leaves it
    linkinfo::LinkInfo info;
    if (IsUncPath(target.path)) {
        info.hasNetwork = true;
        SplitUncPath(target.path, info.netName, info.commonPathSuffix);
    } else {
        info.hasLocalPath = true;
        info.driveType = target.driveType;
        info.localBasePath = target.path;
    }
    return info;
}

void WriteString(bytes::Writer& w, const std::string& s) {
    std::u16string units = text::Utf8ToUtf16(s);
    if (units.size() > kMaxCountedString) units.resize(kMaxCountedString);
    w.U16(static_cast<uint16_t>(units.size()));
    w.Utf16(units);
}

}  // namespace

bool Parse(std::string_view data, LinkFile& link, std::string& error) {
    link = LinkFile{};
    if (data.size() < kHeaderSize) {
        error = "Not a shell link: the file is shorter than a shell link header";
        return false;
    }
    bytes::Reader r(data);
    if (!ReadHeader(r, link, error)) return false;
    if ((link.flags & kHasLinkTargetIdList) && !ReadIdList(r, link, error)) return false;
    if ((link.flags & kHasLinkInfo) && !ReadLinkInfo(r, link, error)) return false;

    bool unicode = link.flags & kIsUnicode;
    const std::pair<uint32_t, std::string*> strings[] = {
        {kHasName, &link.name},
        {kHasRelativePath, &link.relativePath},
        {kHasWorkingDir, &link.workingDir},
        {kHasArguments, &link.arguments},
        {kHasIconLocation, &link.iconLocation},
    };
    for (const auto& [flag, field] : strings)
        if ((link.flags & flag) && !ReadString(r, unicode, *field, error)) return false;
    ReadExtraData(r, link);
    return true;
}

std::string TargetPath(const LinkFile& link) {
    if (link.flags & kHasDarwinId) return "";
    const linkinfo::LinkInfo* info =
        link.linkInfo && !(link.flags & kForceNoLinkInfo) ? &*link.linkInfo : nullptr;
    const bool local = info && info->hasLocalPath && !info->localBasePath.empty();
    const bool network = info && info->hasNetwork && !info->netName.empty();
    // A file on a shared local disk has both forms, and the local one is the target; on
    // a mapped network drive the letter may be gone, the share is the target.
    if (network && (!local || info->driveType == kDriveRemote))
        return JoinNetworkPath(info->netName, info->commonPathSuffix);
    if (local && info->localBasePathIsUnicode)
        return info->localBasePath + info->commonPathSuffix;
    // The ID list has the names in Unicode; an ANSI local path depends on the code
    // page of the machine that wrote it, so it only serves when the list gives nothing.
    if (!link.idList.empty()) {
        std::vector<std::string_view> items;
        if (shellitems::SplitIdList(link.idList, items)) {
            std::string path = shellitems::PathFromItems(items);
            if (!path.empty()) return path;
        }
    }
    if (local) return info->localBasePath + info->commonPathSuffix;
    return EnvironmentTarget(link);
}

void SetTarget(LinkFile& link, const Target& target) {
    link.idList = shellitems::IdListForPath(target.path, target.isFolder);
    if (link.idList.size() > kMaxIdList) link.idList.clear();

    link.linkInfo = LinkInfoFor(target);

    link.fileAttributes = target.attributes;
    link.creationTime = link.accessTime = link.writeTime = 0;
    link.fileSize = 0;
    link.relativePath.clear();
    link.flags &= ~kOldTargetFlags;
    std::erase_if(link.extraData, [](const ExtraDataBlock& block) {
        return std::find(kTargetBlocks.begin(), kTargetBlocks.end(), block.signature) !=
               kTargetBlocks.end();
    });
}

std::string Serialize(const LinkFile& link) {
    uint32_t flags =
        link.flags & ~(kHasLinkTargetIdList | kHasLinkInfo | kHasName | kHasRelativePath |
                       kHasWorkingDir | kHasArguments | kHasIconLocation);
    flags |= kIsUnicode;
    if (!link.idList.empty()) flags |= kHasLinkTargetIdList;
    if (link.linkInfo) flags |= kHasLinkInfo;
    const std::pair<uint32_t, const std::string*> strings[] = {
        {kHasName, &link.name},
        {kHasRelativePath, &link.relativePath},
        {kHasWorkingDir, &link.workingDir},
        {kHasArguments, &link.arguments},
        {kHasIconLocation, &link.iconLocation},
    };
    for (const auto& [flag, field] : strings)
        if (!field->empty()) flags |= flag;

    bytes::Writer w;
    w.U32(kHeaderSize);
    for (unsigned char b : kLinkClsid) w.U8(b);
    w.U32(flags);
    w.U32(link.fileAttributes);
    w.U64(link.creationTime);
    w.U64(link.accessTime);
    w.U64(link.writeTime);
    w.U32(link.fileSize);
    w.U32(static_cast<uint32_t>(link.iconIndex));
    w.U32(link.showCommand);
    w.U16(link.hotKey);
    w.Zeros(10);

    if (flags & kHasLinkTargetIdList) {
        w.U16(static_cast<uint16_t>(link.idList.size()));
        w.Bytes(link.idList);
    }
    if (link.linkInfo) w.Bytes(linkinfo::Build(*link.linkInfo));
    for (const auto& [flag, field] : strings)
        if (flags & flag) WriteString(w, *field);
    for (const ExtraDataBlock& block : link.extraData) w.Bytes(block.bytes);
    w.U32(0);
    return w.Take();
}

}  // namespace shelllink
