// The portable shell link reader and writer, on link files built byte by byte in the
// forms that Windows and Wine write.
#include <gtest/gtest.h>

#include "platform/Text.h"
#include "platform/portable/PortableShellLinks.h"
#include "platform/portable/ShellItemIds.h"
#include "platform/portable/ShellLinkFile.h"
#include "tests/ShellLinkImages.h"

namespace li = link_images;

namespace {

const std::string kCyrillicAnsi = "C:\\?????\\f.txt";  // as an ANSI writer stores it
const std::string kCyrillic = "C:\\Папка\\f.txt";

li::LocalPart Local(const std::string& ansi, const std::string& unicode = "",
                    uint32_t driveType = 3) {
    return li::LocalPart{ansi, unicode, driveType};
}

// My Computer, C:\, "Program Files", "My App.exe" in the given item form.
std::string ProgramIdList(li::Form form) {
    return li::IdList({li::MyComputer(), li::Drive("C:\\"),
                       li::FileEntry(form, "PROGRA~1", "Program Files", true),
                       li::FileEntry(form, "MYAPP~1.EXE", "My App.exe", false)});
}

TEST(ShellLinkFile, TargetComesFromTheSourceTheShellPrefers) {
    li::LocalPart notepad = Local("C:\\Windows\\notepad.exe");
    li::LocalPart dataFolder = Local("C:\\Data\\");
    li::LocalPart cyrillic = Local(kCyrillicAnsi, kCyrillic);
    li::LocalPart cyrillicAnsiOnly = Local(kCyrillicAnsi);
    li::LocalPart mapped = Local("Z:\\dir\\f.txt", "", 4);
    li::NetworkPart share{"\\\\SERVER\\Share", "", ""};
    li::NetworkPart mappedShare{"\\\\srv\\s", "", "Z:"};
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
         li::LinkInfo(&mapped, &mappedShare, "dir\\f.txt"), "\\\\srv\\s\\dir\\f.txt"},
        {"ID list, Windows XP items", li::kIdList, ProgramIdList(li::Form::WindowsXp),
         "C:\\Program Files\\My App.exe"},
        {"ID list, Windows 7 items", li::kIdList, ProgramIdList(li::Form::Windows7),
         "C:\\Program Files\\My App.exe"},
        {"ID list, Windows 10 items", li::kIdList, ProgramIdList(li::Form::Windows10),
         "C:\\Program Files\\My App.exe"},
        {"ID list, Wine items", li::kIdList, ProgramIdList(li::Form::Wine),
         "C:\\Program Files\\My App.exe"},
        {"ID list, Unicode item names", li::kIdList, ProgramIdList(li::Form::UnicodePrimary),
         "C:\\Program Files\\My App.exe"},
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
         ProgramIdList(li::Form::Windows7) + li::LinkInfo(&notepad, nullptr, ""),
         "C:\\Program Files\\My App.exe"},
        {"Control Panel item", li::kIdList,
         li::IdList({li::ControlPanelRoot(), std::string("\x06\x00\x71\x00\x00\x00", 6)}), ""},
        {"My Computer itself", li::kIdList, li::IdList({li::MyComputer()}), ""},
        {"file item without a drive", li::kIdList,
         li::IdList({li::FileEntry(li::Form::Windows7, "a.txt", "a.txt", false)}), ""},
        {"installer-advertised", li::kIdList | li::kDarwinId, ProgramIdList(li::Form::Windows7),
         ""},
        {"environment block only", li::kExpString,
         li::EnvironmentBlock("%windir%\\notepad.exe", "%windir%\\notepad.exe"),
         "%windir%\\notepad.exe"},
        {"ANSI environment target", li::kExpString,
         li::EnvironmentBlock("%ProgramFiles%\\app.exe", ""), "%ProgramFiles%\\app.exe"},
        {"no target at all", li::kName | li::kUnicode, li::UnicodeString("Just a note"), ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.label);
        std::string file = li::Header(c.flags) + c.body + li::Terminal();
        ShellLinkInfo info;
        std::string error;
        ASSERT_TRUE(ShellLinkInfoFromBytes(file, info, error)) << error;
        EXPECT_EQ(info.target, c.target);
    }
}

