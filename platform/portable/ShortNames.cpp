#include "platform/portable/ShortNames.h"

#include <algorithm>
#include <string_view>

#include "platform/Text.h"
#include "platform/portable/HostPath.h"
#include "platform/portable/HostStat.h"

namespace fs = std::filesystem;

namespace {

bool IsHexDigit(char c) {
    return (c >= '0' && c <= '9') || (c >= 'A' && c <= 'F') || (c >= 'a' && c <= 'f');
}

// A name cleaned as Windows cleans a long name to make its short name: upper case,
// no blanks, no dots before the last one, "_" for characters a short name cannot hold.
void ShortNameParts(const std::string& name, std::string& base, std::string& ext) {
    std::string cleaned;
    for (size_t i = 0; i < name.size(); ++i) {
        unsigned char c = static_cast<unsigned char>(name[i]);
        if (c == ' ') continue;
        if (c >= 0x80) {
            while (i + 1 < name.size() && (static_cast<unsigned char>(name[i + 1]) & 0xC0) == 0x80) ++i;
            cleaned += '_';
        } else if (std::string_view("+,;=[]").find(static_cast<char>(c)) != std::string_view::npos) {
            cleaned += '_';
        } else {
            cleaned += static_cast<char>(c >= 'a' && c <= 'z' ? c - 32 : c);
        }
    }
    size_t first = cleaned.find_first_not_of('.');
    cleaned = first == std::string::npos ? "" : cleaned.substr(first);
    size_t dot = cleaned.rfind('.');
    base = dot == std::string::npos ? cleaned : cleaned.substr(0, dot);
    ext = dot == std::string::npos ? "" : cleaned.substr(dot + 1, 3);
    base.erase(std::remove(base.begin(), base.end(), '.'), base.end());
}

// A name that is its own short name gets no generated one.
bool IsShortName(const std::string& name) {
    size_t dot = name.find('.');
    std::string base = name.substr(0, dot);
    std::string ext = dot == std::string::npos ? "" : name.substr(dot + 1);
    if (base.empty() || base.size() > 8 || ext.size() > 3 || ext.find('.') != std::string::npos)
        return false;
    for (char c : name)
        if (c == ' ' || static_cast<unsigned char>(c) >= 0x80 || (c >= 'a' && c <= 'z') ||
            std::string_view("+,;=[]").find(c) != std::string_view::npos)
            return false;
    return true;
}

// What a generated short name ("PROGRA~1", "LONGNA~2.TXT") tells: the start of the
// cleaned long name, its number, its extension. False for any other name.
struct ShortNameShape {
    std::string stem, ext;
    int number = 0;
};
bool ParseShortName(const std::string& name, ShortNameShape& shape) {
    size_t dot = name.rfind('.');
    std::string base = name.substr(0, dot);
    size_t tilde = base.rfind('~');
    if (base.size() > 8 || tilde == std::string::npos || tilde == 0 || tilde + 1 == base.size())
        return false;
    if (dot != std::string::npos && name.size() - dot - 1 > 3) return false;
    std::string digits = base.substr(tilde + 1);
    if (digits.size() > 6 || digits.find_first_not_of("0123456789") != std::string::npos) return false;
    shape.stem = text::ToUpper(base.substr(0, tilde));
    shape.ext = dot == std::string::npos ? "" : text::ToUpper(name.substr(dot + 1));
    shape.number = std::stoi(digits);
    return shape.number > 0;
}

}  // namespace

// The entry of `folder` that the short name `name` stands for. The image keeps no short
// names, and which of several long names got "~1" depends on the order they were made
// in: `uncertain` is set when the choice cannot be proven (several candidates, a number
// past the first, a name in the hashed form Windows uses after a few collisions).
std::optional<fs::path> MatchShortName(const fs::path& folder, const std::string& name,
                                       bool& uncertain) {
    ShortNameShape shape;
    if (!ParseShortName(name, shape)) return std::nullopt;
    const size_t stemRoom = 7 - std::to_string(shape.number).size();
    std::vector<fs::path> entries, candidates;
    ListHostFolder(hostpath::Reachable(folder), entries);
    for (const fs::path& path : entries) {
        std::string entry = hostpath::ToUtf8(path.filename());
        if (IsShortName(entry)) continue;
        std::string base, ext;
        ShortNameParts(entry, base, ext);
        if (ext == shape.ext && base.substr(0, stemRoom) == shape.stem) candidates.push_back(path);
    }
    std::sort(candidates.begin(), candidates.end());
    bool hashed = shape.stem.size() == 6 &&
                  std::all_of(shape.stem.begin() + 2, shape.stem.end(), IsHexDigit);
    if (candidates.empty()) {
        if (hashed) uncertain = true;
        return std::nullopt;
    }
    if (candidates.size() > 1 || shape.number != 1) uncertain = true;
    return candidates[std::min<size_t>(static_cast<size_t>(shape.number), candidates.size()) - 1];
}

