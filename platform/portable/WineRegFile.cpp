// Reading Wine's registry files: parse every line into keys and values, then apply them.
#include "platform/portable/WineRegFile.h"

#include <algorithm>
#include <cstring>

#include "platform/Text.h"
#include "platform/portable/RegistryViews.h"

namespace {

const char kHeader[] = "WINE REGISTRY Version 2";
const char kRelativeTo[] = ";; All keys relative to ";

bool IsBlank(char c) {
    return c == ' ' || c == '\t';
}

std::string_view SkipBlanks(std::string_view s) {
    while (!s.empty() && IsBlank(s.front())) s.remove_prefix(1);
    return s;
}

int HexDigit(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

// One code point of UTF-8 at `pos` as UTF-16 units; a byte that starts no valid
// sequence stands for itself (Latin-1).
void DecodeUtf8(std::string_view s, size_t& pos, std::u16string& out) {
    unsigned char c = static_cast<unsigned char>(s[pos]);
    size_t extra = c >= 0xF0 && c < 0xF5   ? 3
                   : c >= 0xE0 && c < 0xF0 ? 2
                   : c >= 0xC2 && c < 0xE0 ? 1
                                           : 0;
    if (extra == 0 || pos + extra >= s.size()) {
        out.push_back(c);
        ++pos;
        return;
    }
    char32_t cp = c & (0x3F >> extra);
    for (size_t k = 1; k <= extra; ++k) {
        unsigned char next = static_cast<unsigned char>(s[pos + k]);
        if ((next & 0xC0) != 0x80) {
            out.push_back(c);
            ++pos;
            return;
        }
        cp = cp << 6 | (next & 0x3F);
    }
    bool overlong = (extra == 2 && cp < 0x800) || (extra == 3 && (cp < 0x10000 || cp > 0x10FFFF));
    if (overlong || (cp >= 0xD800 && cp < 0xE000)) {
        out.push_back(c);
        ++pos;
        return;
    }
    if (cp >= 0x10000) {
        cp -= 0x10000;
        out.push_back(static_cast<char16_t>(0xD800 + (cp >> 10)));
        out.push_back(static_cast<char16_t>(0xDC00 + (cp & 0x3FF)));
    } else {
        out.push_back(static_cast<char16_t>(cp));
    }
    pos += extra + 1;
}

// A text in Wine's escapes from `pos` up to the unescaped `end` character; `pos` ends
// after it. False when the line ends first.
bool ParseEscaped(std::string_view s, size_t& pos, char end, std::u16string& out) {
    while (pos < s.size() && s[pos] != end) {
        if (s[pos] != '\\' || pos + 1 >= s.size()) {
            DecodeUtf8(s, pos, out);
            continue;
        }
        char c = s[++pos];
        static const char kLetters[] = "abefnrtv";
        static const char16_t kCodes[] = {7, 8, 27, 12, 10, 13, 9, 11};
        if (const char* letter = c != 0 ? std::strchr(kLetters, c) : nullptr) {
            out.push_back(kCodes[letter - kLetters]);
            ++pos;
        } else if (c == 'x') {
            ++pos;
            char16_t unit = 0;
            int digits = 0;
            while (digits < 4 && pos < s.size() && HexDigit(s[pos]) >= 0) {
                unit = static_cast<char16_t>(unit * 16 + HexDigit(s[pos++]));
                ++digits;
            }
            out.push_back(digits == 0 ? u'x' : unit);
        } else if (c >= '0' && c <= '7') {
            char16_t unit = 0;
            for (int digits = 0; digits < 3 && pos < s.size() && s[pos] >= '0' && s[pos] <= '7';
                 ++digits)
                unit = static_cast<char16_t>(unit * 8 + (s[pos++] - '0'));
            out.push_back(unit);
        } else {
            DecodeUtf8(s, pos, out);  // any other escaped character stands for itself
        }
    }
    if (pos >= s.size()) return false;
    ++pos;
    return true;
}

bool OnlyBlanks(std::string_view s) {
    return SkipBlanks(s).empty();
}

class Parser {
  public:
    Parser(std::string_view text, std::vector<WineRegFileKey>& keys, WineRegFileInfo& info,
           std::string& error)
        : text_(text), keys_(keys), info_(info), error_(error) {
        size_t start = 0;
        for (size_t i = 0; i <= text.size(); ++i) {
            if (i < text.size() && text[i] != '\n') continue;
            std::string_view line = text.substr(start, i - start);
            if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
            if (i < text.size() || !line.empty()) lines_.push_back(line);
            start = i + 1;
        }
    }

    bool Parse() {
        size_t i;
        if (lines_.empty() || lines_[0] != kHeader)
            return Fail(0, std::string("not a Wine registry file: the first line must be \"") +
                               kHeader + "\"");
        size_t contentEnd = LineEnd(0);  // after the last line that was not blank
        for (i = 1; i < lines_.size(); ++i) {
            std::string_view line = lines_[i];
            if (OnlyBlanks(line)) continue;
            bool ok = true;
            if (line[0] == ';') {
                if (line.substr(0, sizeof kRelativeTo - 1) == kRelativeTo)
                    info_.relativeTo =
                        text::ReplaceAll(line.substr(sizeof kRelativeTo - 1), "\\\\", "\\");
            } else {
                ok = line[0] == '['   ? ParseKey(i, line, contentEnd)
                     : line[0] == '#' ? ParseOption(line)
                     : line[0] == '@' || line[0] == '"'
                         ? ParseValue(i, line)
                         : Fail(i, "expected a key, a value or a comment");
            }
            if (!ok) return false;
            contentEnd = LineEnd(i);
            if (!keys_.empty()) keys_.back().end = contentEnd;
        }
        return true;
    }

  private:
    size_t LineStart(size_t i) const {
        return static_cast<size_t>(lines_[i].data() - text_.data());
    }
    // After the line's end of line, if it has one.
    size_t LineEnd(size_t i) const {
        return i + 1 < lines_.size() ? LineStart(i + 1) : text_.size();
    }

    bool Fail(size_t index, const std::string& message) {
        error_ = "line " + std::to_string(index + 1) + ": " + message;
        return false;
    }

    bool ParseOption(std::string_view line) {
        if (!keys_.empty() && line.substr(0, 5) == "#link" && OnlyBlanks(line.substr(5)))
            keys_.back().link = true;
        return true;  // #time=, #class=, #arch= and anything newer tell nothing needed here
    }

    bool ParseKey(size_t i, std::string_view line, size_t contentEnd) {
        size_t pos = 1;
        std::u16string name;
        if (!ParseEscaped(line, pos, ']', name))
            return Fail(i, "missing ']' at the end of the key");
        std::string_view rest = SkipBlanks(line.substr(pos));
        while (!rest.empty() && rest.front() >= '0' && rest.front() <= '9') rest.remove_prefix(1);
        if (!OnlyBlanks(rest))
            return Fail(i, "unexpected text after the key: \"" + std::string(rest) + "\"");
        WineRegFileKey key;
        key.begin = contentEnd;
        key.path = text::Utf16ToUtf8(name);
        if (key.path.empty()) return Fail(i, "a key without a name");
        if (key.path.find('\0') != std::string::npos)
            return Fail(i, "a NUL character in a key name");
        size_t depth = 1;
        for (size_t start = 0;; ++depth) {
            size_t end = key.path.find('\\', start);
            if (end == start || (end == std::string::npos && start == key.path.size()))
                return Fail(i, "empty key name in \"" + key.path + "\"");
            if (end == std::string::npos) break;
            start = end + 1;
        }
        if (depth > regview::kMaxKeyDepth)
            return Fail(i, "the key is nested " + std::to_string(depth) +
                               " levels deep; Windows allows at most " +
                               std::to_string(regview::kMaxKeyDepth));
        keys_.push_back(std::move(key));
        return true;
    }

    // Comma-separated hex bytes; a line ending in "\" goes on in the next one. `i` ends
    // at the last line used.
    bool ParseHexBytes(size_t& i, std::string_view segment, std::string& bytes) {
        for (;;) {
            size_t pos = 0;
            segment = SkipBlanks(segment);
            while (pos < segment.size()) {
                if (pos + 1 < segment.size() && HexDigit(segment[pos]) >= 0 &&
                    HexDigit(segment[pos + 1]) >= 0) {
                    bytes.push_back(static_cast<char>(HexDigit(segment[pos]) * 16 +
                                                      HexDigit(segment[pos + 1])));
                    pos += 2;
                    if (pos < segment.size() && segment[pos] == ',') ++pos;
                    continue;
                }
                break;
            }
            std::string_view rest = SkipBlanks(segment.substr(pos));
            if (rest.empty()) return true;
            if (rest != "\\") return Fail(i, "invalid hex data \"" + std::string(rest) + "\"");
            if (++i == lines_.size()) return Fail(i - 1, "the file ends inside a continued value");
            segment = lines_[i];
        }
    }

    bool ParseValue(size_t& i, std::string_view line) {
        if (keys_.empty()) return Fail(i, "a value outside a key");
        WineRegFileValue value;
        value.begin = LineStart(i);
        size_t pos = 1;
        if (line[0] == '"') {
            std::u16string name;
            if (!ParseEscaped(line, pos, '"', name))
                return Fail(i, "missing closing quote of the value name");
            value.name = text::Utf16ToUtf8(name);
            if (value.name.find('\0') != std::string::npos)
                return Fail(i, "a NUL character in a value name");
        }
        if (pos >= line.size() || line[pos] != '=')
            return Fail(i, "missing '=' after the value name");
        std::string_view data = line.substr(pos + 1);

        static const struct {
            const char* prefix;
            uint32_t type;
        } kStrings[] = {{"\"", REG_SZ_},
                        {"str:\"", REG_SZ_},
                        {"str(2):\"", REG_EXPAND_SZ_},
                        {"str(7):\"", REG_MULTI_SZ_}};
        for (const auto& form : kStrings) {
            std::string_view prefix = form.prefix;
            if (data.substr(0, prefix.size()) != prefix) continue;
            size_t at = prefix.size();
            std::u16string units;
            if (!ParseEscaped(data, at, '"', units))
                return Fail(i, "missing closing quote of the string");
            if (!OnlyBlanks(data.substr(at)))
                return Fail(
                    i, "unexpected text after the value: \"" + std::string(data.substr(at)) + "\"");
            units.push_back(u'\0');  // Wine leaves the terminator out
            value.value.type = form.type;
            value.value.data = text::Utf16ToUtf8(units);
            value.value.size = static_cast<uint32_t>(units.size());
            value.end = LineEnd(i);
            keys_.back().values.push_back(std::move(value));
            return true;
        }
        if (data.substr(0, 6) == "dword:") {
            std::string_view digits = data.substr(6);
            uint32_t number = 0;
            size_t n = 0;
            while (n < digits.size() && n < 8 && HexDigit(digits[n]) >= 0)
                number = number * 16 + HexDigit(digits[n++]);
            if (n == 0 || !OnlyBlanks(digits.substr(n)))
                return Fail(i, "a dword needs one to eight hex digits");
            value.value = RegDword(number);
            value.end = LineEnd(i);
            keys_.back().values.push_back(std::move(value));
            return true;
        }
        uint32_t type = REG_BINARY_;
        if (data.substr(0, 4) == "hex(") {
            size_t close = data.find(')');
            if (close == std::string_view::npos || close == 4 || close > 12)
                return Fail(i, "the type of hex(...) needs one to eight hex digits");
            type = 0;
            for (size_t k = 4; k < close; ++k) {
                if (HexDigit(data[k]) < 0)
                    return Fail(i, "the type of hex(...) needs one to eight hex digits");
                type = type * 16 + HexDigit(data[k]);
            }
            data.remove_prefix(close + 1);
        } else if (data.substr(0, 3) == "hex") {
            data.remove_prefix(3);
        } else {
            return Fail(i, "unknown kind of value data: \"" + std::string(data) + "\"");
        }
        if (data.empty() || data[0] != ':') return Fail(i, "missing ':' after hex");
        std::string bytes;
        if (!ParseHexBytes(i, data.substr(1), bytes)) return false;
        WineRegFileKey& key = keys_.back();
        if (key.link && type == REG_LINK_ && text::EqualsNoCase(value.name, "SymbolicLinkValue")) {
            key.linkTarget = text::Utf16LeBytesToUtf8(bytes);
            return true;
        }
        value.value = RegValueFromBytes(type, bytes);
        value.end = LineEnd(i);
        key.values.push_back(std::move(value));
        return true;
    }

    std::string_view text_;
    std::vector<std::string_view> lines_;
    std::vector<WineRegFileKey>& keys_;
    WineRegFileInfo& info_;
    std::string& error_;
};

std::string Join(const std::string& below, const std::string& path) {
    if (below.empty()) return path;
    if (path.empty()) return below;
    return below + "\\" + path;
}

// "a\b" is "a" itself or below it.
bool IsAtOrBelow(const std::string& path, const std::string& top) {
    if (path.size() < top.size() ||
        !text::EqualsNoCase(std::string_view(path).substr(0, top.size()), top))
        return false;
    return path.size() == top.size() || path[top.size()] == '\\';
}

// KEY_READ: query, enumerate and notify.
constexpr uint32_t kKeyRead = 0x20019;

}  // namespace

void CopyRegistryTree(InMemoryRegistry& registry, RegKey fromHive, const std::string& from,
                      RegKey toHive, const std::string& to) {
    struct Pending {
        std::string from, to;
        size_t depth;
    };
    std::vector<Pending> stack{{from, to, 0}};
    constexpr uint32_t kLarge = 0x7FFFFFFF;
    while (!stack.empty()) {
        Pending at = std::move(stack.back());
        stack.pop_back();
        ScopedRegKey source(registry);
        if (at.depth > regview::kMaxKeyDepth ||
            source.Open(fromHive, at.from, kKeyRead) != kRegSuccess)
            continue;
        InMemoryRegistry::Node* target = registry.ValueKey(toHive, at.to);
        if (!target) continue;
        for (uint32_t index = 0;; ++index) {
            std::string name;
            uint32_t type = 0;
            if (registry.EnumValue(source.Get(), index, kLarge, kLarge, name, type) != kRegSuccess)
                break;
            RegValue value;
            if (registry.QueryValue(source.Get(), name, kLarge, value) == kRegSuccess)
                registry.PutValue(target, name, value);
        }
        for (uint32_t index = 0;; ++index) {
            std::string name;
            if (registry.EnumKey(source.Get(), index, 256, name) != kRegSuccess) break;
            stack.push_back({Join(at.from, name), Join(at.to, name), at.depth + 1});
        }
    }
}

bool ParseWineRegFile(std::string_view bytes, std::vector<WineRegFileKey>& keys,
                      WineRegFileInfo& info, std::string& error) {
    keys.clear();
    info = WineRegFileInfo();
    return Parser(bytes, keys, info, error).Parse();
}

bool ImportWineRegFile(InMemoryRegistry& registry, RegKey hive, const std::string& below,
                       const std::string& bytes, WineRegFileInfo& info, std::string& error) {
    std::vector<WineRegFileKey> keys;
    WineRegFileInfo read;
    if (!ParseWineRegFile(bytes, keys, read, error)) return false;
    for (WineRegFileKey& key : keys) {
        std::string path = Join(below, key.path);
        InMemoryRegistry::Node* node = registry.ValueKey(hive, path);
        if (!node) continue;
        if (key.link) {
            if (!key.linkTarget.empty()) {
                std::string target = key.linkTarget;
                while (!target.empty() && target.back() == '\0') target.pop_back();
                read.links.push_back({path, target});
            }
            continue;
        }
        for (WineRegFileValue& value : key.values) registry.PutValue(node, value.name, value.value);
    }
    info.relativeTo = read.relativeTo;
    info.links.insert(info.links.end(), read.links.begin(), read.links.end());
    error.clear();
    return true;
}

void ResolveWineLinks(InMemoryRegistry& registry, RegKey hive,
                      const std::vector<WineRegLink>& links, const std::string& userSid) {
    for (const WineRegLink& link : links) {
        std::string canonical;
        if (regview::ThroughClassesLink(hive, link.path, canonical)) continue;
        std::string target = link.target;
        const std::string machine = "\\REGISTRY\\Machine", user = "\\REGISTRY\\User\\";
        RegKey targetHive = 0;
        std::string targetPath;
        if (IsAtOrBelow(target, machine)) {
            targetHive = HKLM;
            targetPath = target.substr(std::min(target.size(), machine.size() + 1));
        } else if (text::StartsWith(text::ToUpper(target), text::ToUpper(user))) {
            std::string rest = target.substr(user.size());
            size_t cut = rest.find('\\');
            std::string sid = rest.substr(0, cut);
            targetPath = cut == std::string::npos ? "" : rest.substr(cut + 1);
            targetHive = !userSid.empty() && text::EqualsNoCase(sid, userSid) ? HKCU : HKU;
            if (targetHive == HKU) targetPath = Join(sid, targetPath);
        } else {
            continue;
        }
        if (targetHive == hive &&
            (IsAtOrBelow(targetPath, link.path) || IsAtOrBelow(link.path, targetPath)))
            continue;
        CopyRegistryTree(registry, targetHive, targetPath, hive, link.path);
    }
}