TEST(ShellLinkFile, StringsAreUnicodeOrAnsiAsTheHeaderSays) {
    const uint32_t strings =
        li::kName | li::kRelativePath | li::kWorkingDir | li::kArguments | li::kIconLocation;
    struct Case {
        const char* label;
        bool unicode;
        std::string name, relative, workingDir, arguments, icon;  // as stored
    };
    const Case cases[] = {
        {"Unicode", true, li::UnicodeString("Café € 説明"), li::UnicodeString("..\\app.exe"),
         li::UnicodeString("C:\\Работа"), li::UnicodeString("/x \"ü\""),
         li::UnicodeString("C:\\icons.dll")},
        {"ANSI (Windows-1252)", false, li::AnsiString("Caf\xE9 \x80 ??"),
         li::AnsiString("..\\app.exe"), li::AnsiString("C:\\R?bota"), li::AnsiString("/x \"\xFC\""),
         li::AnsiString("C:\\icons.dll")},
    };
    const std::string expectedName[] = {"Café € 説明", "Café € ??"};
    const std::string expectedWorkingDir[] = {"C:\\Работа", "C:\\R?bota"};
    for (size_t i = 0; i < std::size(cases); ++i) {
        const Case& c = cases[i];
        SCOPED_TRACE(c.label);
        li::LocalPart app = Local("C:\\App\\app.exe");
        std::string file =
            li::Header(li::kLinkInfo | strings | (c.unicode ? li::kUnicode : 0), -3, 7, 0x0241) +
            li::LinkInfo(&app, nullptr, "") + c.name + c.relative + c.workingDir + c.arguments +
            c.icon + li::Terminal();
        ShellLinkInfo info;
        std::string error;
        ASSERT_TRUE(ShellLinkInfoFromBytes(file, info, error)) << error;
        EXPECT_EQ(info.target, "C:\\App\\app.exe");
        EXPECT_EQ(info.description, expectedName[i]);
        EXPECT_EQ(info.workingDirectory, expectedWorkingDir[i]);
        EXPECT_EQ(info.arguments, "/x \"ü\"");
        EXPECT_EQ(info.iconLocation, "C:\\icons.dll");
        EXPECT_EQ(info.iconIndex, -3);
        EXPECT_EQ(info.showCommand, 7);
        EXPECT_EQ(info.hotKey, 0x0241);
    }
}

TEST(ShellLinkFile, TextsEndAtTheirFirstNul) {
    li::LocalPart app = Local("C:\\App\\app.exe");
    std::string file = li::Header(li::kLinkInfo | li::kArguments | li::kUnicode) +
                       li::LinkInfo(&app, nullptr, "") +
                       li::UnicodeString(std::string("/a\0/b", 5)) + li::Terminal();
    ShellLinkInfo info;
    std::string error;
    ASSERT_TRUE(ShellLinkInfoFromBytes(file, info, error)) << error;
    EXPECT_EQ(info.arguments, "/a");
}

// A link with every part: header, ID list, LinkInfo, strings and extra data.
std::string FullLink() {
    li::LocalPart app = Local("C:\\Program Files\\My App.exe");
    return li::Header(li::kIdList | li::kLinkInfo | li::kName | li::kArguments | li::kUnicode) +
           ProgramIdList(li::Form::Windows7) + li::LinkInfo(&app, nullptr, "") +
           li::UnicodeString("Desc") + li::UnicodeString("/x") +
           li::Block(0xA0000003, std::string(88, 'T')) + li::Terminal();
}

TEST(ShellLinkFile, EveryCutOfALinkFailsCleanlyUntilItsStringsAreComplete) {
    std::string full = FullLink();
    size_t stringsEnd = full.size() - 4 - 96;  // before the tracker block and terminal
    for (size_t size = 0; size <= full.size(); ++size) {
        std::string cut = full.substr(0, size);
        ShellLinkInfo info;
        std::string error;
        bool ok = ShellLinkInfoFromBytes(cut, info, error);
        EXPECT_EQ(ok, size >= stringsEnd) << "cut at " << size << ": " << error;
        if (ok) {
            EXPECT_EQ(info.target, "C:\\Program Files\\My App.exe");
            EXPECT_EQ(info.arguments, "/x");
        } else {
            EXPECT_FALSE(error.empty());
        }
    }
}

