#include "platform/portable/LinkInfoBlock.h"

#include <optional>

#include "platform/Text.h"
#include "platform/portable/ByteStream.h"

namespace linkinfo {
namespace {

constexpr uint32_t kVolumeIdAndLocalBasePath = 0x1;
constexpr uint32_t kCommonNetworkRelativeLinkAndPathSuffix = 0x2;
constexpr uint32_t kHeaderSize = 0x1C;
constexpr uint32_t kHeaderSizeWithUnicode = 0x24;

constexpr uint32_t kValidDevice = 0x1;
constexpr uint32_t kValidNetType = 0x2;
constexpr uint32_t kNetworkHeaderSize = 0x14;
constexpr uint32_t kNetworkHeaderSizeWithUnicode = 0x1C;
constexpr uint32_t kWnncNetLanman = 0x00020000;

constexpr uint32_t kVolumeHeaderSize = 0x10;
constexpr uint32_t kVolumeLabelUnicodeMark = 0x14;

std::optional<std::string> Ansi(std::string_view data, uint32_t offset) {
    auto s = bytes::AnsiZAt(data, offset);
    if (!s) return std::nullopt;
    return text::AnsiToUtf8(*s);
}

std::optional<std::string> Unicode(std::string_view data, uint32_t offset) {
    auto s = bytes::Utf16ZAt(data, offset);
    if (!s) return std::nullopt;
    return text::Utf16ToUtf8(*s);
}

// A sub-structure that starts with its own 32-bit size; nothing when it does not fit.
std::optional<std::string_view> SizedPart(std::string_view block, uint32_t offset,
                                          uint32_t minSize) {
    auto size = bytes::U32At(block, offset);
    if (!size || *size < minSize || *size > block.size() - offset) return std::nullopt;
    return block.substr(offset, *size);
}

// The volume only tells the drive type, serial and label; a damaged one is ignored
// because the path does not depend on it.
void ParseVolume(std::string_view block, uint32_t offset, LinkInfo& info) {
    auto volume = SizedPart(block, offset, kVolumeHeaderSize);
    if (!volume) return;
    info.driveType = *bytes::U32At(*volume, 4);
    info.driveSerial = *bytes::U32At(*volume, 8);
    uint32_t labelOffset = *bytes::U32At(*volume, 12);
    std::optional<std::string> label;
    if (labelOffset == kVolumeLabelUnicodeMark) {
        if (auto unicodeOffset = bytes::U32At(*volume, 16))
            label = Unicode(*volume, *unicodeOffset);
    } else {
        label = Ansi(*volume, labelOffset);
    }
    if (label) info.volumeLabel = *label;
}

bool ParseNetwork(std::string_view block, uint32_t offset, LinkInfo& info, std::string& error) {
    auto link = SizedPart(block, offset, kNetworkHeaderSize);
    if (!link) {
        error = "the network part of the link information is damaged";
        return false;
    }
    uint32_t flags = *bytes::U32At(*link, 4);
    uint32_t netNameOffset = *bytes::U32At(*link, 8);
    uint32_t deviceNameOffset = *bytes::U32At(*link, 12);
    std::optional<std::string> netName;
    std::optional<std::string> deviceName;
    if (netNameOffset > kNetworkHeaderSize) {
        auto netNameUnicode = bytes::U32At(*link, 20);
        auto deviceNameUnicode = bytes::U32At(*link, 24);
        if (netNameUnicode && *netNameUnicode) netName = Unicode(*link, *netNameUnicode);
        if ((flags & kValidDevice) && deviceNameUnicode && *deviceNameUnicode)
            deviceName = Unicode(*link, *deviceNameUnicode);
    }
    if (!netName) netName = Ansi(*link, netNameOffset);
    if (!deviceName && (flags & kValidDevice)) deviceName = Ansi(*link, deviceNameOffset);
    if (!netName || ((flags & kValidDevice) && !deviceName)) {
        error = "a name in the network part of the link information is damaged";
        return false;
    }
    info.hasNetwork = true;
    info.netName = *netName;
    info.deviceName = deviceName.value_or("");
    return true;
}

bool FitsAnsi(const std::string& s) {
    return text::AnsiToUtf8(text::Utf8ToAnsi(s)) == s;
}

void AnsiZ(bytes::Writer& w, const std::string& s) {
    w.Bytes(text::Utf8ToAnsi(s));
    w.U8(0);
}

void UnicodeZ(bytes::Writer& w, const std::string& s) {
    w.Utf16(text::Utf8ToUtf16(s));
    w.U16(0);
}

void WriteVolume(bytes::Writer& w, const LinkInfo& info) {
    std::string label = text::Utf8ToAnsi(info.volumeLabel);
    w.U32(static_cast<uint32_t>(kVolumeHeaderSize + label.size() + 1));
    w.U32(info.driveType);
    w.U32(info.driveSerial);
    w.U32(kVolumeHeaderSize);
    AnsiZ(w, info.volumeLabel);
}

void WriteNetwork(bytes::Writer& w, const LinkInfo& info, bool unicode) {
    size_t start = w.size();
    uint32_t headerSize = unicode ? kNetworkHeaderSizeWithUnicode : kNetworkHeaderSize;
    bool hasDevice = !info.deviceName.empty();
    w.U32(0);  // size, patched below
    w.U32(kValidNetType | (hasDevice ? kValidDevice : 0));
    w.U32(headerSize);  // NetName follows the header
    w.U32(0);           // DeviceName, patched below
    w.U32(kWnncNetLanman);
    if (unicode) w.Zeros(8);  // NetNameUnicode and DeviceNameUnicode, patched below
    AnsiZ(w, info.netName);
    if (hasDevice) {
        w.PatchU32(start + 12, static_cast<uint32_t>(w.size() - start));
        AnsiZ(w, info.deviceName);
    }
    if (unicode) {
        w.PatchU32(start + 20, static_cast<uint32_t>(w.size() - start));
        UnicodeZ(w, info.netName);
        if (hasDevice) {
            w.PatchU32(start + 24, static_cast<uint32_t>(w.size() - start));
            UnicodeZ(w, info.deviceName);
        }
    }
    w.PatchU32(start, static_cast<uint32_t>(w.size() - start));
}

}  // namespace

bool Parse(std::string_view block, LinkInfo& info, std::string& error) {
    info = LinkInfo{};
    if (block.size() < kHeaderSize) {
        error = "the link information is shorter than its header";
        return false;
    }
    uint32_t headerSize = *bytes::U32At(block, 4);
    uint32_t flags = *bytes::U32At(block, 8);
    uint32_t volumeOffset = *bytes::U32At(block, 12);
    uint32_t localBasePathOffset = *bytes::U32At(block, 16);
    uint32_t networkOffset = *bytes::U32At(block, 20);
    uint32_t suffixOffset = *bytes::U32At(block, 24);
    if (headerSize < kHeaderSize || headerSize > block.size()) {
        error = "the link information has a wrong header size";
        return false;
    }
    bool unicodeForms = headerSize >= kHeaderSizeWithUnicode;
    uint32_t localBasePathUnicodeOffset = unicodeForms ? *bytes::U32At(block, 28) : 0;
    uint32_t suffixUnicodeOffset = unicodeForms ? *bytes::U32At(block, 32) : 0;

    if (flags & kVolumeIdAndLocalBasePath) {
        ParseVolume(block, volumeOffset, info);
        std::optional<std::string> path;
        if (localBasePathUnicodeOffset) {
            path = Unicode(block, localBasePathUnicodeOffset);
            info.localBasePathIsUnicode = path.has_value();
        }
        if (!path) path = Ansi(block, localBasePathOffset);
        if (!path) {
            error = "the local path of the link information is damaged";
            return false;
        }
        info.hasLocalPath = true;
        info.localBasePath = *path;
    }
    if ((flags & kCommonNetworkRelativeLinkAndPathSuffix) &&
        !ParseNetwork(block, networkOffset, info, error))
        return false;
    // Wine leaves the suffix out (offset 0); Windows points at an empty text.
    std::optional<std::string> suffix;
    if (suffixUnicodeOffset) suffix = Unicode(block, suffixUnicodeOffset);
    if (!suffix && suffixOffset) suffix = Ansi(block, suffixOffset);
    if (suffixOffset && !suffix) {
        error = "the path suffix of the link information is damaged";
        return false;
    }
    info.commonPathSuffix = suffix.value_or("");
    return true;
}

std::string Build(const LinkInfo& info) {
    bool unicode = !FitsAnsi(info.localBasePath) || !FitsAnsi(info.commonPathSuffix) ||
                   !FitsAnsi(info.netName) || !FitsAnsi(info.deviceName);
    uint32_t headerSize = unicode ? kHeaderSizeWithUnicode : kHeaderSize;
    bytes::Writer w;
    w.U32(0);  // size, patched below
    w.U32(headerSize);
    w.U32((info.hasLocalPath ? kVolumeIdAndLocalBasePath : 0) |
          (info.hasNetwork ? kCommonNetworkRelativeLinkAndPathSuffix : 0));
    w.Zeros(headerSize - 12);  // offsets, patched below
    if (info.hasLocalPath) {
        w.PatchU32(12, static_cast<uint32_t>(w.size()));
        WriteVolume(w, info);
        w.PatchU32(16, static_cast<uint32_t>(w.size()));
        AnsiZ(w, info.localBasePath);
    }
    if (info.hasNetwork) {
        w.PatchU32(20, static_cast<uint32_t>(w.size()));
        WriteNetwork(w, info, unicode);
    }
    w.PatchU32(24, static_cast<uint32_t>(w.size()));
    AnsiZ(w, info.commonPathSuffix);
    if (unicode) {
        if (info.hasLocalPath) {
            w.PatchU32(28, static_cast<uint32_t>(w.size()));
            UnicodeZ(w, info.localBasePath);
        }
        w.PatchU32(32, static_cast<uint32_t>(w.size()));
        UnicodeZ(w, info.commonPathSuffix);
    }
    w.PatchU32(0, static_cast<uint32_t>(w.size()));
    return w.Take();
}

}  // namespace linkinfo
