#include <gtest/gtest.h>

#include <string>

#include "core/Errors.h"
#include "core/Options.h"
#include "tests/TestSupport.h"

using testing_support::ReadBytes;
using testing_support::TestApp;
using testing_support::WriteBytes;

namespace {

void WriteSetup(TestApp& t, const std::string& mainSection) {
    WriteBytes(t.folder.HostFile("setup.ini"), "[Main]\r\n" + mainSection);
}

TEST(Options, MissingFileGivesTheDefaultsAndTheFirstWriteCreatesIt) {
    TestApp t;
    EXPECT_EQ(GetOptionS(t.app, "language", "eng"), "eng");
    EXPECT_TRUE(GetOptionB(t.app, "runautomatically", true));
    EXPECT_EQ(GetOptionL(t.app, "runautomatically_when", 1), 1);
    EXPECT_EQ(GetOptionL(t.app, "firsterrors", -1), -1);
    EXPECT_FALSE(testing_support::Exists(t.folder.HostFile("setup.ini")));
    SaveOptionB(t.app, "wasfirstrun", true);
    EXPECT_EQ(ReadBytes(t.folder.HostFile("setup.ini")), "[Main]\r\nwasfirstrun=1\r\n");
}

TEST(Options, EveryCallLeavesItsBreadcrumbInTheTrace) {
    TestApp t;
    GetOptionB(t.app, "a", false);
    GetOptionL(t.app, "b", 0);
    SaveOptionL(t.app, "c", 3);
    SaveOptionB(t.app, "d", true);
    EXPECT_EQ(t.Lines("app2.log"),
              (std::vector<std::string>{"GetOptionS", "GetOptionS", "SaveOptionS", "SaveOptionS"}));
}

TEST(Options, BooleanConversion) {
    struct Case {
        const char* stored;
        bool expected;
    } cases[] = {
        {"0", false},    {"1", true},      {"-1", true},  {"2", true},   {" 1 ", true},
        {"0.0", false},  {"True", true},   {"TRUE", true}, {"false", false}, {"FaLsE", false},
        {"&H10", true},  {"1e3", true},
    };
    for (const Case& c : cases) {
        TestApp t;
        WriteSetup(t, std::string("flag=") + c.stored + "\r\n");
        EXPECT_EQ(GetOptionB(t.app, "flag", !c.expected), c.expected) << c.stored;
    }
}

TEST(Options, ANonBooleanTextIsATypeMismatchForTheCaller) {
    for (const char* stored : {"yes", "no", "1x", "on", "\"\""}) {
        TestApp t;
        WriteSetup(t, std::string("flag=") + stored + "\r\n");
        try {
            GetOptionB(t.app, "flag", false);
            ADD_FAILURE() << stored << " was accepted";
        } catch (const RuntimeError& e) {
            EXPECT_EQ(e.number(), 13) << stored;
            EXPECT_EQ(e.description(), "Type mismatch");
        }
    }
    TestApp empty;
    WriteSetup(empty, "flag=\r\n");
    EXPECT_THROW(GetOptionB(empty.app, "flag", true), RuntimeError);
}

TEST(Options, IntegerConversionFallsBackToTheDefault) {
    struct Case {
        const char* stored;
        int32_t expected;
    } cases[] = {
        {"42", 42},          {" 42 ", 42},        {"-7", -7},      {"2.5", 2},
        {"3.5", 4},          {"-2.5", -2},        {"2.6", 3},      {"word", 99},
        {"", 99},            {"12abc", 99},       {"2147483647", 2147483647},
        {"-2147483648", INT32_MIN},               {"2147483648", 99},  {"1e2", 100},
        {"&HFF", 255},
    };
    for (const Case& c : cases) {
        TestApp t;
        WriteSetup(t, std::string("n=") + c.stored + "\r\n");
        EXPECT_EQ(GetOptionL(t.app, "n", 99), c.expected) << "'" << c.stored << "'";
    }
}

TEST(Options, SavedNumbersAreShortestDecimals) {
    TestApp t;
    SaveOptionL(t.app, "a", -5);
    SaveOptionL(t.app, "b", 0);
    SaveOptionL(t.app, "c", INT32_MIN);
    SaveOptionS(t.app, "d", "text with blanks");
    EXPECT_EQ(ReadBytes(t.folder.HostFile("setup.ini")),
              "[Main]\r\na=-5\r\nb=0\r\nc=-2147483648\r\nd=text with blanks\r\n");
    EXPECT_EQ(GetOptionL(t.app, "A", 1), -5);  // keys without regard to case
}

TEST(Options, StringsAreCutAt2047Characters) {
    TestApp t;
    WriteSetup(t, "long=" + std::string(3000, 'x') + "\r\n");
    EXPECT_EQ(GetOptionS(t.app, "long", "").size(), 2047u);
}

TEST(Options, ARefusedWriteIsIgnored) {
#ifdef _WIN32
    GTEST_SKIP() << "host permission bits stand for access rights only off Windows";
#endif
    TestApp t;
    WriteSetup(t, "k=old\r\n");
    std::filesystem::permissions(t.folder.HostFile("setup.ini"), std::filesystem::perms::owner_write,
                                 std::filesystem::perm_options::remove);
    SaveOptionS(t.app, "k", "new");
    EXPECT_EQ(GetOptionS(t.app, "k", "default"), "old");
}

}  // namespace
