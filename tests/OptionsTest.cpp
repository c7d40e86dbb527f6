#include <gtest/gtest.h>

#include "core/Errors.h"
#include "core/Options.h"
#include "tests/TestSupport.h"

using namespace testing_support;

namespace {

// An application whose setup.ini holds `main` in its section Main.
struct SetupApp : TestApp {
    explicit SetupApp(const std::string& main) {
        WriteBytes(folder.HostFile("setup.ini"), "[Main]\r\n" + main + "\r\n");
    }
};

// The stored text read as a boolean and as an integer.
bool Boolean(const std::string& stored, bool defaultValue) {
    SetupApp t("flag=" + stored);
    return GetOptionB(t.app, "flag", defaultValue);
}
int32_t Integer(const std::string& stored) {
    SetupApp t("n=" + stored);
    return GetOptionL(t.app, "n", 99);
}

TEST(Options, MissingFileGivesTheDefaultsAndTheWritesLeaveShortestTexts) {
    TestApp t;
    EXPECT_EQ(GetOptionS(t.app, "language", "eng"), "eng");
    EXPECT_TRUE(GetOptionB(t.app, "runautomatically", true));
    EXPECT_EQ(GetOptionL(t.app, "firsterrors", -1), -1);
    EXPECT_FALSE(testing_support::Exists(t.folder.HostFile("setup.ini")));
    SaveOptionB(t.app, "wasfirstrun", true);
    SaveOptionB(t.app, "deletereadonly", false);
    SaveOptionL(t.app, "a", -5);
    SaveOptionL(t.app, "c", INT32_MIN);
    SaveOptionS(t.app, "d", "text with blanks");
    EXPECT_EQ(ReadBytes(t.folder.HostFile("setup.ini")),
              "[Main]\r\nwasfirstrun=1\r\ndeletereadonly=0\r\na=-5\r\nc=-2147483648\r\nd=text with "
              "blanks\r\n");
}

// A change made to setup.ini by hand while the program runs is seen at the next read.
TEST(Options, AHandEditIsSeenAtTheNextRead) {
    SetupApp t("language=deu");
    EXPECT_EQ(GetOptionS(t.app, "language", "eng"), "deu");
    EXPECT_EQ(GetOptionS(t.app, "language", "eng"), "deu");
    WriteBytes(t.folder.HostFile("setup.ini"), "[Main]\r\nlanguage=fra\r\n");  // same size
    EXPECT_EQ(GetOptionS(t.app, "language", "eng"), "fra");
    WriteBytes(t.folder.HostFile("setup.ini"), "[Main]\r\n");
    EXPECT_EQ(GetOptionS(t.app, "language", "eng"), "eng");
}

TEST(Options, BooleanConversion) {
    for (const char* yes : {"1", "-1", " 1 ", "True", "&H10", "1e3"}) EXPECT_TRUE(Boolean(yes, false)) << yes;
    for (const char* no : {"0", "0.0", "FaLsE"}) EXPECT_FALSE(Boolean(no, true)) << no;
    // Any other text is a type mismatch for the caller.
    for (const char* stored : {"yes", "1x", "\"\"", ""}) {
        try {
            Boolean(stored, false);
            ADD_FAILURE() << stored << " was accepted";
        } catch (const RuntimeError& e) {
            EXPECT_EQ(e.number(), 13) << stored;
        }
    }
}

TEST(Options, IntegerConversionFallsBackToTheDefault) {
    // clang-format off
    const std::pair<const char*, int32_t> cases[] = {
        {" 42 ", 42}, {"-7", -7}, {"2.5", 2}, {"3.5", 4}, {"-2.5", -2}, {"word", 99}, {"", 99},
        {"12abc", 99}, {"1e2", 100}, {"&HFF", 255}, {"-2147483648", INT32_MIN}, {"2147483648", 99}};
    // clang-format on
    for (const auto& [stored, expected] : cases)
        EXPECT_EQ(Integer(stored), expected) << "'" << stored << "'";
}

TEST(Options, ARefusedWriteIsIgnored) {
#ifdef _WIN32
    GTEST_SKIP() << "host permission bits stand for access rights only off Windows";
#endif
    SetupApp t("k=old");
    std::filesystem::permissions(t.folder.HostFile("setup.ini"),
                                 std::filesystem::perms::owner_write,
                                 std::filesystem::perm_options::remove);
    SaveOptionS(t.app, "k", "new");
    EXPECT_EQ(GetOptionS(t.app, "k", "default"), "old");
}

}  // namespace
