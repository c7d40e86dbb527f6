// The language files shipped beside the program: languages\eng.txt holds every key the
// source code looks up, with the English text written at the call site, and every
// translation holds exactly the keys of eng.txt. Walks the source tree, so a new
// lookup without its line in eng.txt fails here.
#include <gtest/gtest.h>

#include <filesystem>
#include <map>
#include <set>

#include "core/Language.h"
#include "platform/Text.h"
#include "tests/TestSupport.h"

using testing_support::ReadBytes;
using testing_support::TestApp;

namespace fs = std::filesystem;

namespace {

fs::path SourceDir() {
    return hostpath::FromUtf8(BRIVOLEX_SOURCE_DIR);
}

struct CallSite {
    std::string where;  // file:line
    std::string key;
    std::string defaultText;
};

// The source with comments blanked out (line breaks kept); literals stay as written.
std::string WithoutComments(const std::string& s) {
    std::string out = s;
    for (size_t i = 0; i < s.size();) {
        if (s[i] == '"' || s[i] == '\'') {
            char quote = s[i++];
            while (i < s.size() && s[i] != quote) i += (s[i] == '\\') ? 2 : 1;
            ++i;
        } else if (s.compare(i, 2, "//") == 0) {
            while (i < s.size() && s[i] != '\n') out[i++] = ' ';
        } else if (s.compare(i, 2, "/*") == 0) {
            size_t end = s.find("*/", i + 2);
            end = end == std::string::npos ? s.size() : end + 2;
            for (; i < end; ++i)
                if (out[i] != '\n') out[i] = ' ';
        } else {
            ++i;
        }
    }
    return out;
}

void SkipSpace(const std::string& s, size_t& i) {
    while (i < s.size() && std::isspace(static_cast<unsigned char>(s[i]))) ++i;
}

int HexDigit(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

// One or more adjacent string literals, decoded and joined; false when there is none
// or it uses an escape this reader does not know.
bool ReadLiterals(const std::string& s, size_t& i, std::string& value) {
    value.clear();
    bool any = false;
    for (SkipSpace(s, i); i < s.size() && s[i] == '"'; SkipSpace(s, i)) {
        any = true;
        for (++i; i < s.size() && s[i] != '"'; ++i) {
            if (s[i] != '\\') {
                value += s[i];
                continue;
            }
            char e = s[++i];
            if (e == '\\' || e == '"' || e == '\'')
                value += e;
            else if (e == 'n')
                value += '\n';
            else if (e == 'r')
                value += '\r';
            else if (e == 't')
                value += '\t';
            else if (e == 'x') {
                int code = 0, digits = 0;
                while (i + 1 < s.size() && HexDigit(s[i + 1]) >= 0)
                    code = code * 16 + HexDigit(s[++i]), ++digits;
                if (digits == 0 || code > 0xFF) return false;
                value += static_cast<char>(code);
            } else {
                return false;
            }
        }
        if (i >= s.size()) return false;
        ++i;
    }
    return any;
}

// Skips the first argument (the App), up to its comma.
bool SkipFirstArgument(const std::string& s, size_t& i) {
    int depth = 0;
    for (; i < s.size(); ++i) {
        char c = s[i];
        if (c == '"' || c == '\'') {
            for (++i; i < s.size() && s[i] != c; i += (s[i] == '\\') ? 2 : 1) {
            }
        } else if (c == '(' || c == '[' || c == '{') {
            ++depth;
        } else if (c == ')' || c == ']' || c == '}') {
            if (--depth < 0) return false;
        } else if (c == ',' && depth == 0) {
            ++i;
            return true;
        }
    }
    return false;
}

bool IsIdentifierChar(char c) {
    return std::isalnum(static_cast<unsigned char>(c)) || c == '_';
}

// Every GetLangString call of a source file; calls that do not give the key and the
// default as literals go to `malformed`.
void FindCalls(const fs::path& file, const std::string& shownName, std::vector<CallSite>& calls,
               std::vector<std::string>& malformed) {
    const std::string code = WithoutComments(ReadBytes(file));
    const std::string name = "GetLangString";
    for (size_t at = code.find(name); at != std::string::npos; at = code.find(name, at + 1)) {
        size_t i = at + name.size();
        if ((at > 0 && IsIdentifierChar(code[at - 1])) || IsIdentifierChar(code[i])) continue;
        std::string where =
            shownName + ":" + std::to_string(1 + std::count(code.begin(), code.begin() + at, '\n'));
        CallSite call{where, "", ""};
        SkipSpace(code, i);
        bool ok = i < code.size() && code[i++] == '(' && SkipFirstArgument(code, i) &&
                  ReadLiterals(code, i, call.key);
        SkipSpace(code, i);
        ok = ok && i < code.size() && code[i++] == ',' && ReadLiterals(code, i, call.defaultText);
        SkipSpace(code, i);
        ok = ok && i < code.size() && code[i] == ')';
        if (ok)
            calls.push_back(call);
        else
            malformed.push_back(where);
    }
}

std::vector<CallSite> AllCalls(std::vector<std::string>& malformed) {
    std::vector<CallSite> calls;
    for (const char* dir : {"core", "problems", "scan", "repair", "ui", "app", "cli"}) {
        std::error_code ec;
        std::vector<fs::path> files;
        for (fs::recursive_directory_iterator it(SourceDir() / dir, ec), end; !ec && it != end;
             it.increment(ec)) {
            std::string ext = it->path().extension().string();
            if (ext == ".cpp" || ext == ".h") files.push_back(it->path());
        }
        std::sort(files.begin(), files.end());
        for (const fs::path& file : files) {
            std::string shown = hostpath::ToUtf8(fs::relative(file, SourceDir()));
            // The lookup itself, declared and defined.
            if (file.filename() == "Language.h" || file.filename() == "Language.cpp") continue;
            FindCalls(file, shown, calls, malformed);
        }
    }
    return calls;
}

// Key and text of each line of section [Lang], in file order, as UTF-8; problems of
// the file's form go to `errors`.
std::vector<std::pair<std::string, std::string>> ParseLanguageFile(
    const std::string& name, std::vector<std::string>& errors) {
    std::vector<std::pair<std::string, std::string>> entries;
    std::string bytes = ReadBytes(SourceDir() / "languages" / name);
    std::vector<std::string> lines;
    for (size_t pos = 0; pos < bytes.size();) {
        size_t end = bytes.find("\r\n", pos);
        if (end == std::string::npos) {
            errors.push_back(name + ": the last line does not end in CR LF");
            end = bytes.size();
        }
        lines.push_back(bytes.substr(pos, end - pos));
        pos = end + 2;
    }
    if (lines.empty() || lines[0] != "[Lang]")
        errors.push_back(name + ": does not begin with [Lang]");
    std::set<std::string> seen;
    for (size_t n = 1; n < lines.size(); ++n) {
        const std::string& line = lines[n];
        size_t eq = line.find('=');
        std::string key = line.substr(0, eq);
        std::string where = name + " line " + std::to_string(n + 1) + " (" + key + ")";
        if (eq == std::string::npos || key.empty() ||
            key.find_first_not_of("abcdefghijklmnopqrstuvwxyz0123456789_") != std::string::npos) {
            errors.push_back(where + ": not a line of a lower-case key, \"=\" and a text");
            continue;
        }
        std::string value = text::AnsiToUtf8(line.substr(eq + 1));
        if (value.empty() || value != text::Trim(value) || value.front() == '"')
            errors.push_back(where + ": empty, or blanks or a quote at the ends");
        if (!seen.insert(key).second) errors.push_back(where + ": listed twice");
        entries.push_back({key, value});
    }
    return entries;
}

struct LanguageFolderApp : TestApp {
    LanguageFolderApp() {
        fs::create_directory(folder.HostFile("languages"));
        for (const char* name : {"eng.txt", "deu.txt"})
            fs::copy_file(SourceDir() / "languages" / name, folder.HostFile("languages") / name);
    }
    bool MissingListed() const {
        return testing_support::Exists(folder.HostFile("languages/_missing.txt"));
    }
};

TEST(LanguageFiles, EngTxtHoldsEveryLookedUpKeyWithTheTextOfTheCallSite) {
    std::vector<std::string> malformed;
    std::vector<CallSite> calls = AllCalls(malformed);
    EXPECT_TRUE(malformed.empty())
        << "GetLangString must be called with a literal key and a literal English default: "
        << testing::PrintToString(malformed);
    ASSERT_FALSE(calls.empty());
    EXPECT_TRUE(std::any_of(calls.begin(), calls.end(),
                            [](const CallSite& c) { return c.key == "description_wronglink"; }));

    LanguageFolderApp t;
    for (const CallSite& call : calls) {
        std::string text = GetLangString(t.app, call.key, "");
        if (text.empty()) {
            ADD_FAILURE() << call.where << ": languages\\eng.txt lacks \"" << call.key << "\"";
            continue;
        }
        // A key whose call site has no English default of its own gets its English text
        // from eng.txt alone (a report title, a message that is only a number).
        if (call.defaultText.empty()) continue;
        EXPECT_EQ(text, text::ReplaceAll(call.defaultText, "||", "\r\n"))
            << call.where << ": languages\\eng.txt gives \"" << call.key
            << "\" another text than the call site";
    }
}

TEST(LanguageFiles, EachFileIsOneLangSectionOfUniqueKeys) {
    for (const char* name : {"eng.txt", "deu.txt"}) {
        std::vector<std::string> errors;
        EXPECT_FALSE(ParseLanguageFile(name, errors).empty()) << name;
        EXPECT_TRUE(errors.empty()) << testing::PrintToString(errors);
    }
}

TEST(LanguageFiles, DeuTxtIsAGermanTranslationOfExactlyTheKeysOfEngTxt) {
    std::vector<std::string> errors;
    std::map<std::string, std::string> english, german;
    for (const auto& [key, value] : ParseLanguageFile("eng.txt", errors)) english[key] = value;
    for (const auto& [key, value] : ParseLanguageFile("deu.txt", errors)) german[key] = value;
    std::set<std::string> englishKeys, germanKeys;
    for (const auto& entry : english) englishKeys.insert(entry.first);
    for (const auto& entry : german) germanKeys.insert(entry.first);
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
    EXPECT_FALSE(t.MissingListed());
}

}  // namespace
