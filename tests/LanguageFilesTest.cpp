// The language files shipped beside the program: languages\eng.txt holds every key the
// source code looks up, with the English text written at the call site, and every
// translation holds exactly the keys of eng.txt. Walks the source tree, so a new
// lookup without its line in eng.txt fails here.
#include <gtest/gtest.h>

#include <map>
#include <regex>

#include "core/Language.h"
#include "platform/Text.h"
#include "tests/TestSupport.h"

using testing_support::ReadBytes;

namespace fs = std::filesystem;

namespace {

fs::path SourceDir() {
    return hostpath::FromUtf8(BRIVOLEX_SOURCE_DIR);
}

struct CallSite {
    std::string where, key, defaultText;
};

// Every GetLangString call of the program's sources. A call that does not give the
// key and the English default as plain literals goes to `malformed`.
std::vector<CallSite> AllCalls(std::vector<std::string>& malformed) {
    static const std::regex call(
        R"re(\bGetLangString\s*\(\s*app\s*,\s*"([a-z0-9_]+)"\s*,\s*"((?:[^"\\]|\\["\\])*)"\s*\))re");
    static const std::regex name(R"(\bGetLangString\s*\()");
    std::vector<CallSite> calls;
    for (const char* dir : {"core", "problems", "scan", "repair", "ui", "app", "cli"}) {
        std::error_code ec;
        for (fs::recursive_directory_iterator it(SourceDir() / dir, ec), end; !ec && it != end;
             it.increment(ec)) {
            std::string ext = it->path().extension().string();
            std::string file = it->path().filename().string();
            // The lookup itself, declared and defined, is not a call site.
            if ((ext != ".cpp" && ext != ".h") || file == "Language.h" || file == "Language.cpp")
                continue;
            std::string code = ReadBytes(it->path()),
                        shown = hostpath::ToUtf8(fs::relative(it->path(), SourceDir()));
            size_t found = 0;
            for (std::sregex_iterator m(code.begin(), code.end(), call), none; m != none;
                 ++m, ++found) {
                std::string text =
                    std::regex_replace((*m)[2].str(), std::regex(R"(\\(["\\]))"), "$1");
                calls.push_back({shown, (*m)[1].str(), text});
            }
            auto mentions = std::distance(std::sregex_iterator(code.begin(), code.end(), name),
                                          std::sregex_iterator());
            if (static_cast<size_t>(mentions) != found) malformed.push_back(shown);
        }
    }
    return calls;
}

// Key and text of each line of section [Lang], as UTF-8; problems of the file's form
// go to `errors`.
std::map<std::string, std::string> ParseLanguageFile(const std::string& name,
                                                     std::vector<std::string>& errors) {
    std::map<std::string, std::string> entries;
    std::string bytes = ReadBytes(SourceDir() / "languages" / name);
    if (!bytes.starts_with("[Lang]\r\n")) errors.push_back(name + ": does not begin with [Lang]");
    if (!bytes.ends_with("\r\n")) errors.push_back(name + ": the last line does not end in CR LF");
    static const std::regex line(R"(^([a-z0-9_]+)=([^\r\n]*)$)");
    size_t at = bytes.find("\r\n") + 2;
    for (size_t end; at < bytes.size(); at = end + 2) {
        end = std::min(bytes.find("\r\n", at), bytes.size());
        std::string text = bytes.substr(at, end - at);
        std::smatch m;
        if (!std::regex_match(text, m, line)) {
            errors.push_back(name + ": not a line of a lower-case key, \"=\" and a text: " + text);
            continue;
        }
        std::string value = text::AnsiToUtf8(m[2].str());
        if (value.empty() || value != text::Trim(value) || value.front() == '"')
            errors.push_back(name + ": " + m[1].str() +
                             " is empty, or has blanks or a quote at the ends");
        if (!entries.emplace(m[1].str(), value).second)
            errors.push_back(name + ": " + m[1].str() + " listed twice");
    }
    return entries;
}

struct LanguageFolderApp : testing_support::TestApp {
    LanguageFolderApp() {
        fs::create_directory(folder.HostFile("languages"));
        for (const char* name : {"eng.txt", "deu.txt"})
            fs::copy_file(SourceDir() / "languages" / name, folder.HostFile("languages") / name);
    }
};

TEST(LanguageFiles, EngTxtHoldsEveryLookedUpKeyWithTheTextOfTheCallSite) {
    std::vector<std::string> malformed;
    std::vector<CallSite> calls = AllCalls(malformed);
    EXPECT_TRUE(malformed.empty())
        << "GetLangString must be called with a literal key and a literal English "
           "default: "
        << testing::PrintToString(malformed);
    EXPECT_TRUE(std::any_of(calls.begin(), calls.end(),
                            [](const CallSite& c) { return c.key == "description_wronglink"; }));
    LanguageFolderApp t;
    for (const CallSite& call : calls) {
        std::string text = GetLangString(t.app, call.key, "");
        EXPECT_FALSE(text.empty())
            << call.where << ": languages\\eng.txt lacks \"" << call.key << "\"";
        // A call site without a default of its own gets its English text from eng.txt.
        std::string expected = call.defaultText.empty() ? text : call.defaultText;
        EXPECT_EQ(text, text::ReplaceAll(expected, "||", "\r\n"))
            << call.where << ": languages\\eng.txt gives \"" << call.key << "\" another text";
    }
}

TEST(LanguageFiles, DeuTxtIsAGermanTranslationOfExactlyTheKeysOfEngTxt) {
    std::vector<std::string> errors;
    std::map<std::string, std::string> english = ParseLanguageFile("eng.txt", errors);
    std::map<std::string, std::string> german = ParseLanguageFile("deu.txt", errors);
    EXPECT_TRUE(errors.empty()) << testing::PrintToString(errors);
    EXPECT_FALSE(english.empty());
    std::vector<std::string> englishKeys, germanKeys;
    for (const auto& entry : english) englishKeys.push_back(entry.first);
    for (const auto& entry : german) germanKeys.push_back(entry.first);
    EXPECT_EQ(germanKeys, englishKeys);
    // Windows-1252, not UTF-8: umlauts are single bytes.
    std::string bytes = ReadBytes(SourceDir() / "languages" / "deu.txt");
    EXPECT_NE(bytes.find_first_of("\xE4\xF6\xFC\xC4\xD6\xDC\xDF"), std::string::npos);
    EXPECT_EQ(bytes.find("\xC3"), std::string::npos);
    // Read as the program reads it: every key found, in UTF-8 inside.
    LanguageFolderApp t;
    t.app.LanguageCode = "deu";
    bool umlaut = false;
    for (const auto& [key, value] : german) {
        std::string text = GetLangString(t.app, key, "");
        EXPECT_EQ(text, text::ReplaceAll(value, "||", "\r\n")) << key;
        umlaut = umlaut || text.find("\xC3\xBC") != std::string::npos;
    }
    EXPECT_TRUE(umlaut);
    EXPECT_FALSE(testing_support::Exists(t.folder.HostFile("languages/_missing.txt")));
}

}  // namespace
