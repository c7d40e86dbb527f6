// Reading .reg files: decode, parse every line into changes, then apply them all.
#include <algorithm>
#include <cctype>
#include <vector>

#include "platform/Text.h"
#include "platform/portable/RegFile.h"
#include "platform/portable/RegistryViews.h"

namespace {

enum class Format { kVersion5, kRegedit4 };

const char kVersion5Header[] = "Windows Registry Editor Version 5.00";
const char kRegedit4Header[] = "REGEDIT4";

// One change the file asks for, applied only once the whole file has been read.
struct Change {
    enum Kind { kCreateKey, kDeleteKey, kSetValue, kDeleteValue } kind = kCreateKey;
    RegKey hive = 0;
    std::string path;
    std::string name;
    RegValue value;
};

bool IsBlank(char c) { return c == ' ' || c == '\t'; }

std::string_view SkipBlanks(std::string_view s) {
    while (!s.empty() && IsBlank(s.front())) s.remove_prefix(1);
    return s;
}

std::string_view TrimBlanks(std::string_view s) {
    s = SkipBlanks(s);
    while (!s.empty() && IsBlank(s.back())) s.remove_suffix(1);
    return s;
}

bool StartsWithNoCase(std::string_view s, std::string_view prefix) {
    if (s.size() < prefix.size()) return false;
    for (size_t i = 0; i < prefix.size(); ++i)
        if (std::tolower(static_cast<unsigned char>(s[i])) != prefix[i]) return false;
    return true;
}

int HexDigit(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

// 1 to 8 hex digits, nothing else.
bool ParseHexNumber(std::string_view s, uint32_t& number) {
    if (s.empty() || s.size() > 8) return false;
    number = 0;
    for (char c : s) {
        int d = HexDigit(c);
        if (d < 0) return false;
        number = number * 16 + static_cast<uint32_t>(d);
    }
    return true;
}

// The file as UTF-8 text, from its byte-order mark or, without one, from Windows-1252.
// A problem that keeps the file from being read is given with the text read so far.
bool DecodeFile(const std::string& bytes, std::string& text, std::string& problem) {
    auto starts = [&](const char* mark, size_t n) { return bytes.compare(0, n, mark, n) == 0; };
    if (bytes.size() >= 2 && starts("\xFF\xFE", 2)) {
        if (bytes.size() % 2 != 0) problem = "the file ends in half a UTF-16 character";
        text = text::Utf16LeBytesToUtf8(std::string_view(bytes).substr(2));
        return problem.empty();
    }
    if (bytes.size() >= 2 && starts("\xFE\xFF", 2)) {
        problem = "UTF-16 big-endian files are not supported";
        return false;
    }
    if (bytes.size() >= 3 && starts("\xEF\xBB\xBF", 3)) {
        // Through UTF-16 and back: malformed bytes become the characters they stand for.
        text = text::Utf16ToUtf8(text::Utf8ToUtf16(std::string_view(bytes).substr(3)));
        return true;
    }
    text = text::AnsiToUtf8(bytes);
    return true;
}

// Lines end in CR LF, LF or CR.
std::vector<std::string_view> SplitLines(std::string_view text) {
    std::vector<std::string_view> lines;
    size_t start = 0;
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] != '\r' && text[i] != '\n') continue;
        lines.push_back(text.substr(start, i - start));
        if (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n') ++i;
        start = i + 1;
    }
    if (start < text.size()) lines.push_back(text.substr(start));
    return lines;
}

class Parser {
public:
    explicit Parser(const std::vector<std::string_view>& lines) : lines_(lines) {}

    bool Parse(std::vector<Change>& changes, std::string& error) {
        changes_ = &changes;
        error_ = &error;
        size_t i = 0;
        while (i < lines_.size() && TrimBlanks(lines_[i]).empty()) ++i;
        if (i == lines_.size()) return Fail(0, "the file is empty");
        std::string_view header = TrimBlanks(lines_[i]);
        if (header == kVersion5Header) {
            format_ = Format::kVersion5;
        } else if (header == kRegedit4Header) {
            format_ = Format::kRegedit4;
        } else {
            return Fail(i, std::string("not a registry file: the first line must be \"") +
                               kVersion5Header + "\" or \"" + kRegedit4Header + "\"");
        }
        for (++i; i < lines_.size(); ++i) {
            std::string_view line = SkipBlanks(lines_[i]);
            if (line.empty() || line[0] == ';' || line[0] == '#') continue;
            bool ok = line[0] == '['                    ? ParseKey(i, line)
                      : line[0] == '@' || line[0] == '"' ? ParseValue(i, line)
                                                         : Fail(i, "expected a key, a value or a comment");
            if (!ok) return false;
        }
        return true;
    }

private:
    // `index` counts from 0; the message names the line as people count it.
    bool Fail(size_t index, const std::string& message) {
        *error_ = "line " + std::to_string(index + 1) + ": " + message;
        return false;
    }

