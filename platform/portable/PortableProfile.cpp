#include "platform/portable/PortableProfile.h"

#include <chrono>
#include <optional>
#include <vector>

#include "platform/Text.h"

namespace {

enum class Encoding { Ansi, Utf8, Utf16 };

struct Entry {
    std::string name;
    std::optional<std::string> value;  // a line without "=" has none
};

struct Section {
    std::string name;  // "" for the lines before the first section
    std::vector<Entry> entries;
};

}  // namespace

struct ProfileLines {
    Encoding encoding = Encoding::Ansi;
    std::vector<Section> sections;
};

namespace {

constexpr size_t kKeptFiles = 8;

bool IsSpace(char c) {
    return c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '\v' || c == '\f' || c == 0x1A;
}

std::string TrimSpace(std::string_view s) {
    size_t b = 0, e = s.size();
    while (b < e && IsSpace(s[b])) ++b;
    while (e > b && IsSpace(s[e - 1])) --e;
    return std::string(s.substr(b, e - b));
}

std::string Decode(const std::string& bytes, Encoding& encoding) {
    if (bytes.size() >= 2 && static_cast<unsigned char>(bytes[0]) == 0xFF &&
        static_cast<unsigned char>(bytes[1]) == 0xFE) {
        encoding = Encoding::Utf16;
        std::u16string units;
        for (size_t i = 2; i + 1 < bytes.size(); i += 2)
            units += static_cast<char16_t>(static_cast<unsigned char>(bytes[i]) |
                                           (static_cast<unsigned char>(bytes[i + 1]) << 8));
        return text::Utf16ToUtf8(units);
    }
    if (bytes.size() >= 3 && bytes.compare(0, 3, "\xEF\xBB\xBF") == 0) {
        encoding = Encoding::Utf8;
        return bytes.substr(3);
    }
    encoding = Encoding::Ansi;
    return text::AnsiToUtf8(bytes);
}

std::string Encode(const std::string& utf8, Encoding encoding) {
    switch (encoding) {
        case Encoding::Utf16: {
            std::string out = "\xFF\xFE";
            for (char16_t u : text::Utf8ToUtf16(utf8)) {
                out += static_cast<char>(u & 0xFF);
                out += static_cast<char>(u >> 8);
            }
            return out;
        }
        case Encoding::Utf8: return "\xEF\xBB\xBF" + utf8;
        case Encoding::Ansi: break;
    }
    return text::Utf8ToAnsi(utf8);
}

ProfileLines Parse(const std::string& bytes) {
    ProfileLines ini;
    std::string content = Decode(bytes, ini.encoding);
    ini.sections.push_back(Section{});
    size_t pos = 0;
    while (pos < content.size()) {
        size_t end = content.find_first_of("\r\n", pos);
        if (end == std::string::npos) end = content.size();
        std::string line = TrimSpace(std::string_view(content).substr(pos, end - pos));
        pos = end;
        if (pos < content.size() && content[pos] == '\r') ++pos;
        if (pos < content.size() && content[pos] == '\n') ++pos;
        if (line.empty()) continue;  // blank lines are not kept

        if (line[0] == '[') {
            size_t close = line.rfind(']');
            if (close != std::string::npos && close > 0) {
                ini.sections.push_back(Section{TrimSpace(line.substr(1, close - 1)), {}});
                continue;
            }
        }
        size_t eq = line.find('=');
        if (eq == std::string::npos) {
            ini.sections.back().entries.push_back(Entry{line, std::nullopt});
        } else {
            ini.sections.back().entries.push_back(
                Entry{TrimSpace(line.substr(0, eq)), TrimSpace(line.substr(eq + 1))});
        }
    }
    return ini;
}

std::string Serialize(const ProfileLines& ini) {
    std::string out;
    for (const Section& section : ini.sections) {
        if (!section.name.empty()) out += "[" + section.name + "]\r\n";
        for (const Entry& entry : section.entries) {
            out += entry.name;
            if (entry.value) out += "=" + *entry.value;
            out += "\r\n";
        }
    }
    return Encode(out, ini.encoding);
}

// The first section of that name; later sections of the same name are not looked at.
template <typename Ini>
auto FindSection(Ini& ini, const std::string& name) -> decltype(&ini.sections[0]) {
    for (size_t i = 1; i < ini.sections.size(); ++i)
        if (text::EqualsNoCase(ini.sections[i].name, name)) return &ini.sections[i];
    if (name.empty()) return &ini.sections[0];
    return nullptr;
}

template <typename Lines>
auto FindEntry(Lines& section, const std::string& name) -> decltype(&section.entries[0]) {
    for (auto& entry : section.entries)
        if (text::EqualsNoCase(entry.name, name)) return &entry;
    return nullptr;
}

int64_t NowNs() {
    return std::chrono::duration_cast<std::chrono::nanoseconds>(
               std::chrono::system_clock::now().time_since_epoch())
        .count();
}

// Copies a value as the profile functions return it: surrounding matching quotes
// dropped, at most capacity - 1 characters.
std::string CopyEntry(std::string value, uint32_t capacity) {
    if (value.size() > 1 && (value[0] == '"' || value[0] == '\'') && value.back() == value[0])
        value = value.substr(1, value.size() - 2);
    if (capacity == 0) return "";
    // A text has no more UTF-16 units than UTF-8 bytes: a short one fits as it is.
    if (value.size() < capacity) return value;
    std::u16string units = text::Utf8ToUtf16(value);
    if (units.size() > capacity - 1) {
        units.resize(capacity - 1);
        return text::Utf16ToUtf8(units);
    }
    return value;
}

std::string ParentFolder(const std::string& path) {
    size_t cut = path.find_last_of("\\/");
    return cut == std::string::npos ? std::string() : path.substr(0, cut);
}

}  // namespace

