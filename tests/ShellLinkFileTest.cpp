// The portable shell link reader and writer, on link files built byte by byte in the
// forms that Windows and Wine write.
#include <gtest/gtest.h>

#include <tuple>

#include "platform/portable/PortableShellLinks.h"
#include "platform/portable/ShellItemIds.h"
#include "platform/portable/ShellLinkFile.h"
#include "platform/Text.h"

namespace {

// Builders of link files, field by field; texts in ANSI bytes or UTF-8 as named.
namespace li {

enum : uint32_t {  // header LinkFlags
    kIdList = 0x1, kLinkInfo = 0x2, kName = 0x4, kRelativePath = 0x8, kWorkingDir = 0x10,
    kArguments = 0x20, kIconLocation = 0x40, kUnicode = 0x80, kForceNoLinkInfo = 0x100,
    kExpString = 0x200, kDarwinId = 0x1000
};
enum class Form { WindowsXp, Windows7, Windows10, Wine, ShortNameOnly, UnicodePrimary };
struct LocalPart {
    std::string ansiPath;       // bytes as stored (ANSI)
    std::string unicodePath{};  // UTF-8; "" for no Unicode forms
    uint32_t driveType = 3;
};
struct NetworkPart {
    std::string netName, unicodeNetName, deviceName;  // ANSI bytes, UTF-8, "" for none
};

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

// A root item: its class in stored byte order (the shell's classes differ in two places).
std::string Root(uint8_t sortIndex, const char* first4, char tenth) {
    return U16(20) + U8(0x1F) + U8(sortIndex) + std::string(first4, 4) + "\xEA\x3A\x69\x10\xA2" +
           tenth + std::string("\x08\x00\x2B\x30\x30\x9D", 6);
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

std::string Header(uint32_t flags, int32_t iconIndex = 0, uint32_t showCommand = 1,
                   uint16_t hotKey = 0) {
    const std::string stamp = U64(0x01D5A2B3C4D5E6F7);
    return U32(0x4C) + std::string(kLinkClsid, 16) + U32(flags) + U32(0x20) + stamp + stamp +
           stamp + U32(12345) + U32(static_cast<uint32_t>(iconIndex)) + U32(showCommand) +
           U16(hotKey) + Z(10);
}

// Root items: My Computer, the network and the Control Panel.
const std::string kMyComputer = Root(0x50, "\xE0\x4F\xD0\x20", '\xD8'),
                  kNetworkRoot = Root(0x58, "\x60\x2C\x8D\x20", '\xD7'),
                  kControlPanel = Root(0x70, "\x20\x20\xEC\x21", '\xDD');
std::string Drive(const std::string& root, uint8_t type = 0x2F) {
    return U16(25) + U8(type) + root + Z(22 - root.size());
}
std::string NetworkShare(const std::string& unc) {  // with a description (0x80)
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

// A LinkInfo structure with the parts given; the suffix in ANSI bytes.
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
            w += Utf16Z(network->unicodeNetName);  // (no device name beside it here)
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

// StringData entries and ExtraData blocks.
std::string UnicodeString(const std::string& utf8) {
    return U16(text::Utf8ToUtf16(utf8).size()) + Utf16(utf8);
}
std::string AnsiString(const std::string& ansiBytes) { return U16(ansiBytes.size()) + ansiBytes; }
std::string Block(uint32_t signature, const std::string& payload) {
    return U32(8 + payload.size()) + U32(signature) + payload;
}
std::string EnvironmentBlock(const std::string& ansiTarget, const std::string& unicodeTarget) {
    std::string ansi = ansiTarget, unicode = Utf16(unicodeTarget);
    ansi.resize(260, '\0');
    unicode.resize(520, '\0');
    return Block(0xA0000001, ansi + unicode);
}

std::string Terminal() { return Z(4); }

}  // namespace li

const std::string kCyrillicAnsi = "C:\\?????\\f.txt";  // as an ANSI writer stores it
const std::string kCyrillic = "C:\\Папка\\f.txt";
const std::string kApp = "C:\\Program Files\\My App.exe";

// My Computer, C:\, "Program Files", "My App.exe" in the given item form.
std::string ProgramIdList(li::Form form) {
    return li::IdList({li::kMyComputer, li::Drive("C:\\"),
                       li::FileEntry(form, "PROGRA~1", "Program Files", true),
                       li::FileEntry(form, "MYAPP~1.EXE", "My App.exe", false)});
}

ShellLinkInfo Read(const std::string& file) {
    ShellLinkInfo info;
    std::string error;
    EXPECT_TRUE(ShellLinkInfoFromBytes(file, info, error)) << error;
    return info;
}

TEST(ShellLinkFile, TargetComesFromTheSourceTheShellPrefers) {
    li::LocalPart notepad{"C:\\Windows\\notepad.exe"}, dataFolder{"C:\\Data\\"};
    li::LocalPart cyrillic{kCyrillicAnsi, kCyrillic}, cyrillicAnsiOnly{kCyrillicAnsi},
        mapped{"Z:\\d\\f.txt", "", 4};
    li::NetworkPart share{"\\\\SERVER\\Share", "", ""}, mappedShare{"\\\\srv\\s", "", "Z:"};
    li::NetworkPart unicodeShare{"\\\\??????\\?????", "\\\\сервер\\общий", ""};
    const std::string cyrillicItems =
        li::IdList({li::kMyComputer, li::Drive("C:\\"),
                    li::FileEntry(li::Form::Windows7, "6D6B~1", "Папка", true),
                    li::FileEntry(li::Form::Windows7, "f.txt", "f.txt", false)});
    struct Case {
        const char* label;
        uint32_t flags;
        std::string body;  // everything after the header
        std::string target;
    };
    const Case cases[] = {
        {"LinkInfo local path", li::kLinkInfo, li::LinkInfo(&notepad, nullptr, ""),
         "C:\\Windows\\notepad.exe"},
        {"LinkInfo local path and suffix", li::kLinkInfo,
         li::LinkInfo(&dataFolder, nullptr, "report.doc"), "C:\\Data\\report.doc"},
        {"LinkInfo Unicode local path", li::kLinkInfo, li::LinkInfo(&cyrillic, nullptr, ""),
         kCyrillic},
        {"LinkInfo network path", li::kLinkInfo, li::LinkInfo(nullptr, &share, "dir\\f.txt"),
         "\\\\SERVER\\Share\\dir\\f.txt"},
        {"LinkInfo network share itself", li::kLinkInfo, li::LinkInfo(nullptr, &share, ""),
         "\\\\SERVER\\Share"},
        {"LinkInfo Unicode network name", li::kLinkInfo,
         li::LinkInfo(nullptr, &unicodeShare, "f.txt"), "\\\\сервер\\общий\\f.txt"},
        {"mapped drive: the network path first", li::kLinkInfo,
         li::LinkInfo(&mapped, &mappedShare, "d\\f.txt"), "\\\\srv\\s\\d\\f.txt"},
        {"shared local disk: the local path first", li::kLinkInfo,
         li::LinkInfo(&dataFolder, &share, "report.doc"), "C:\\Data\\report.doc"},
        {"ID list, Windows XP items", li::kIdList, ProgramIdList(li::Form::WindowsXp), kApp},
        {"ID list, Windows 7 items", li::kIdList, ProgramIdList(li::Form::Windows7), kApp},
        {"ID list, Windows 10 items", li::kIdList, ProgramIdList(li::Form::Windows10), kApp},
        {"ID list, Wine items", li::kIdList, ProgramIdList(li::Form::Wine), kApp},
        {"ID list, Unicode item names", li::kIdList, ProgramIdList(li::Form::UnicodePrimary), kApp},
        {"ID list, 8.3 names only", li::kIdList, ProgramIdList(li::Form::ShortNameOnly),
         "C:\\PROGRA~1\\MYAPP~1.EXE"},
        {"ID list, drive root", li::kIdList,
         li::IdList({li::kMyComputer, li::Drive("D:\\", 0x23)}), "D:\\"},
        {"ID list, network share", li::kIdList,
         li::IdList({li::kNetworkRoot, li::NetworkShare("\\\\server\\share"),
                     li::FileEntry(li::Form::Windows7, "doc.txt", "doc.txt", false)}),
         "\\\\server\\share\\doc.txt"},
        {"ID list before an ANSI local path", li::kIdList | li::kLinkInfo,
         cyrillicItems + li::LinkInfo(&cyrillicAnsiOnly, nullptr, ""), kCyrillic},
        {"ANSI local path when the ID list names no file", li::kIdList | li::kLinkInfo,
         li::IdList({li::kControlPanel}) + li::LinkInfo(&notepad, nullptr, ""),
         "C:\\Windows\\notepad.exe"},
        {"LinkInfo ignored when forced off", li::kIdList | li::kLinkInfo | li::kForceNoLinkInfo,
         ProgramIdList(li::Form::Windows7) + li::LinkInfo(&cyrillic, nullptr, ""), kApp},
        {"Control Panel item", li::kIdList,
         li::IdList({li::kControlPanel, std::string("\x06\x00\x71\x00\x00\x00", 6)}), ""},
        {"My Computer itself", li::kIdList, li::IdList({li::kMyComputer}), ""},
        {"file item without a drive", li::kIdList,
         li::IdList({li::FileEntry(li::Form::Windows7, "a.txt", "a.txt", false)}), ""},
        {"installer-advertised", li::kIdList | li::kDarwinId, ProgramIdList(li::Form::Windows7),
         ""},
        {"environment block only", li::kExpString,
         li::EnvironmentBlock("%windir%\\n.exe", "%windir%\\n.exe"), "%windir%\\n.exe"},
        {"ANSI environment target", li::kExpString,
         li::EnvironmentBlock("%ProgramFiles%\\a.exe", ""), "%ProgramFiles%\\a.exe"},
        {"no target at all", li::kName | li::kUnicode, li::UnicodeString("Just a note"), ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.label);
        EXPECT_EQ(Read(li::Header(c.flags) + c.body + li::Terminal()).target, c.target);
    }
}

TEST(ShellLinkFile, StringsAreUnicodeOrAnsiAsTheHeaderSaysAndEndAtTheirFirstNul) {
    const uint32_t strings =
        li::kName | li::kRelativePath | li::kWorkingDir | li::kArguments | li::kIconLocation;
    li::LocalPart app{"C:\\App\\app.exe"};
    for (uint32_t unicode : {uint32_t{li::kUnicode}, 0u}) {
        SCOPED_TRACE(unicode ? "Unicode" : "ANSI (Windows-1252)");
        auto text = [&](const std::string& utf8, const std::string& ansi) {
            return unicode ? li::UnicodeString(utf8) : li::AnsiString(ansi);
        };
        ShellLinkInfo info =
            Read(li::Header(li::kLinkInfo | strings | unicode, -3, 7, 0x0241) +
                 li::LinkInfo(&app, nullptr, "") + text("Café € 説明", "Caf\xE9 \x80 ??") +
                 text("..\\app.exe", "..\\app.exe") + text("C:\\Работа", "C:\\R?bota") +
                 text(std::string("/x \"ü\"\0/b", 10), std::string("/x \"\xFC\"\0/b", 9)) +
                 text("C:\\icons.dll", "C:\\icons.dll") + li::Terminal());
        EXPECT_EQ(info.target, "C:\\App\\app.exe");
        EXPECT_EQ(info.description, unicode ? "Café € 説明" : "Café € ??");
        EXPECT_EQ(info.workingDirectory, unicode ? "C:\\Работа" : "C:\\R?bota");
        EXPECT_EQ(info.arguments, "/x \"ü\"");
        EXPECT_EQ(info.iconLocation, "C:\\icons.dll");
        EXPECT_EQ(info.iconIndex, -3);
        EXPECT_EQ(info.showCommand, 7);
        EXPECT_EQ(info.hotKey, 0x0241);
    }
}

TEST(ShellLinkFile, DamagedStructuresAreRefused) {
    li::LocalPart app{"C:\\App\\app.exe"};
    li::NetworkPart share{"\\\\SERVER\\Share", "", ""};
    std::string info = li::LinkInfo(&app, nullptr, ""),
                network = li::LinkInfo(nullptr, &share, "f.txt");
    auto patched32 = [](std::string s, size_t at, uint32_t v) { return li::Patch(s, at, v, 4), s; };
    std::string header = li::Header(li::kLinkInfo);
    const std::string damaged = "Damaged shell link: ";
    const std::pair<std::string, std::string> cases[] = {
        {patched32(header, 0, 0x4D) + info,
         "Not a shell link: the header does not name the shell link class"},
        {li::Header(li::kIdList) + std::string("\x04\x00\x01\x00\x00\x00", 6),
         damaged + "an item of the target's ID list is damaged"},  // smaller than its size field
        {header + patched32(info, 0, 0x1000),
         damaged + "the link information runs past the end of the file"},
        {header + patched32(info, 16, 0x7FFFFFFF),
         damaged + "the local path of the link information is damaged"},
        // The network part begins at the end of the 28-byte header; claim 4 KB for it.
        {header + patched32(network, 28, 0x1000),
         damaged + "the network part of the link information is damaged"},
        {li::Header(li::kArguments | li::kUnicode) + std::string("\xFF\x00/x", 4),
         damaged + "the string data runs past the end of the file"},
    };
    for (const auto& [file, expected] : cases) {
        ShellLinkInfo read;
        std::string error;
        EXPECT_FALSE(ShellLinkInfoFromBytes(file, read, error)) << expected;
        EXPECT_EQ(error, expected);
    }
}

TEST(ShellLinkFile, NewTargetReplacesWhatDescribedTheOldOne) {
    li::LocalPart old{"C:\\Old\\app.exe"};
    const uint32_t flags = li::kIdList | li::kLinkInfo | li::kName | li::kRelativePath |
                           li::kWorkingDir | li::kArguments | li::kIconLocation | li::kUnicode |
                           li::kExpString | 0x80000;  // EnableTargetMetadata
    std::string file = li::Header(flags, 4, 3, 0x0641) + ProgramIdList(li::Form::Windows7) +
                       li::LinkInfo(&old, nullptr, "") + li::UnicodeString("Desc") +
                       li::UnicodeString("..\\Old\\app.exe") + li::UnicodeString("C:\\Work") +
                       li::UnicodeString("/x") + li::UnicodeString("C:\\icon.ico") +
                       li::Block(0xA0000002, std::string(196, 'c')) +
                       li::EnvironmentBlock("%OLD%\\app.exe", "%OLD%\\app.exe") +
                       li::Block(0xA0000003, std::string(88, 't')) +
                       li::Block(0xA0000009, std::string(40, 'p')) +
                       li::Block(0xA000000B, std::string(20, 'k')) + li::Terminal();
    shelllink::LinkFile link, back;
    std::string error;
    ASSERT_TRUE(shelllink::Parse(file, link, error)) << error;
    const std::string target = "D:\\New Place\\новый.exe";
    shelllink::SetTarget(link, shelllink::Target{target, false, 0x20, 2});
    ASSERT_TRUE(shelllink::Parse(shelllink::Serialize(link), back, error)) << error;
    EXPECT_EQ(shelllink::TargetPath(back), target);
    std::vector<std::string_view> items;
    ASSERT_TRUE(shellitems::SplitIdList(back.idList, items));
    EXPECT_EQ(shellitems::PathFromItems(items), target);
    ASSERT_TRUE(back.linkInfo.has_value());
    EXPECT_EQ(back.linkInfo->localBasePath, target);
    EXPECT_TRUE(back.linkInfo->localBasePathIsUnicode);
    EXPECT_EQ(back.linkInfo->driveType, 2u);
    EXPECT_EQ(back.fileAttributes, 0x20u);
    // What described the old target goes; the rest stays.
    EXPECT_EQ(back.flags & (li::kRelativePath | li::kExpString | 0x80000u), 0u);
    EXPECT_EQ(back.name + "|" + back.relativePath + "|" + back.workingDir + "|" + back.arguments +
                  "|" + back.iconLocation,
              "Desc||C:\\Work|/x|C:\\icon.ico");
    EXPECT_EQ(back.iconIndex, 4);
    EXPECT_EQ(back.showCommand, 3u);
    EXPECT_EQ(back.hotKey, 0x0641);
    std::vector<uint32_t> kept;
    for (const auto& block : back.extraData) kept.push_back(block.signature);
    EXPECT_EQ(kept, (std::vector<uint32_t>{0xA0000002, 0xA0000009}));
}

TEST(ShellItemIds, PathsTurnIntoItemsAndBack) {
    const std::tuple<std::string, bool, std::string> paths[] = {
        {"C:\\", true, "C:\\"},
        {"D:\\Program Files\\Some App\\", true, "D:\\Program Files\\Some App"},
        {"E:\\Папка\\文件.txt", false, "E:\\Папка\\文件.txt"},
        {"C:/forward/slashes.txt", false, "C:\\forward\\slashes.txt"}};
    for (const auto& [path, isFolder, back] : paths) {
        std::string list = shellitems::IdListForPath(path, isFolder);
        std::vector<std::string_view> items;
        ASSERT_TRUE(shellitems::SplitIdList(list, items));
        EXPECT_EQ(shellitems::PathFromItems(items), back);
        // The last item says folder or file (types 0x31 and 0x32).
        EXPECT_TRUE(items.size() <= 2 || items.back()[2] == (isFolder ? '\x31' : '\x32')) << path;
    }
    for (const char* path : {"\\\\server\\share\\f.txt", "relative\\f.txt", "1:\\x"})
        EXPECT_EQ(shellitems::IdListForPath(path, false), "") << path;
    const std::pair<std::string, std::string> shortNames[] = {
        {"notepad.exe", "notepad.exe"}, {"My App.exe", "MYAPP~1.EXE"},
        {"archive.tar.gz", "ARCHIV~1.GZ"}, {"Папка", "_____~1"}, {"a+b.txt", "A_B~1.TXT"}};
    for (const auto& [name, shortName] : shortNames)
        EXPECT_EQ(shellitems::ShortNameFor(name), shortName);
}

}  // namespace
