// The profile functions as the program relies on them, against every backend; and the
// portable profile, which may keep a file's parsed lines, sees a change made right after
// a read, whatever the change.
#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <functional>

#include "platform/portable/PortableFileSystem.h"
#include "platform/portable/PortableProfile.h"
#include "tests/TestSupport.h"
#include "tests/contract/Backends.h"

using namespace testing_support;

namespace {

class ProfileContract : public ::testing::TestWithParam<contract::ProfileBackend> {
  protected:
    void SetUp() override { profile = GetParam().make(); }
    std::string Get(const std::string& section, const std::string& key, const std::string& def,
                    uint32_t capacity = 2048) {
        return profile->GetString(section, key, def, ini, capacity);
    }
    int32_t Write(const std::string& section, const std::string& key, const std::string& value) {
        return profile->WriteString(section, key, value, ini);
    }
    std::string Content() { return ReadBytes(folder.HostFile("t.ini")); }

    testing_support::ScratchFolder folder{"ini"};
    std::string ini = folder.File("t.ini");
    std::unique_ptr<Profile> profile;
};

TEST_P(ProfileContract, ReadsFindKeysWithoutRegardToCaseTrimmedAndUnquoted) {
    // A missing file, section or key gives the default, which loses trailing blanks
    // and surrounding quotes.
    EXPECT_EQ(Get("Main", "k", "  def  "), "  def");
    EXPECT_EQ(Get("Main", "k", "\"quoted\""), "quoted");
    EXPECT_EQ(Get("Main", "k", ""), "");
    WriteBytes(folder.HostFile("t.ini"),
               "[Main]\r\nLanguage=deu\r\n[Two]\r\nq=\"quoted\"\r\nr='single'\r\n"
               "s=\"half\r\n  k1  =  v1  \r\nnoeq\r\nempty=\r\n"
               "[Dup]\r\nx=1\r\n[Dup]\r\nx=2\r\ny=3\r\n[L]\r\nk=\xE4\xF6\xFC\x80\r\n");
    struct Case {
        const char *section, *key, *value;
    };
    // clang-format off
    const Case cases[] = {
        {"MAIN", "language", "deu"}, {"main", "LANGUAGE", "deu"}, {"Main", "other", "d"},
        {"Else", "language", "d"}, {"Two", "q", "quoted"}, {"Two", "r", "single"}, {"Two", "s", "\"half"},
        {"Two", "k1", "v1"}, {"Two", "noeq", "d"}, {"Two", "empty", ""},
        {"Dup", "x", "1"}, {"Dup", "y", "d"},  // only the first of two sections counts
        {"L", "k", "\xC3\xA4\xC3\xB6\xC3\xBC\xE2\x82\xAC"}};  // ANSI, in the ANSI code page
    // clang-format on
    for (const Case& c : cases)
        EXPECT_EQ(Get(c.section, c.key, "d"), c.value) << c.section << "." << c.key;
}

TEST_P(ProfileContract, ResultsAreCutToTheBufferLessOne) {
    WriteBytes(folder.HostFile("t.ini"), "[Main]\r\nbig=" + std::string(3000, 'a') + "\r\n");
    EXPECT_EQ(Get("Main", "big", "").size(), 2047u);
    EXPECT_EQ(Get("Main", "big", "", 10), "aaaaaaaaa");
    EXPECT_EQ(Get("Main", "missing", std::string(3000, 'b')).size(), 2047u);
}

TEST_P(ProfileContract, WritesCreateTheFileAndReplaceValuesInPlaceKeepingTheFirstSpelling) {
    EXPECT_EQ(Write("Main", "Language", "eng"), 0);
    EXPECT_EQ(Content(), "[Main]\r\nLanguage=eng\r\n");
    EXPECT_EQ(Write("Main", "next", "1"), 0);
    EXPECT_EQ(Write("Lang_eng", "key", ""), 0);
    EXPECT_EQ(Write("MAIN", "LANGUAGE", "deu"), 0);
    EXPECT_EQ(Write("lang_ENG", "KEY", ""), 0);
    EXPECT_EQ(Write("L", "m", "\xC3\xA9\xE2\x82\xAC"), 0);  // written in ANSI
    EXPECT_EQ(Content(),
              "[Main]\r\nLanguage=deu\r\nnext=1\r\n[Lang_eng]\r\nkey=\r\n[L]\r\nm=\xE9\x80\r\n");
    // A missing folder fails with "path not found".
    EXPECT_EQ(profile->WriteString("Main", "a", "1", folder.File("missing\\x.ini")), 3);
}

// A change made by hand is seen at the next read, also of a file left alone for long
// enough that a backend keeps what it read.
TEST_P(ProfileContract, AHandEditIsSeenAtTheNextRead) {
    const auto file = folder.HostFile("t.ini");
    WriteBytes(file, "[Main]\r\nk=one\r\n");
    std::filesystem::last_write_time(file,
                                     std::filesystem::last_write_time(file) - std::chrono::hours(1));
    EXPECT_EQ(Get("Main", "k", "d"), "one");
    EXPECT_EQ(Get("Main", "k", "d"), "one");
    WriteBytes(file, "[Main]\r\nk=two\r\n");  // same size
    EXPECT_EQ(Get("Main", "k", "d"), "two");
    WriteBytes(file, "[Main]\r\nk=six\r\n");  // same size, within the same second
    EXPECT_EQ(Get("Main", "k", "d"), "six");
    std::filesystem::remove(file);
    EXPECT_EQ(Get("Main", "k", "d"), "d");
}

INSTANTIATE_TEST_SUITE_P(Backends, ProfileContract,
                         ::testing::ValuesIn(contract::ProfileBackends()),
                         [](const auto& info) { return info.param.name; });

TEST(PortableProfileKept, AChangeRightAfterAReadIsSeen) {
    testing_support::ScratchFolder folder{"kept"};
    const std::string ini = folder.File("eng.txt");
    const auto host = folder.HostFile("eng.txt");
    PortableFileSystem files;
    PortableProfile profile{files};
    const std::pair<const char*, std::function<void()>> changes[] = {
        {"one", [] {}},
        {"two", [&] { WriteBytes(host, "[Lang]\r\nk=two\r\n"); }},  // same size, same second
        {"three", [&] { WriteBytes(host, "[Lang]\r\nk=three\r\n"); }},
        {"new",
         [&] {
             WriteBytes(folder.HostFile("new.txt"), "[Lang]\r\nk=new\r\n");
             std::filesystem::rename(folder.HostFile("new.txt"), host);
         }},
        {"six", [&] { EXPECT_EQ(profile.WriteString("Lang", "k", "six", ini), 0); }},
        {"def", [&] { std::filesystem::remove(host); }},
    };
    WriteBytes(host, "[Lang]\r\nk=one\r\n");
    for (const auto& [expected, change] : changes) {
        change();
        EXPECT_EQ(profile.GetString("Lang", "k", "def", ini, 2048), expected);
    }
}

}  // namespace