TEST(ShellLinkFile, DamagedStructuresAreRefused) {
    li::LocalPart app = Local("C:\\App\\app.exe");
    std::string info = li::LinkInfo(&app, nullptr, "");
    auto patched32 = [](std::string s, size_t at, uint32_t v) {
        for (int i = 0; i < 4; ++i) s[at + i] = static_cast<char>((v >> (8 * i)) & 0xFF);
        return s;
    };
    std::string header = li::Header(li::kLinkInfo);
    std::string badHeaderSize = patched32(header, 0, 0x4D);
    struct Case {
        const char* label;
        std::string file;
        const char* error;
    };
    const Case cases[] = {
        {"header size", badHeaderSize + info,
         "Not a shell link: the header does not name the shell link class"},
        {"short file", std::string("L\0\0\0", 4),
         "Not a shell link: the file is shorter than a shell link header"},
        {"ID list item smaller than its size field",
         li::Header(li::kIdList) + std::string("\x04\x00\x01\x00\x00\x00", 6),
         "Damaged shell link: an item of the target's ID list is damaged"},
        {"ID list item beyond the list",
         li::Header(li::kIdList) + std::string("\x04\x00\x40\x00\x00\x00", 6),
         "Damaged shell link: an item of the target's ID list is damaged"},
        {"LinkInfo beyond the file", header + patched32(info, 0, 0x1000),
         "Damaged shell link: the link information runs past the end of the file"},
        {"LinkInfo header beyond LinkInfo", header + patched32(info, 4, 0x400),
         "Damaged shell link: the link information has a wrong header size"},
        {"LinkInfo smaller than its header", header + patched32(info, 0, 8).substr(0, 8),
         "Damaged shell link: the link information is shorter than its header"},
        {"local path beyond LinkInfo", header + patched32(info, 16, 0x7FFFFFFF),
         "Damaged shell link: the local path of the link information is damaged"},
        {"local path without its NUL", header + info.substr(0, info.size() - 2) + "xx",
         "Damaged shell link: the local path of the link information is damaged"},
        {"suffix without its NUL", header + info.substr(0, info.size() - 1) + "x",
         "Damaged shell link: the path suffix of the link information is damaged"},
        {"string beyond the file",
         li::Header(li::kArguments | li::kUnicode) + std::string("\xFF\x00/x", 4),
         "Damaged shell link: the string data runs past the end of the file"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.label);
        ShellLinkInfo read;
        std::string error;
        EXPECT_FALSE(ShellLinkInfoFromBytes(c.file, read, error));
        EXPECT_EQ(error, c.error);
    }
}

TEST(ShellLinkFile, DamagedNetworkPartIsRefused) {
    li::NetworkPart share{"\\\\SERVER\\Share", "", ""};
    std::string info = li::LinkInfo(nullptr, &share, "f.txt");
    // The network part begins at the end of the 28-byte header; claim 4 KB for it.
    info[28] = '\x00';
    info[29] = '\x10';
    ShellLinkInfo read;
    std::string error;
    EXPECT_FALSE(ShellLinkInfoFromBytes(li::Header(li::kLinkInfo) + info, read, error));
    EXPECT_EQ(error, "Damaged shell link: the network part of the link information is damaged");
}

TEST(ShellLinkFile, ExtraDataIsSkippedAndADamagedTailIgnored) {
    li::LocalPart app = Local("C:\\App\\app.exe");
    std::string front = li::Header(li::kLinkInfo | li::kArguments | li::kUnicode) +
                        li::LinkInfo(&app, nullptr, "") + li::UnicodeString("/x");
    struct Case {
        const char* label;
        std::string extra;
        size_t blocks;
    };
    const Case cases[] = {
        {"no extra data, no terminal", "", 0},
        {"two blocks",
         li::Block(0xA0000002, std::string(196, 'c')) +
             li::Block(0xA0000009, std::string(40, 'p')) + li::Terminal(),
         2},
        {"block beyond the file", li::Block(0xA0000003, std::string(88, 't')).substr(0, 50), 0},
        {"block smaller than its header", std::string("\x06\x00\x00\x00\x01\x00\x00\xA0", 8), 0},
        {"junk after the terminal", li::Terminal() + "junk", 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.label);
        shelllink::LinkFile link;
        std::string error;
        ASSERT_TRUE(shelllink::Parse(front + c.extra, link, error)) << error;
        EXPECT_EQ(shelllink::TargetPath(link), "C:\\App\\app.exe");
        EXPECT_EQ(link.arguments, "/x");
        EXPECT_EQ(link.extraData.size(), c.blocks);
    }
}

