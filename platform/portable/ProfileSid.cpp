#include "platform/portable/ProfileSid.h"

#include "platform/Text.h"

namespace {

constexpr uint32_t kKeyRead = 0x20019;  // KEY_READ: query and enumerate
constexpr char kProfileList[] = "SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion\\ProfileList";

std::string Folder(std::string path, const std::string& systemDrive) {
    path = path.substr(0, path.find('\0'));
    if (text::StartsWith(text::ToLower(path), "%systemdrive%"))
        path = systemDrive + path.substr(13);
    while (path.size() > 3 && path.back() == '\\') path.pop_back();
    return path;
}

}  // namespace

bool FindProfileSid(Registry& registry, const std::string& profileImage, std::string& sid,
                    std::string& error) {
    const std::string wanted = Folder(profileImage, profileImage.substr(0, 2));
    ScopedRegKey list(registry);
    std::string renamed;
    if (list.Open(HKLM, kProfileList, kKeyRead) == kRegSuccess) {
        for (uint32_t i = 0;; ++i) {
            std::string name;
            if (registry.EnumKey(list.Get(), i, 256, name) != kRegSuccess) break;
            ScopedRegKey profile(registry);
            RegValue value;
            if (profile.Open(list.Get(), name, KEY_QUERY_VALUE_) != kRegSuccess ||
                registry.QueryValue(profile.Get(), "ProfileImagePath", 32767, value) !=
                    kRegSuccess ||
                !IsStringType(value.type) ||
                !text::EqualsNoCase(Folder(value.data, wanted.substr(0, 2)), wanted))
                continue;
            if (!text::EndsWith(text::ToLower(name), ".bak")) {
                sid = name;
                return true;
            }
            if (renamed.empty()) renamed = name.substr(0, name.size() - 4);
        }
    }
    if (!renamed.empty()) {
        sid = renamed;
        return true;
    }
    error = std::string("no account of HKLM\\") + kProfileList + " has the profile folder " +
            profileImage;
    return false;
}
