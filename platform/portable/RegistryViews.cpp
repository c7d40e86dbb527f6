#include "platform/portable/RegistryViews.h"

#include <vector>

#include "platform/Text.h"

namespace regview {
namespace {

constexpr std::string_view kWow = "WOW6432Node";

std::vector<std::string_view> Parts(std::string_view path) {
    std::vector<std::string_view> parts;
    size_t start = 0;
    while (start <= path.size() && !path.empty()) {
        size_t end = path.find('\\', start);
        if (end == std::string_view::npos) end = path.size();
        parts.push_back(path.substr(start, end - start));
        start = end + 1;
    }
    return parts;
}

bool Is(std::string_view part, std::string_view name) { return text::EqualsNoCase(part, name); }

// The keys of the classes that each view keeps for itself.
bool IsRedirectedClassKey(std::string_view name) {
    for (std::string_view key : {"CLSID", "DirectShow", "Interface", "Media Type", "MediaFoundation"})
        if (Is(name, key)) return true;
    return false;
}

std::string Join(const std::vector<std::string_view>& parts) {
    std::string path;
    for (std::string_view part : parts) {
        if (!path.empty()) path += '\\';
        path += part;
    }
    return path;
}

}  // namespace

std::string ThirtyTwoBitPath(RegKey root, std::string_view path) {
    std::vector<std::string_view> parts = Parts(path);
    auto insertAt = [&](size_t at) {
        if (parts.size() > at && Is(parts[at], kWow)) return;  // already the 32-bit key
        parts.insert(parts.begin() + static_cast<std::ptrdiff_t>(at), kWow);
    };
    if (root == HKCR) {
        if (!parts.empty() && IsRedirectedClassKey(parts[0])) insertAt(0);
    } else if ((root == HKLM || root == HKCU) && !parts.empty() && Is(parts[0], "SOFTWARE")) {
        if (parts.size() >= 2 && Is(parts[1], "Classes")) {
            if (parts.size() >= 3 && IsRedirectedClassKey(parts[2])) insertAt(2);
        } else if (root == HKLM) {
            insertAt(1);
        }
    }
    return Join(parts);
}

bool ThroughClassesLink(RegKey root, std::string_view path, std::string& canonical) {
    constexpr std::string_view kLink = "SOFTWARE\\WOW6432Node\\Classes";
    if (root != HKLM || path.size() < kLink.size() ||
        !Is(path.substr(0, kLink.size()), kLink) ||
        (path.size() > kLink.size() && path[kLink.size()] != '\\'))
        return false;
    canonical = std::string(path.substr(0, 8)) + "\\Classes\\" + std::string(kWow) +
                std::string(path.substr(kLink.size()));
    return true;
}

}  // namespace regview
