// The portable shell link reader and writer, on link files built byte by byte in the
// forms that Windows and Wine write.
#include <gtest/gtest.h>

#include <tuple>

#include "platform/portable/PortableShellLinks.h"
#include "platform/portable/ShellItemIds.h"
#include "platform/portable/ShellLinkFile.h"
#include "tests/ShellLinkImages.h"

namespace li = link_images;

namespace {

const std::string kCyrillicAnsi = "C:\\?????\\f.txt";  // as an ANSI writer stores it
const std::string kCyrillic = "C:\\Папка\\f.txt";
const std::string kApp = "C:\\Program Files\\My App.exe";

// My Computer, C:\, "Program Files", "My App.exe" in the given item form.
std::string ProgramIdList(li::Form form) {
    return li::IdList({li::MyComputer(), li::Drive("C:\\"),
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
        li::IdList({li::MyComputer(), li::Drive("C:\\"),
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
         li::IdList({li::MyComputer(), li::Drive("D:\\", 0x23)}), "D:\\"},
        {"ID list, network share", li::kIdList,
         li::IdList({li::NetworkRoot(), li::NetworkShare("\\\\server\\share"),
                     li::FileEntry(li::Form::Windows7, "doc.txt", "doc.txt", false)}),
         "\\\\server\\share\\doc.txt"},
        {"ID list before an ANSI local path", li::kIdList | li::kLinkInfo,
         cyrillicItems + li::LinkInfo(&cyrillicAnsiOnly, nullptr, ""), kCyrillic},
        {"ANSI local path when the ID list names no file", li::kIdList | li::kLinkInfo,
         li::IdList({li::ControlPanelRoot()}) + li::LinkInfo(&notepad, nullptr, ""),
         "C:\\Windows\\notepad.exe"},
        {"LinkInfo ignored when forced off", li::kIdList | li::kLinkInfo | li::kForceNoLinkInfo,
         ProgramIdList(li::Form::Windows7) + li::LinkInfo(&notepad, nullptr, ""), kApp},
        {"Control Panel item", li::kIdList,
         li::IdList({li::ControlPanelRoot(), std::string("\x06\x00\x71\x00\x00\x00", 6)}), ""},
        {"My Computer itself", li::kIdList, li::IdList({li::MyComputer()}), ""},
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
    for (bool unicode : {true, false}) {
        SCOPED_TRACE(unicode ? "Unicode" : "ANSI (Windows-1252)");
        auto text = [&](const std::string& utf8, const std::string& ansi) {
            return unicode ? li::UnicodeString(utf8) : li::AnsiString(ansi);
        };
        ShellLinkInfo info =
            Read(li::Header(li::kLinkInfo | strings | (unicode ? li::kUnicode : 0), -3, 7, 0x0241) +
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
    auto patched32 = [](std::string s, size_t at, uint32_t v) {
        for (int i = 0; i < 4; ++i) s[at + i] = static_cast<char>((v >> (8 * i)) & 0xFF);
        return s;
    };
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