TEST(ShellLinkFile, NewTargetReplacesWhatDescribedTheOldOne) {
    li::LocalPart old = Local("C:\\Old\\app.exe");
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
    shelllink::LinkFile link;
    std::string error;
    ASSERT_TRUE(shelllink::Parse(file, link, error)) << error;
    shelllink::SetTarget(link, shelllink::Target{"D:\\New Place\\новый.exe", false, 0x20, 2});

    shelllink::LinkFile back;
    ASSERT_TRUE(shelllink::Parse(shelllink::Serialize(link), back, error)) << error;
    EXPECT_EQ(shelllink::TargetPath(back), "D:\\New Place\\новый.exe");
    std::vector<std::string_view> items;
    ASSERT_TRUE(shellitems::SplitIdList(back.idList, items));
    EXPECT_EQ(shellitems::PathFromItems(items), "D:\\New Place\\новый.exe");
    ASSERT_TRUE(back.linkInfo.has_value());
    EXPECT_EQ(back.linkInfo->localBasePath, "D:\\New Place\\новый.exe");
    EXPECT_TRUE(back.linkInfo->localBasePathIsUnicode);
    EXPECT_EQ(back.linkInfo->driveType, 2u);
    EXPECT_EQ(back.fileAttributes, 0x20u);
    EXPECT_EQ(back.name, "Desc");
    EXPECT_EQ(back.relativePath, "");
    EXPECT_EQ(back.workingDir, "C:\\Work");
    EXPECT_EQ(back.arguments, "/x");
    EXPECT_EQ(back.iconLocation, "C:\\icon.ico");
    EXPECT_EQ(back.iconIndex, 4);
    EXPECT_EQ(back.showCommand, 3u);
    EXPECT_EQ(back.hotKey, 0x0641);
    EXPECT_EQ(back.flags & (li::kRelativePath | li::kExpString | 0x80000u), 0u);
    std::vector<uint32_t> kept;
    for (const auto& block : back.extraData) kept.push_back(block.signature);
    EXPECT_EQ(kept, (std::vector<uint32_t>{0xA0000002, 0xA0000009}));
}

TEST(ShellLinkFile, NetworkTargetsAreWrittenAsShareAndSuffix) {
    struct Case {
        std::string target, netName, suffix;
    };
    const Case cases[] = {
        {"\\\\server\\share\\dir\\f.txt", "\\\\server\\share", "dir\\f.txt"},
        {"\\\\server\\share", "\\\\server\\share", ""},
        {"\\\\server", "\\\\server", ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.target);
        shelllink::LinkFile link;
        shelllink::SetTarget(link, shelllink::Target{c.target, false, 0, 3});
        shelllink::LinkFile back;
        std::string error;
        ASSERT_TRUE(shelllink::Parse(shelllink::Serialize(link), back, error)) << error;
        ASSERT_TRUE(back.linkInfo.has_value());
        EXPECT_TRUE(back.linkInfo->hasNetwork);
        EXPECT_FALSE(back.linkInfo->hasLocalPath);
        EXPECT_EQ(back.linkInfo->netName, c.netName);
        EXPECT_EQ(back.linkInfo->commonPathSuffix, c.suffix);
        EXPECT_EQ(shelllink::TargetPath(back), c.target);
    }
}

TEST(ShellItemIds, PathsTurnIntoItemsAndBack) {
    struct Case {
        std::string path;
        bool isFolder;
        std::string back;  // "" when the path has no ID list
    };
    const Case cases[] = {
        {"C:\\", true, "C:\\"},
        {"c:\\dir\\file.txt", false, "C:\\dir\\file.txt"},
        {"D:\\Program Files\\Some App\\", true, "D:\\Program Files\\Some App"},
        {"E:\\Папка\\文件.txt", false, "E:\\Папка\\文件.txt"},
        {"C:/forward/slashes.txt", false, "C:\\forward\\slashes.txt"},
        {"\\\\server\\share\\f.txt", false, ""},
        {"relative\\f.txt", false, ""},
        {"/tmp/host/file", false, ""},
        {"1:\\x", false, ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.path);
        std::string list = shellitems::IdListForPath(c.path, c.isFolder);
        if (c.back.empty()) {
            EXPECT_EQ(list, "");
            continue;
        }
        std::vector<std::string_view> items;
        ASSERT_TRUE(shellitems::SplitIdList(list, items));
        EXPECT_EQ(shellitems::PathFromItems(items), c.back);
        // The last item says folder or file (types 0x31 and 0x32).
        if (items.size() > 2) {
            EXPECT_EQ(items.back()[2], c.isFolder ? '\x31' : '\x32');
        }
    }
}

TEST(ShellItemIds, ShortNamesFollowTheEightDotThreeRule) {
    EXPECT_EQ(shellitems::ShortNameFor("notepad.exe"), "notepad.exe");
    EXPECT_EQ(shellitems::ShortNameFor("Program Files"), "PROGRA~1");
    EXPECT_EQ(shellitems::ShortNameFor("My App.exe"), "MYAPP~1.EXE");
    EXPECT_EQ(shellitems::ShortNameFor("archive.tar.gz"), "ARCHIV~1.GZ");
    EXPECT_EQ(shellitems::ShortNameFor("Папка"), "_____~1");
    EXPECT_EQ(shellitems::ShortNameFor("a+b.txt"), "A_B~1.TXT");
}

}  // namespace
