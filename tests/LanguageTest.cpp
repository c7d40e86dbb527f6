// Texts looked up in the language files: the lookup itself, and the files shipped
// beside the program (languages\eng.txt holds every key the source code looks up, with
// the English text written at the call site; deu.txt translates exactly its keys).
#include <gtest/gtest.h>

#include <regex>
#include <set>

#include "core/Language.h"
#include "platform/Text.h"
#include "tests/TestSupport.h"

using namespace testing_support;
namespace fs = std::filesystem;

namespace {

struct LanguageApp : testing_support::TestApp {
    LanguageApp() {
        std::filesystem::create_directory(folder.HostFile("languages"));
        WriteBytes(
            folder.HostFile("languages/eng.txt"),
            "[Lang]\r\ntitle=Brivolex\r\ntwo=first||second\r\nodd=x|||y\r\nempty=\r\nother=x\r\n");
        WriteBytes(folder.HostFile("languages/deu.txt"), "[Lang]\r\ntitle=Gr\xFC\xDF" "e\r\n");
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
    EXPECT_EQ(GetLangString(t.app, "title", "Default"), "Gr\xC3\xBC\xC3\x9F" "e");
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

fs::path SourceDir() { return hostpath::FromUtf8(BRIVOLEX_SOURCE_DIR); }

// An application with the shipped language files.
struct LanguageFolderApp : testing_support::TestApp {
    LanguageFolderApp() {
        fs::create_directory(folder.HostFile("languages"));
        for (const char* name : {"eng.txt", "deu.txt"})
            fs::copy_file(SourceDir() / "languages" / name, folder.HostFile("languages") / name);
    }
};

TEST(LanguageFiles, EngTxtHoldsEveryLookedUpKeyWithTheTextOfTheCallSite) {
    // Every call must give the key and the English default as plain literals.
    static const std::regex call(
        R"re(\bGetLangString\s*\(\s*app\s*,\s*"([a-z0-9_]+)"\s*,\s*"((?:[^"\\]|\\["\\])*)"\s*\))re");
    static const std::regex name(R"(\bGetLangString\s*\()");
    LanguageFolderApp t;
    size_t calls = 0;
    for (const char* dir : {"core", "problems", "scan", "repair", "ui", "app", "cli", "updater"}) {
        std::error_code ec;
        for (fs::recursive_directory_iterator it(SourceDir() / dir, ec), end; !ec && it != end;
             it.increment(ec)) {
            std::string ext = it->path().extension().string(), file = it->path().filename().string();
            if ((ext != ".cpp" && ext != ".h") || file.starts_with("Language.")) continue;
            std::string code = ReadBytes(it->path());
            size_t found = 0;
            for (std::sregex_iterator m(code.begin(), code.end(), call), none; m != none; ++m) {
                ++found;
                std::string key = (*m)[1].str(), text = GetLangString(t.app, key, "");
                std::string def = std::regex_replace((*m)[2].str(), std::regex(R"(\\(["\\]))"), "$1");
                EXPECT_FALSE(text.empty()) << file << ": eng.txt lacks \"" << key << "\"";
                EXPECT_EQ(text, text::ReplaceAll(def.empty() ? text : def, "||", "\r\n"))
                    << file << ": eng.txt gives \"" << key << "\" another text";
            }
            EXPECT_EQ(std::distance(std::sregex_iterator(code.begin(), code.end(), name),
                                    std::sregex_iterator()),
                      static_cast<std::ptrdiff_t>(found))
                << file << ": GetLangString without a literal key and English default";
            calls += found;
        }
    }
    EXPECT_GT(calls, 20u);
}

TEST(LanguageFiles, DeuTxtIsAGermanTranslationOfExactlyTheKeysOfEngTxt) {
    static const std::regex line(R"(([a-z0-9_]+)=([^\r\n]+)\r\n)");
    std::set<std::string> keys[2];
    std::string bytes[2];
    for (int i = 0; i < 2; ++i) {
        bytes[i] = ReadBytes(SourceDir() / "languages" / (i ? "deu.txt" : "eng.txt"));
        ASSERT_TRUE(bytes[i].starts_with("[Lang]\r\n"));
        // Nothing but "key=text" lines, each key once.
        std::string rest = bytes[i].substr(8);
        size_t covered = 0;
        for (std::sregex_iterator m(rest.begin(), rest.end(), line), none; m != none; ++m) {
            EXPECT_EQ(m->position(), static_cast<std::ptrdiff_t>(covered)) << rest.substr(covered, 40);
            covered = m->position() + m->length();
            EXPECT_TRUE(keys[i].insert((*m)[1].str()).second) << (*m)[1].str() << " twice";
        }
        EXPECT_EQ(covered, rest.size());
    }
    EXPECT_EQ(keys[1], keys[0]);
    // Windows-1252, not UTF-8.
    EXPECT_EQ(bytes[1].find("\xC3"), std::string::npos);
    EXPECT_NE(bytes[1].find("\xFC"), std::string::npos);
}

}  // namespace
