#include <gtest/gtest.h>

#include "core/Language.h"
#include "tests/TestSupport.h"

using testing_support::Exists;
using testing_support::WriteBytes;
using Lines = std::vector<std::string>;

namespace {

struct LanguageApp : testing_support::TestApp {
    LanguageApp() {
        std::filesystem::create_directory(folder.HostFile("languages"));
        WriteBytes(
            folder.HostFile("languages/eng.txt"),
            "[Lang]\r\ntitle=Brivolex\r\ntwo=first||second\r\nodd=x|||y\r\nempty=\r\nother=x\r\n");
        WriteBytes(folder.HostFile("languages/deu.txt"),
                   "[Lang]\r\ntitle=Gr\xFC\xDF"
                   "e\r\n");
    }
    // The lines of _missing.txt, blank ones left out.
    std::vector<std::string> Missing() const {
        std::vector<std::string> lines;
        for (const std::string& line : Lines("languages/_missing.txt"))
            if (!line.empty()) lines.push_back(line);
        return lines;
    }
};

TEST(GetLangString, TextsOfTheLanguageFileWithTheirLineBreaks) {
    LanguageApp t;
    EXPECT_EQ(GetLangString(t.app, "title", "Default"), "Brivolex");
    EXPECT_EQ(GetLangString(t.app, "TITLE", "Default"), "Brivolex");
    EXPECT_EQ(GetLangString(t.app, "two", "Default"), "first\r\nsecond");
    EXPECT_EQ(GetLangString(t.app, "odd", ""), "x\r\n|y");  // left to right
    t.app.LanguageCode = "deu";
    EXPECT_EQ(GetLangString(t.app, "title", "Default"),
              "Gr\xC3\xBC\xC3\x9F"
              "e");
    EXPECT_FALSE(Exists(t.folder.HostFile("languages/_missing.txt")));
    // The lookup leaves no trace.
    EXPECT_FALSE(Exists(t.folder.HostFile("app2.log")));
}

// A text edited in the language file while the program runs shows at the next lookup.
TEST(GetLangString, AnEditedTextShowsAtTheNextLookup) {
    LanguageApp t;
    EXPECT_EQ(GetLangString(t.app, "title", "Default"), "Brivolex");
    EXPECT_EQ(GetLangString(t.app, "title", "Default"), "Brivolex");
    WriteBytes(t.folder.HostFile("languages/eng.txt"), "[Lang]\r\ntitle=Bravolix\r\n");
    EXPECT_EQ(GetLangString(t.app, "title", "Default"), "Bravolix");
    WriteBytes(t.folder.HostFile("languages/eng.txt"), "[Lang]\r\n");
    EXPECT_EQ(GetLangString(t.app, "title", "Default"), "Default");
    EXPECT_EQ(t.Missing(), (Lines{"[Lang_eng]", "title="}));
}

TEST(GetLangString, MissingKeysAreShownInEnglishAndListedOncePerLanguage) {
    LanguageApp t;
    EXPECT_EQ(GetLangString(t.app, "gone", "Line one||line two"), "Line one\r\nline two");
    EXPECT_EQ(GetLangString(t.app, "gone", "Line one||line two"), "Line one\r\nline two");
    // An empty value cannot make a text empty.
    EXPECT_EQ(GetLangString(t.app, "empty", "Fallback"), "Fallback");
    // A code without a file: every text in English, every key listed in its own section.
    t.app.LanguageCode = "xyz";
    EXPECT_EQ(GetLangString(t.app, "gone", "Default"), "Default");
    EXPECT_EQ(GetLangString(t.app, "other", "Other"), "Other");
    EXPECT_EQ(t.Missing(),
              (Lines{"[Lang_eng]", "gone=", "empty=", "[Lang_xyz]", "gone=", "other="}));
    // Without a languages folder nothing can be listed.
    testing_support::TestApp bare;
    EXPECT_EQ(GetLangString(bare.app, "frmprogress_caption", "Progress"), "Progress");
    EXPECT_FALSE(Exists(bare.folder.HostFile("languages")));
}

}  // namespace
