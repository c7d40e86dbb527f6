#include "tests/ShellLinkImages.h"

#include "platform/Text.h"

namespace link_images {
namespace {

// Little-endian numbers, zeros and NUL-terminated UTF-16LE text, as byte strings.
std::string Le(uint64_t v, int size) {
    std::string s;
    for (int i = 0; i < size; ++i) s += static_cast<char>((v >> (8 * i)) & 0xFF);
    return s;
}
std::string U8(uint64_t v) { return Le(v, 1); }
std::string U16(uint64_t v) { return Le(v, 2); }
std::string U32(uint64_t v) { return Le(v, 4); }
std::string U64(uint64_t v) { return Le(v, 8); }
std::string Z(size_t n) { return std::string(n, '\0'); }
std::string Utf16(const std::string& utf8) {
    std::string s;
    for (char16_t u : text::Utf8ToUtf16(utf8)) s += U16(u);
    return s;
}
std::string Utf16Z(const std::string& utf8) { return Utf16(utf8) + U16(0); }
// Overwrites a 16- or 32-bit number written earlier (sizes known only at the end).
void Patch(std::string& s, size_t at, uint64_t v, int size) { s.replace(at, size, Le(v, size)); }

const char kLinkClsid[] = "\x01\x14\x02\x00\x00\x00\x00\x00\xC0\x00\x00\x00\x00\x00\x00\x46";
const uint32_t kTime = 0x4B215A3C;

// A root item: its class in stored byte order.
std::string Root(uint8_t sortIndex, const char (&guid)[17]) {
    return U16(20) + U8(0x1F) + U8(sortIndex) + std::string(guid, 16);
}

// The BEEF0004 block of the given form, without the item's final offset word.
std::string LongNameBlock(Form form, const std::string& longName) {
    std::string w = Z(2);  // size, patched below
    w += form == Form::Wine ? Z(6)
                            : U16(form == Form::WindowsXp ? 3 : form == Form::Windows7 ? 8 : 9) +
                                  U32(0xBEEF0004);
    w += U32(kTime) + U32(kTime);  // creation and last access times
    if (form == Form::WindowsXp || form == Form::Wine) {
        w += U16(form == Form::Wine ? 0 : 0x14) + U16(0);
    } else {
        // NTFS file reference, no localised name.
        w += U16(form == Form::Windows7 ? 0x2A : 0x2E) + U16(0) + U64(0x0001000000012345) + U64(0) +
             U16(0) + (form == Form::Windows10 ? U32(0) : "") + U32(0);
    }
    w += Utf16Z(longName);
    Patch(w, 0, w.size() + 2, 2);
    return w;
}

}  // namespace

std::string Header(uint32_t flags, int32_t iconIndex, uint32_t showCommand, uint16_t hotKey) {
    const std::string stamp = U64(0x01D5A2B3C4D5E6F7);
    return U32(0x4C) + std::string(kLinkClsid, 16) + U32(flags) + U32(0x20) + stamp + stamp +
           stamp + U32(12345) + U32(static_cast<uint32_t>(iconIndex)) + U32(showCommand) +
           U16(hotKey) + Z(10);
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
    return U16(25) + U8(type) + root + Z(22 - root.size());
}

std::string NetworkShare(const std::string& unc) {
    // A description follows (0x80).
    std::string body = U8(0xC3) + U8(0x01) + U8(0x80) + unc + Z(1) + "Share" + Z(1) + U16(0);
    return U16(body.size() + 2) + body;
}

std::string FileEntry(Form form, const std::string& shortName, const std::string& longName,
                      bool isFolder) {
    uint8_t type = (isFolder ? 0x31 : 0x32) | (form == Form::UnicodePrimary ? 0x04 : 0);
    std::string w = Z(2) + U8(type) + U8(0) + U32(isFolder ? 0 : 4096) + U32(kTime) +
                    U16(isFolder ? 0x10 : 0x20);
    if (form == Form::UnicodePrimary)
        w += Utf16Z(longName);
    else if (form == Form::Wine)
        w += text::Utf8ToAnsi(longName) + Z(2);  // no short name
    else
        w += shortName + Z(1);
    if (form != Form::ShortNameOnly && form != Form::UnicodePrimary) {
        if (w.size() % 2) w += Z(1);
        size_t blockOffset = w.size();
        w += LongNameBlock(form, longName) + U16(blockOffset);
    }
    Patch(w, 0, w.size(), 2);
    return w;
}

std::string IdList(const std::vector<std::string>& items) {
    std::string list;
    for (const std::string& item : items) list += item;
    return U16(list.size() + 2) + list + Z(2);
}

std::string LinkInfo(const LocalPart* local, const NetworkPart* network,
                     const std::string& suffix) {
    bool unicode =
        (local && !local->unicodePath.empty()) || (network && !network->unicodeNetName.empty());
    uint32_t headerSize = unicode ? 0x24 : 0x1C;
    std::string w = U32(0) + U32(headerSize) + U32((local ? 1 : 0) | (network ? 2 : 0)) +
                    Z(headerSize - 12);
    if (local) {
        Patch(w, 12, w.size(), 4);
        // VolumeID with the label "DATA".
        w += U32(0x10 + 5) + U32(local->driveType) + U32(0x12345678) + U32(0x10) + "DATA" + Z(1);
        Patch(w, 16, w.size(), 4);
        w += local->ansiPath + Z(1);
    }
    if (network) {
        size_t start = w.size();
        Patch(w, 20, start, 4);
        bool netUnicode = !network->unicodeNetName.empty(), device = !network->deviceName.empty();
        w += U32(0) + U32((device ? 1 : 0) | 2) + U32(netUnicode ? 0x1C : 0x14) + U32(0) +
             U32(0x00020000) + Z(netUnicode ? 8 : 0) + network->netName + Z(1);
        if (device) {
            Patch(w, start + 12, w.size() - start, 4);
            w += network->deviceName + Z(1);
        }
        if (netUnicode) {
            Patch(w, start + 20, w.size() - start, 4);
            w += Utf16Z(network->unicodeNetName);
            if (device) {
                Patch(w, start + 24, w.size() - start, 4);
                w += Utf16Z(network->deviceName);
            }
        }
        Patch(w, start, w.size() - start, 4);
    }
    Patch(w, 24, w.size(), 4);
    w += suffix + Z(1);
    if (unicode) {
        if (local && !local->unicodePath.empty()) {
            Patch(w, 28, w.size(), 4);
            w += Utf16Z(local->unicodePath);
        }
        Patch(w, 32, w.size(), 4);
        w += Utf16Z(text::AnsiToUtf8(suffix));
    }
    Patch(w, 0, w.size(), 4);
    return w;
}

std::string UnicodeString(const std::string& utf8) {
    return U16(text::Utf8ToUtf16(utf8).size()) + Utf16(utf8);
}

std::string AnsiString(const std::string& ansiBytes) { return U16(ansiBytes.size()) + ansiBytes; }

std::string Block(uint32_t signature, const std::string& payload) {
    return U32(8 + payload.size()) + U32(signature) + payload;
}

std::string EnvironmentBlock(const std::string& ansiTarget, const std::string& unicodeTarget) {
    std::string ansi = ansiTarget;
    ansi.resize(260, '\0');
    std::u16string units = text::Utf8ToUtf16(unicodeTarget);
    units.resize(260, u'\0');
    std::string payload = ansi;
    for (char16_t u : units) payload += U16(u);
    return Block(0xA0000001, payload);
}

std::string Terminal() { return Z(4); }

}  // namespace link_images
