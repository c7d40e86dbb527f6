#include "platform/portable/ShellItemIds.h"

#include <array>
#include <optional>

#include "platform/Text.h"
#include "platform/portable/ByteStream.h"

namespace shellitems {
namespace {

using Guid = std::array<unsigned char, 16>;

// CLSIDs of the root items, in their stored byte order.
constexpr Guid kMyComputer = {0xE0, 0x4F, 0xD0, 0x20, 0xEA, 0x3A, 0x69, 0x10,
                              0xA2, 0xD8, 0x08, 0x00, 0x2B, 0x30, 0x30, 0x9D};
constexpr Guid kNetwork = {0x60, 0x2C, 0x8D, 0x20, 0xEA, 0x3A, 0x69, 0x10,
                           0xA2, 0xD7, 0x08, 0x00, 0x2B, 0x30, 0x30, 0x9D};

// Item types: the high nibble (without bit 0x80) is the class of the item.
constexpr unsigned kRootItem = 0x1F;
constexpr unsigned kClassMask = 0x70;
constexpr unsigned kVolumeClass = 0x20;
constexpr unsigned kFileClass = 0x30;
constexpr unsigned kNetworkClass = 0x40;
constexpr unsigned kFileUnicodeName = 0x04;
constexpr unsigned kFolderItem = 0x31;
constexpr unsigned kFileItem = 0x32;
constexpr unsigned kDriveItem = 0x2F;
constexpr size_t kDriveItemSize = 25;

// Offsets inside a file item: size(2) type(1) 0(1) file size(4) DOS time(4) attributes(2).
constexpr size_t kPrimaryNameOffset = 14;
// The extension block with the long Unicode name.
constexpr uint32_t kLongNameSignature = 0xBEEF0004;
constexpr size_t kLongNameOffsetV3 = 20;

bool IsGuidAt(std::string_view item, size_t offset, const Guid& guid) {
    if (item.size() < offset + guid.size()) return false;
    for (size_t i = 0; i < guid.size(); ++i)
        if (static_cast<unsigned char>(item[offset + i]) != guid[i]) return false;
    return true;
}

unsigned TypeOf(std::string_view item) {
    return static_cast<unsigned char>(item[2]);
}

// Where the long name starts in a BEEF0004 block of the given version.
size_t LongNameOffset(uint16_t version) {
    if (version >= 9) return 46;
    if (version >= 8) return 42;
    if (version >= 7) return 38;
    return kLongNameOffsetV3;
}

// The long Unicode name of a file item: from the extension block the item's last
// 16-bit word points at. Windows marks that block with BEEF0004; Wine writes the same
// layout with zeros in place of version and signature.
std::optional<std::string> LongName(std::string_view item) {
    auto blockOffset = bytes::U16At(item, item.size() - 2);
    if (!blockOffset || *blockOffset <= kPrimaryNameOffset || *blockOffset >= item.size() - 2)
        return std::nullopt;
    std::string_view block = item.substr(*blockOffset, item.size() - 2 - *blockOffset);
    auto blockSize = bytes::U16At(block, 0);
    auto version = bytes::U16At(block, 2);
    auto signature = bytes::U32At(block, 4);
    if (!blockSize || !version || !signature) return std::nullopt;
    if (*blockSize < block.size()) block = block.substr(0, *blockSize);
    size_t nameOffset;
    if (*signature == kLongNameSignature)
        nameOffset = LongNameOffset(*version);
    else if (*signature == 0 && *version == 0)
        nameOffset = kLongNameOffsetV3;
    else
        return std::nullopt;
    auto name = bytes::Utf16ZAt(block, nameOffset);
    if (!name || name->empty()) return std::nullopt;
    return text::Utf16ToUtf8(*name);
}

// The name stored in the item itself: the 8.3 name on Windows (the long name in older
// and Wine-written items), in Unicode when the type says so, else in the ANSI code page.
std::optional<std::string> PrimaryName(std::string_view item) {
    if (TypeOf(item) & kFileUnicodeName) {
        auto name = bytes::Utf16ZAt(item, kPrimaryNameOffset);
        if (!name) return std::nullopt;
        return text::Utf16ToUtf8(*name);
    }
    auto name = bytes::AnsiZAt(item, kPrimaryNameOffset);
    if (!name) return std::nullopt;
    return text::AnsiToUtf8(*name);
}

// "X:\" from a drive item; nothing for volumes without a drive letter.
std::optional<std::string> DriveRoot(std::string_view item) {
    auto name = bytes::AnsiZAt(item, 3);
    if (!name || name->size() < 2 || (*name)[1] != ':') return std::nullopt;
    char letter = (*name)[0];
    if (!((letter >= 'A' && letter <= 'Z') || (letter >= 'a' && letter <= 'z')))
        return std::nullopt;
    if (name->size() > 3 || (name->size() == 3 && (*name)[2] != '\\')) return std::nullopt;
    return std::string(1, letter) + ":\\";
}

void AppendComponent(std::string& path, const std::string& name) {
    if (!path.empty() && path.back() != '\\') path += '\\';
    path += name;
}

bool IsValidShortChar(char c) {
    if ((c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9')) return true;
    return std::string_view("!#$%&'()-@^_`{}~").find(c) != std::string_view::npos;
}

std::string ShortPart(std::string_view part, size_t limit) {
    std::string out;
    for (char c : part) {
        if (out.size() == limit) break;
        if (c == ' ' || c == '.') continue;
        unsigned char u = static_cast<unsigned char>(c);
        if (u >= 0x80) {
            // One '_' per character, not per UTF-8 byte.
            if ((u & 0xC0) != 0x80) out += '_';
            continue;
        }
        out += IsValidShortChar(c) ? static_cast<char>(text::FoldUpper(u)) : '_';
    }
    return out;
}

bool FitsEightDotThree(const std::string& name) {
    size_t dot = name.find('.');
    std::string_view base = std::string_view(name).substr(0, dot);
    std::string_view ext = dot == std::string::npos ? "" : std::string_view(name).substr(dot + 1);
    if (base.empty() || base.size() > 8 || ext.size() > 3) return false;
    if (ext.find('.') != std::string_view::npos) return false;
    for (char c : name)
        if (c != '.' && !IsValidShortChar(c)) return false;
    return true;
}

std::string RootItem(const Guid& guid, uint8_t sortIndex) {
    bytes::Writer w;
    w.U16(20);
    w.U8(kRootItem);
    w.U8(sortIndex);
    for (unsigned char b : guid) w.U8(b);
    return w.Take();
}

std::string DriveItem(char letter) {
    bytes::Writer w;
    w.U16(kDriveItemSize);
    w.U8(kDriveItem);
    w.Bytes(std::string(1, letter) + ":\\");
    w.Zeros(kDriveItemSize - w.size());
    return w.Take();
}

// A file item as Windows XP writes it: the 8.3 name, then a version 3 BEEF0004
// block with the long name; Windows of every later version and Wine read this form.
std::string FileItem(const std::string& name, bool isFolder) {
    bytes::Writer w;
    w.U16(0);  // size, patched below
    w.U8(isFolder ? kFolderItem : kFileItem);
    w.U8(0);
    w.U32(0);                       // file size
    w.U32(0);                       // DOS date and time of the last write
    w.U16(isFolder ? 0x10 : 0x20);  // attributes: directory, archive
    w.Bytes(text::Utf8ToAnsi(ShortNameFor(name)));
    w.U8(0);
    if (w.size() % 2) w.U8(0);
    size_t blockOffset = w.size();
    std::u16string longName = text::Utf8ToUtf16(name);
    w.U16(static_cast<uint16_t>(kLongNameOffsetV3 + 2 * (longName.size() + 1) + 2));
    w.U16(3);
    w.U32(kLongNameSignature);
    w.U32(0);  // creation time
    w.U32(0);  // last access time
    w.U16(kLongNameOffsetV3);
    w.U16(0);  // no localised name
    w.Utf16(longName);
    w.U16(0);
    w.U16(static_cast<uint16_t>(blockOffset));
    w.PatchU16(0, static_cast<uint16_t>(w.size()));
    return w.Take();
}

}  // namespace

bool SplitIdList(std::string_view list, std::vector<std::string_view>& items) {
    items.clear();
    size_t at = 0;
    while (list.size() - at >= 2) {
        uint16_t size = *bytes::U16At(list, at);
        if (size == 0) return true;
        if (size < 2 || size > list.size() - at) return false;
        items.push_back(list.substr(at, size));
        at += size;
    }
    return true;
}

std::string PathFromItems(const std::vector<std::string_view>& items) {
    std::string path;
    for (std::string_view item : items) {
        if (item.size() < 3) return "";
        unsigned type = TypeOf(item);
        if (type == kRootItem) {
            if (!IsGuidAt(item, 4, kMyComputer) && !IsGuidAt(item, 4, kNetwork)) return "";
            path.clear();
        } else if ((type & kClassMask) == kVolumeClass) {
            auto root = DriveRoot(item);
            if (!root) return "";
            path = *root;
        } else if ((type & kClassMask) == kNetworkClass) {
            // Network places: domains and providers have plain names; servers and
            // shares carry "\\server" and "\\server\share".
            auto location = bytes::AnsiZAt(item, 5);
            if (!location) return "";
            if (text::StartsWith(*location, "\\\\")) path = text::AnsiToUtf8(*location);
        } else if ((type & kClassMask) == kFileClass) {
            if (path.empty()) return "";
            auto name = LongName(item);
            if (!name) name = PrimaryName(item);
            if (!name || name->empty()) return "";
            AppendComponent(path, *name);
        } else {
            return "";
        }
    }
    return path;
}

std::string IdListForPath(const std::string& path, bool targetIsFolder) {
    if (path.size() < 3 || path[1] != ':' || (path[2] != '\\' && path[2] != '/')) return "";
    char letter = path[0];
    if (letter >= 'a' && letter <= 'z') letter = static_cast<char>(letter - 32);
    if (letter < 'A' || letter > 'Z') return "";

    std::vector<std::string> names;
    std::string current;
    for (char c : path.substr(3)) {
        if (c == '\\' || c == '/') {
            if (!current.empty()) names.push_back(current);
            current.clear();
        } else {
            current += c;
        }
    }
    bool lastIsFolder = targetIsFolder || current.empty();
    if (!current.empty()) names.push_back(current);

    std::string list = RootItem(kMyComputer, 0x50) + DriveItem(letter);
    for (size_t i = 0; i < names.size(); ++i)
        list += FileItem(names[i], i + 1 < names.size() || lastIsFolder);
    list.append(2, '\0');
    return list;
}

std::string ShortNameFor(const std::string& longName) {
    if (FitsEightDotThree(longName)) return longName;
    size_t dot = longName.rfind('.');
    std::string base = ShortPart(std::string_view(longName).substr(0, dot), 6);
    std::string ext =
        dot == std::string::npos ? "" : ShortPart(std::string_view(longName).substr(dot + 1), 3);
    if (base.empty()) base.push_back('_');
    std::string shortName = base;
    shortName += "~1";
    if (!ext.empty()) {
        shortName += '.';
        shortName += ext;
    }
    return shortName;
}

}  // namespace shellitems
