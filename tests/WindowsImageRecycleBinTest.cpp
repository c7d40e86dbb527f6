// The Recycle Bin of an offline Windows image: files and folders go into their drive's
// $Recycle.Bin\<SID>\ as Windows 10 keeps them, and the account is found by its profile
// folder.
#include <gtest/gtest.h>

#include <regex>
#include <set>

#include "platform/Text.h"
#include "platform/portable/InMemoryRegistry.h"
#include "platform/portable/ProfileSid.h"
#include "platform/portable/WindowsImageRecycleBin.h"
#include "tests/TestSupport.h"

using namespace testing_support;
namespace fs = std::filesystem;

namespace {

std::string Little(uint64_t n, int width) {
    std::string bytes;
    for (int i = 0; i < width; ++i) bytes.push_back(static_cast<char>(n >> (8 * i) & 0xFF));
    return bytes;
}

std::set<std::string> Names(const fs::path& folder) {
    std::set<std::string> names;
    std::error_code ec;
    for (const auto& entry : fs::directory_iterator(folder, ec))
        names.insert(hostpath::ToUtf8(entry.path().filename()));
    return names;
}

// Each item leaves its place for a $R with its extension, beside a $I (version 2) that
// holds its size, the deletion time and its path as the image spells it.
TEST(WindowsImageRecycleBin, FilesAndFoldersMoveInBesideTheirInfoFiles) {
    ScratchFolder image("image");
    PortableFileSystem files;
    files.MapDrive('C', image.path());
    const std::string sid = "S-1-5-21-1-2-3-1001";
    const int64_t when = 0x01D9A1B2C3D4E5F6;
    WindowsImageRecycleBin bin(
        files, sid, [&] { return when; }, 7);
    const fs::path home = image.host() / "Users" / "ann";
    const std::string resume = "R\xC3\xA9sum\xC3\xA9.doc";
    fs::create_directories(home / "Docs");
    fs::create_directories(home / "Old Stuff" / "sub");
    WriteBytes(home / "Docs" / "report.final.txt", "0123456789");
    WriteBytes(home / "Old Stuff" / "a", "abc");
    WriteBytes(home / "Old Stuff" / "sub" / "b", "bcdef");
    WriteBytes(home / "v1.0 draft", "x");
    WriteBytes(home / hostpath::FromUtf8(resume), "xy");
    WriteBytes(image.host() / "notes.txt", "n");
    struct Case {
        std::string given;
        fs::path host;
        std::u16string original;
        std::string extension;
        uint64_t size;
        std::string inside, content;  // a file of what was recycled, and its bytes
    } cases[] = {
        {"C:/Users/ann/Docs/report.final.txt", home / "Docs" / "report.final.txt",
         u"C:\\Users\\ann\\Docs\\report.final.txt", ".txt", 10, "", "0123456789"},
        {"C:\\Users\\ann\\Old Stuff\\", home / "Old Stuff", u"C:\\Users\\ann\\Old Stuff", "", 8,
         "sub/b", "bcdef"},
        {"C:\\Users\\ann\\v1.0 draft", home / "v1.0 draft", u"C:\\Users\\ann\\v1.0 draft", "", 1,
         "", "x"},
        {"C:\\Users\\ann\\" + resume, home / hostpath::FromUtf8(resume),
         u"C:\\Users\\ann\\R\u00e9sum\u00e9.doc", ".doc", 2, "", "xy"},
    };
    const fs::path folder = image.host() / "$Recycle.Bin" / sid;
    for (const Case& c : cases) {
        std::set<std::string> before = Names(folder);
        ASSERT_TRUE(bin.Recycle(c.given)) << c.given;
        EXPECT_FALSE(fs::exists(c.host)) << c.given;
        std::vector<std::string> added;
        for (const std::string& name : Names(folder))
            if (!before.count(name)) added.push_back(name);
        ASSERT_EQ(added.size(), 2u) << c.given;
        std::string pattern = "\\$I[A-Z0-9]{6}" + text::ReplaceAll(c.extension, ".", "\\.");
        EXPECT_TRUE(std::regex_match(added[0], std::regex(pattern))) << added[0];
        EXPECT_EQ(added[1], "$R" + added[0].substr(2));
        std::string expected =
            Little(2, 8) + Little(c.size, 8) + Little(when, 8) + Little(c.original.size() + 1, 4);
        for (char16_t unit : c.original + u'\0') expected += Little(unit, 2);
        EXPECT_EQ(ReadBytes(folder / added[0]), expected) << c.given;
        fs::path moved = folder / added[1];
        EXPECT_EQ(ReadBytes(c.inside.empty() ? moved : moved / c.inside), c.content) << c.given;
    }
    // Nothing that is not a full path of an existing item goes in.
    for (const char* refused : {"C:\\Users\\ann\\missing.txt", "notes.txt", "Q:\\notes.txt"})
        EXPECT_FALSE(bin.Recycle(refused)) << refused;
    EXPECT_TRUE(fs::exists(image.host() / "notes.txt"));
    EXPECT_EQ(Names(folder).size(), 8u);
}

// The account is the ProfileList key whose ProfileImagePath names the profile folder,
// in either spelling and any case; a key Windows set aside as "<SID>.bak" only when no
// other matches.
TEST(ProfileSid, FoundByProfileFolder) {
    InMemoryRegistry registry;
    const std::string list = "SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion\\ProfileList";
    for (auto [sid, folder] : std::initializer_list<std::pair<const char*, const char*>>{
             {"S-1-5-18", "%systemroot%\\system32\\config\\systemprofile"},
             {"S-1-5-21-9-1001", "%SystemDrive%\\Users\\ann"},
             {"S-1-5-21-9-1002", "C:\\Users\\Bob\\"},
             {"S-1-5-21-9-1003.bak", "C:\\Users\\cy"},
             {"S-1-5-21-9-1000.bak", "C:\\Users\\dee"},
             {"S-1-5-21-9-1009", "C:\\Users\\dee"}})
        registry.PutValue(HKLM, list + "\\" + sid, "ProfileImagePath",
                          RegString(folder, REG_EXPAND_SZ_));
    const std::pair<const char*, std::string> cases[] = {
        {"C:\\Users\\ann", "S-1-5-21-9-1001"},
        {"C:\\USERS\\bob", "S-1-5-21-9-1002"},
        {"C:\\Users\\cy", "S-1-5-21-9-1003"},
        {"C:\\Users\\dee", "S-1-5-21-9-1009"},
        {"C:\\Users\\an",
         "error: no account of HKLM\\" + list + " has the profile folder C:\\Users\\an"},
    };
    for (const auto& [folder, expected] : cases) {
        std::string sid, error;
        EXPECT_EQ(FindProfileSid(registry, folder, sid, error) ? sid : "error: " + error, expected);
    }
}

}  // namespace