    // [HIVE\path] opens (and creates) a key, [-HIVE\path] deletes one with its subtree.
    bool ParseKey(size_t i, std::string_view line) {
        size_t close = line.rfind(']');
        if (close == std::string_view::npos) return Fail(i, "missing ']' at the end of the key");
        std::string_view inner = line.substr(1, close - 1);
        bool remove = !inner.empty() && inner[0] == '-';
        if (remove) inner.remove_prefix(1);
        size_t cut = inner.find('\\');
        std::string_view hiveName = inner.substr(0, cut);
        std::string_view path = cut == std::string_view::npos ? "" : inner.substr(cut + 1);
        Change change;
        if (!ParseHiveName(hiveName, change.hive))
            return Fail(i, "unknown registry hive \"" + std::string(hiveName) + "\"");
        if (!path.empty() && path.back() == '\\') path.remove_suffix(1);
        size_t depth = 0;
        for (size_t start = 0; start <= path.size() && !path.empty(); ++depth) {
            size_t end = path.find('\\', start);
            if (end == std::string_view::npos) end = path.size();
            if (end == start) return Fail(i, "empty key name in \"" + std::string(inner) + "\"");
            start = end + 1;
        }
        if (depth > regview::kMaxKeyDepth)
            return Fail(i, "the key is nested " + std::to_string(depth) +
                               " levels deep; Windows allows at most " +
                               std::to_string(regview::kMaxKeyDepth));
        if (remove && path.empty()) return Fail(i, "a whole hive cannot be deleted");
        if (path.find('\0') != std::string_view::npos) return Fail(i, "a NUL character in a key name");
        change.kind = remove ? Change::kDeleteKey : Change::kCreateKey;
        change.path = path;
        changes_->push_back(change);
        hasKey_ = !remove;
        keyHive_ = change.hive;
        keyPath_ = change.path;
        return true;
    }

    // A quoted text from just after its opening quote; `pos` ends after the closing one.
    static bool ParseQuoted(std::string_view line, size_t& pos, std::string& out) {
        out.clear();
        while (pos < line.size()) {
            char c = line[pos];
            if (c == '"') {
                ++pos;
                return true;
            }
            if (c == '\\' && pos + 1 < line.size()) {
                char next = line[pos + 1];
                switch (next) {
                    case '\\': out += '\\'; break;
                    case '"': out += '"'; break;
                    case 'n': out += '\n'; break;
                    case 'r': out += '\r'; break;
                    default: out += '\\', out += next; break;  // kept as written
                }
                pos += 2;
                continue;
            }
            out += c;
            ++pos;
        }
        return false;
    }

    // Only blanks or a comment may follow a value.
    bool EndOfValue(size_t i, std::string_view rest) {
        rest = SkipBlanks(rest);
        if (rest.empty() || rest[0] == ';') return true;
        return Fail(i, "unexpected text after the value: \"" + std::string(rest) + "\"");
    }

    bool ParseValue(size_t& i, std::string_view line) {
        Change change;
        size_t pos = 1;
        if (line[0] == '"' && !ParseQuoted(line, pos, change.name))
            return Fail(i, "missing closing quote of the value name");
        if (change.name.find('\0') != std::string::npos)
            return Fail(i, "a NUL character in a value name");
        std::string_view rest = SkipBlanks(line.substr(pos));
        if (rest.empty() || rest[0] != '=') return Fail(i, "missing '=' after the value name");
        if (!hasKey_) return Fail(i, "a value outside a key");
        // A value belongs to the key change before it; only a deletion names its key.
        change.hive = keyHive_;
        rest = SkipBlanks(rest.substr(1));

        if (!rest.empty() && rest[0] == '"') {
            size_t end = 1;
            std::string textValue;
            if (!ParseQuoted(rest, end, textValue)) return Fail(i, "missing closing quote of the string");
            if (!EndOfValue(i, rest.substr(end))) return false;
            change.kind = Change::kSetValue;
            change.value = RegString(textValue);
        } else if (!rest.empty() && rest[0] == '-') {
            if (!EndOfValue(i, rest.substr(1))) return false;
            change.kind = Change::kDeleteValue;
            change.path = keyPath_;
        } else if (StartsWithNoCase(rest, "dword:")) {
            rest.remove_prefix(6);
            size_t digits = 0;
            while (digits < rest.size() && HexDigit(rest[digits]) >= 0) ++digits;
            uint32_t number = 0;
            if (!ParseHexNumber(rest.substr(0, digits), number))
                return Fail(i, "a dword needs one to eight hex digits");
            if (!EndOfValue(i, rest.substr(digits))) return false;
            change.kind = Change::kSetValue;
            change.value = RegDword(number);
        } else if (StartsWithNoCase(rest, "hex")) {
            uint32_t type = REG_BINARY_;
            rest.remove_prefix(3);
            if (!rest.empty() && rest[0] == '(') {
                size_t close = rest.find(')');
                if (close == std::string_view::npos || !ParseHexNumber(rest.substr(1, close - 1), type))
                    return Fail(i, "the type of hex(...) needs one to eight hex digits");
                rest.remove_prefix(close + 1);
            }
            if (rest.empty() || rest[0] != ':') return Fail(i, "missing ':' after hex");
            std::string bytes;
            if (!ParseHexBytes(i, rest.substr(1), bytes)) return false;
            change.kind = Change::kSetValue;
            change.value = HexValue(type, bytes);
        } else {
            return Fail(i, "unknown kind of value data: \"" + std::string(rest) + "\"");
        }
        changes_->push_back(std::move(change));
        return true;
    }