PortableProfile::~PortableProfile() = default;

std::shared_ptr<const ProfileLines> PortableProfile::Load(const std::string& path) {
    const int64_t readAt = NowNs();
    FileStamp before;
    bool stamped = files_.GetFileStamp(path, before);
    if (stamped) {
        for (size_t i = 0; i < kept_.size(); ++i) {
            if (kept_[i].path != path) continue;
            if (!(kept_[i].stamp == before)) break;
            std::shared_ptr<const ProfileLines> lines = kept_[i].lines;
            if (i + 1 != kept_.size()) {
                Kept used = std::move(kept_[i]);
                kept_.erase(kept_.begin() + static_cast<std::ptrdiff_t>(i));
                kept_.push_back(std::move(used));
            }
            return lines;
        }
    }
    Forget(path);

    std::string bytes;
    if (!files_.ReadFile(path, bytes)) return nullptr;
    auto lines = std::make_shared<const ProfileLines>(Parse(bytes));
    // Kept only when nothing changed while it was read and its last change lies far
    // enough back that a change now must give it another stamp.
    FileStamp after;
    const int64_t settled =
        readAt - std::chrono::duration_cast<std::chrono::nanoseconds>(kSettleTime).count();
    if (stamped && files_.GetFileStamp(path, after) && after == before &&
        after.modifiedNs < settled && after.changedNs < settled) {
        if (kept_.size() == kKeptFiles) kept_.erase(kept_.begin());
        kept_.push_back(Kept{path, after, lines});
    }
    return lines;
}

void PortableProfile::Forget(const std::string& path) {
    for (size_t i = 0; i < kept_.size(); ++i) {
        if (kept_[i].path == path) {
            kept_.erase(kept_.begin() + static_cast<std::ptrdiff_t>(i));
            return;
        }
    }
}

std::string PortableProfile::GetString(const std::string& section, const std::string& key,
                                       const std::string& defaultValue, const std::string& path,
                                       uint32_t capacity) {
    std::string fallback = defaultValue;
    while (fallback.size() > 1 && fallback.back() == ' ') fallback.pop_back();

    std::shared_ptr<const ProfileLines> ini = Load(path);
    if (!ini) return CopyEntry(fallback, capacity);
    const Section* found = FindSection(*ini, TrimSpace(section));
    if (!found) return CopyEntry(fallback, capacity);
    const Entry* entry = FindEntry(*found, TrimSpace(key));
    if (!entry || !entry->value) return CopyEntry(fallback, capacity);
    return CopyEntry(*entry->value, capacity);
}

int32_t PortableProfile::WriteString(const std::string& section, const std::string& key,
                                     const std::string& value, const std::string& path) {
    Forget(path);
    std::string bytes;
    ProfileLines ini;
    if (files_.ReadFile(path, bytes)) {
        ini = Parse(bytes);
    } else {
        ini.sections.push_back(Section{});
    }
    std::string sectionName = TrimSpace(section);
    Section* target = FindSection(ini, sectionName);
    if (!target) {
        ini.sections.push_back(Section{sectionName, {}});
        target = &ini.sections.back();
    }
    std::string keyName = TrimSpace(key);
    Entry* entry = FindEntry(*target, keyName);
    if (!entry) {
        target->entries.push_back(Entry{keyName, std::nullopt});
        entry = &target->entries.back();
    }
    entry->value = TrimSpace(value);

    if (files_.WriteFile(path, Serialize(ini))) return 0;
    uint32_t attributes = 0;
    std::string folder = ParentFolder(path);
    if (!folder.empty() && !files_.GetAttributes(folder, attributes)) return 3;  // path not found
    return 5;                                                                   // access denied
}
