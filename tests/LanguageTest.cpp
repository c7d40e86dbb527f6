#include <gtest/gtest.h>

#include "core/Language.h"
#include "tests/TestSupport.h"

using testing_support::Exists;
using testing_support::TestApp;
using testing_support::WriteBytes;

namespace {

struct LanguageApp : TestApp {
    LanguageApp() { std::filesystem::create_directory(folder.HostFile("languages")); }
    void Language(const std::string& code, const std::string& bytes) {
        WriteBytes(folder.HostFile("languages/" + code + ".txt"), bytes);
    }
    // The lines of _missing.txt, blank ones left out.
    std::vector<std::string> Missing() const {
        std::vector<std::string> lines;
        for (const std::string& line :
             testing_support::ReadLines(folder.HostFile("languages/_missing.txt")))
            if (!line.empty()) lines.push_back(line);
        return lines;
    }
};

TEST(GetLangString, TextsOfTheLanguageFile) {
    LanguageApp t;
    t.Language("eng",
               "[Lang]\r\ntitle=Brivolex\r\ntwo=first||second\r\nthree=a||b||c\r\n"
               "odd=x|||y\r\n");
    t.Language("deu",
               "[Lang]\r\ntitle=Gr\xFC\xDF"
               "e\r\n");
    EXPECT_EQ(GetLangString(t.app, "title", "Default"), "Brivolex");
    EXPECT_EQ(GetLangString(t.app, "TITLE", "Default"), "Brivolex");
    EXPECT_EQ(GetLangString(t.app, "two", "Default"), "first\r\nsecond");
    EXPECT_EQ(GetLangString(t.app, "three", ""), "a\r\nb\r\nc");
    EXPECT_EQ(GetLangString(t.app, "odd", ""), "x\r\n|y");  // left to right
    t.app.LanguageCode = "deu";
    EXPECT_EQ(GetLangString(t.app, "title", "Default"),
              "Gr\xC3\xBC\xC3\x9F"
              "e");
    EXPECT_FALSE(Exists(t.folder.HostFile("languages/_missing.txt")));
    // The lookup leaves no trace.
    EXPECT_FALSE(Exists(t.folder.HostFile("app2.log")));
}

TEST(GetLangString, MissingKeysAreShownInEnglishAndListedOncePerLanguage) {
    LanguageApp t;
    t.Language("eng", "[Lang]\r\nempty=\r\nother=x\r\n");
    EXPECT_EQ(GetLangString(t.app, "gone", "Line one||line two"), "Line one\r\nline two");
    EXPECT_EQ(GetLangString(t.app, "gone", "Line one||line two"), "Line one\r\nline two");
    // An empty value cannot make a text empty.
    EXPECT_EQ(GetLangString(t.app, "empty", "Fallback"), "Fallback");
    EXPECT_EQ(t.Missing(), (std::vector<std::string>{"[Lang_eng]", "gone=", "empty="}));

    // A code without a file: every text in English, every key listed in its own section.
    t.app.LanguageCode = "xyz";
    EXPECT_EQ(GetLangString(t.app, "gone", "Default"), "Default");
    EXPECT_EQ(GetLangString(t.app, "other", "Other"), "Other");
    EXPECT_EQ(t.Missing(), (std::vector<std::string>{"[Lang_eng]", "gone=", "empty=", "[Lang_xyz]",
                                                     "gone=", "other="}));
    EXPECT_FALSE(Exists(t.folder.HostFile("app2.log")));
}

TEST(GetLangString, WithoutALanguagesFolderEverythingIsEnglish) {
    TestApp t;
    EXPECT_EQ(GetLangString(t.app, "frmprogress_caption", "Progress"), "Progress");
    EXPECT_EQ(GetLangString(t.app, "k", ""), "");
    EXPECT_FALSE(Exists(t.folder.HostFile("languages")));
}

}  // namespace