    // Comma-separated bytes; a line ending in "\" goes on in the next one. `i` ends
    // at the last line used.
    bool ParseHexBytes(size_t& i, std::string_view segment, std::string& bytes) {
        for (;;) {
            size_t comment = segment.find(';');
            if (comment != std::string_view::npos) segment = segment.substr(0, comment);
            segment = TrimBlanks(segment);
            bool more = !segment.empty() && segment.back() == '\\';
            if (more) segment.remove_suffix(1);
            size_t start = 0;
            for (;;) {
                size_t comma = segment.find(',', start);
                bool last = comma == std::string_view::npos;
                std::string_view item =
                    TrimBlanks(segment.substr(start, last ? std::string_view::npos : comma - start));
                if (item.empty()) {
                    // Only after a final comma, or on a line with no bytes at all.
                    if (!last) return Fail(i, "missing hex byte before a comma");
                    break;
                }
                uint32_t byte = 0;
                if (item.size() > 2 || !ParseHexNumber(item, byte))
                    return Fail(i, "invalid hex byte \"" + std::string(item) + "\"");
                bytes.push_back(static_cast<char>(byte));
                if (last) break;
                start = comma + 1;
            }
            if (!more) return true;
            if (++i == lines_.size()) return Fail(i - 1, "the file ends inside a continued value");
            segment = lines_[i];
        }
    }

    // Text types hold UTF-16LE in Version 5.00 files and ANSI in REGEDIT4 files.
    RegValue HexValue(uint32_t type, const std::string& bytes) const {
        if (!IsStringType(type)) return RegBinary(bytes, type);
        RegValue value;
        value.type = type;
        if (format_ == Format::kRegedit4) {
            value.data = text::AnsiToUtf8(bytes);
            value.size = static_cast<uint32_t>(bytes.size());
            return value;
        }
        std::u16string units;
        for (size_t k = 0; k + 1 < bytes.size(); k += 2)
            units.push_back(static_cast<char16_t>(static_cast<unsigned char>(bytes[k]) |
                                                  (static_cast<unsigned char>(bytes[k + 1]) << 8)));
        value.data = text::Utf16ToUtf8(units);
        value.size = static_cast<uint32_t>(units.size());
        return value;
    }

    const std::vector<std::string_view>& lines_;
    std::vector<Change>* changes_ = nullptr;
    std::string* error_ = nullptr;
    Format format_ = Format::kVersion5;
    bool hasKey_ = false;
    RegKey keyHive_ = 0;
    std::string keyPath_;
};

// Applies the changes in their order. Values go into the key of the key change
// before them, found once for all its values.
void Apply(InMemoryRegistry& registry, const std::vector<Change>& changes) {
    InMemoryRegistry::Node* key = nullptr;
    for (const Change& change : changes) {
        switch (change.kind) {
            case Change::kCreateKey: key = registry.ValueKey(change.hive, change.path); break;
            case Change::kDeleteKey:
                key = nullptr;
                registry.DeleteTree(change.hive, change.path);
                break;
            case Change::kSetValue:
                if (key) registry.PutValue(key, change.name, change.value);
                break;
            case Change::kDeleteValue: {
                ScopedRegKey opened(registry);
                if (opened.Open(change.hive, change.path, KEY_ALL_ACCESS_) == kRegSuccess)
                    registry.DeleteValue(opened.Get(), change.name);
                break;
            }
        }
    }
}

}  // namespace

bool ImportRegFile(InMemoryRegistry& registry, const std::string& bytes, std::string& error) {
    std::string decoded, problem;
    bool readable = DecodeFile(bytes, decoded, problem);
    std::vector<std::string_view> lines = SplitLines(decoded);
    if (!readable) {
        error = "line " + std::to_string(std::max<size_t>(lines.size(), 1)) + ": " + problem;
        return false;
    }
    std::vector<Change> changes;
    if (!Parser(lines).Parse(changes, error)) return false;
    Apply(registry, changes);
    error.clear();
    return true;
}

bool LoadRegFile(InMemoryRegistry& registry, FileSystem& files, const std::string& path,
                 std::string& error) {
    std::string bytes;
    if (!files.ReadFile(path, bytes)) {
        error = path + ": the file cannot be read";
        return false;
    }
    if (ImportRegFile(registry, bytes, error)) return true;
    error = path + ": " + error;
    return false;
}
