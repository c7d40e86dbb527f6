#include "tests/ShellLinkImages.h"

#include "platform/Text.h"
#include "platform/portable/ByteStream.h"

namespace link_images {
namespace {

const char kLinkClsid[] = "\x01\x14\x02\x00\x00\x00\x00\x00\xC0\x00\x00\x00\x00\x00\x00\x46";

// A root item: its class in stored byte order.
std::string Root(uint8_t sortIndex, const char (&guid)[17]) {
    bytes::Writer w;
    w.U16(20);
    w.U8(0x1F);
    w.U8(sortIndex);
    w.Bytes(std::string(guid, 16));
    return w.Take();
}

void Utf16Z(bytes::Writer& w, const std::string& utf8) {
    w.Utf16(text::Utf8ToUtf16(utf8));
    w.U16(0);
}

// The BEEF0004 block of the given form, without the item's final offset word.
std::string LongNameBlock(Form form, const std::string& longName) {
    bytes::Writer w;
    w.U16(0);  // size, patched below
    if (form == Form::Wine) {
        w.Zeros(6);
    } else {
        w.U16(form == Form::WindowsXp ? 3 : form == Form::Windows7 ? 8 : 9);
        w.U32(0xBEEF0004);
    }
    w.U32(0x4B215A3C);  // creation time
    w.U32(0x4B215A3C);  // last access time
    if (form == Form::WindowsXp || form == Form::Wine) {
        w.U16(form == Form::Wine ? 0 : 0x14);
        w.U16(0);
    } else {
        w.U16(form == Form::Windows7 ? 0x2A : 0x2E);
        w.U16(0);
        w.U64(0x0001000000012345);  // NTFS file reference
        w.U64(0);
        w.U16(0);  // no localised name
        if (form == Form::Windows10) w.U32(0);
        w.U32(0);
    }
    Utf16Z(w, longName);
    w.PatchU16(0, static_cast<uint16_t>(w.size() + 2));
    return w.Take();
}

}  // namespace

std::string Header(uint32_t flags, int32_t iconIndex, uint32_t showCommand, uint16_t hotKey) {
    bytes::Writer w;
    w.U32(0x4C);
    w.Bytes(std::string(kLinkClsid, 16));
    w.U32(flags);
    w.U32(0x20);
    w.U64(0x01D5A2B3C4D5E6F7);
    w.U64(0x01D5A2B3C4D5E6F7);
    w.U64(0x01D5A2B3C4D5E6F7);
    w.U32(12345);
    w.U32(static_cast<uint32_t>(iconIndex));
    w.U32(showCommand);
    w.U16(hotKey);
    w.Zeros(10);
    return w.Take();
}

std::string MyComputer() {
    return Root(0x50, "\xE0\x4F\xD0\x20\xEA\x3A\x69\x10\xA2\xD8\x08\x00\x2B\x30\x30\x9D");
}
std::string NetworkRoot() {
    return Root(0x58, "\x60\x2C\x8D\x20\xEA\x3A\x69\x10\xA2\xD7\x08\x00\x2B\x30\x30\x9D");
}
std::string ControlPanelRoot() {
    return Root(0x70, "\x20\x20\xEC\x21\xEA\x3A\x69\x10\xA2\xDD\x08\x00\x2B\x30\x30\x9D");
}

std::string Drive(const std::string& root, uint8_t type) {
    bytes::Writer w;
    w.U16(25);
    w.U8(type);
    w.Bytes(root);
    w.Zeros(25 - w.size());
    return w.Take();
}

std::string NetworkShare(const std::string& unc) {
    bytes::Writer w;
    w.U16(0);
    w.U8(0xC3);
    w.U8(0x01);
    w.U8(0x80);  // a description follows
    w.Bytes(unc);
    w.U8(0);
    w.Bytes("Share");
    w.U8(0);
    w.U16(0);
    w.PatchU16(0, static_cast<uint16_t>(w.size()));
    return w.Take();
}

std::string FileEntry(Form form, const std::string& shortName, const std::string& longName,
                      bool isFolder) {
    bytes::Writer w;
    w.U16(0);  // size, patched below
    uint8_t type = isFolder ? 0x31 : 0x32;
    if (form == Form::UnicodePrimary) type |= 0x04;
    w.U8(type);
    w.U8(0);
    w.U32(isFolder ? 0 : 4096);
    w.U32(0x4B215A3C);
    w.U16(isFolder ? 0x10 : 0x20);
    if (form == Form::UnicodePrimary) {
        Utf16Z(w, longName);
    } else if (form == Form::Wine) {
        w.Bytes(text::Utf8ToAnsi(longName));
        w.U8(0);
        w.U8(0);  // no short name
    } else {
        w.Bytes(shortName);
        w.U8(0);
    }
    if (form != Form::ShortNameOnly && form != Form::UnicodePrimary) {
        if (w.size() % 2) w.U8(0);
        size_t blockOffset = w.size();
        w.Bytes(LongNameBlock(form, longName));
        w.U16(static_cast<uint16_t>(blockOffset));
    }
    w.PatchU16(0, static_cast<uint16_t>(w.size()));
    return w.Take();
}

std::string IdList(const std::vector<std::string>& items) {
    std::string list;
    for (const std::string& item : items) list += item;
    list.append(2, '\0');
    bytes::Writer w;
    w.U16(static_cast<uint16_t>(list.size()));
    w.Bytes(list);
    return w.Take();
}

std::string LinkInfo(const LocalPart* local, const NetworkPart* network,
                     const std::string& suffix) {
    bool unicode =
        (local && !local->unicodePath.empty()) || (network && !network->unicodeNetName.empty());
    uint32_t headerSize = unicode ? 0x24 : 0x1C;
    bytes::Writer w;
    w.U32(0);
    w.U32(headerSize);
    w.U32((local ? 1 : 0) | (network ? 2 : 0));
    w.Zeros(headerSize - 12);
    if (local) {
        w.PatchU32(12, static_cast<uint32_t>(w.size()));
        w.U32(0x10 + 5);  // VolumeID with the label "DATA"
        w.U32(local->driveType);
        w.U32(0x12345678);
        w.U32(0x10);
        w.Bytes("DATA");
        w.U8(0);
        w.PatchU32(16, static_cast<uint32_t>(w.size()));
        w.Bytes(local->ansiPath);
        w.U8(0);
    }
    if (network) {
        size_t start = w.size();
        w.PatchU32(20, static_cast<uint32_t>(start));
        bool netUnicode = !network->unicodeNetName.empty();
        bool device = !network->deviceName.empty();
        w.U32(0);
        w.U32((device ? 1 : 0) | 2);
        w.U32(netUnicode ? 0x1C : 0x14);
        w.U32(0);
        w.U32(0x00020000);
        if (netUnicode) w.Zeros(8);
        w.Bytes(network->netName);
        w.U8(0);
        if (device) {
            w.PatchU32(start + 12, static_cast<uint32_t>(w.size() - start));
            w.Bytes(network->deviceName);
            w.U8(0);
        }
        if (netUnicode) {
            w.PatchU32(start + 20, static_cast<uint32_t>(w.size() - start));
            Utf16Z(w, network->unicodeNetName);
            if (device) {
                w.PatchU32(start + 24, static_cast<uint32_t>(w.size() - start));
                Utf16Z(w, network->deviceName);
            }
        }
        w.PatchU32(start, static_cast<uint32_t>(w.size() - start));
    }
    w.PatchU32(24, static_cast<uint32_t>(w.size()));
    w.Bytes(suffix);
    w.U8(0);
    if (unicode) {
        if (local && !local->unicodePath.empty()) {
            w.PatchU32(28, static_cast<uint32_t>(w.size()));
            Utf16Z(w, local->unicodePath);
        }
        w.PatchU32(32, static_cast<uint32_t>(w.size()));
        Utf16Z(w, text::AnsiToUtf8(suffix));
    }
    w.PatchU32(0, static_cast<uint32_t>(w.size()));
    return w.Take();
}

std::string UnicodeString(const std::string& utf8) {
    std::u16string units = text::Utf8ToUtf16(utf8);
    bytes::Writer w;
    w.U16(static_cast<uint16_t>(units.size()));
    w.Utf16(units);
    return w.Take();
}

std::string AnsiString(const std::string& ansiBytes) {
    bytes::Writer w;
    w.U16(static_cast<uint16_t>(ansiBytes.size()));
    w.Bytes(ansiBytes);
    return w.Take();
}

std::string Block(uint32_t signature, const std::string& payload) {
    bytes::Writer w;
    w.U32(static_cast<uint32_t>(8 + payload.size()));
    w.U32(signature);
    w.Bytes(payload);
    return w.Take();
}

std::string EnvironmentBlock(const std::string& ansiTarget, const std::string& unicodeTarget) {
    std::string ansi = ansiTarget;
    ansi.resize(260, '\0');
    std::u16string units = text::Utf8ToUtf16(unicodeTarget);
    units.resize(260, u'\0');
    bytes::Writer payload;
    payload.Bytes(ansi);
    payload.Utf16(units);
    return Block(0xA0000001, payload.Take());
}

std::string Terminal() {
    return std::string(4, '\0');
}

}  // namespace link_images
