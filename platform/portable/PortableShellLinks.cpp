#include "platform/portable/PortableShellLinks.h"

#include "platform/Text.h"
#include "platform/portable/ShellLinkFile.h"

namespace {

// Characters of the buffers the fields are asked for with, the NUL included.
constexpr size_t kPathBuffer = 260;
constexpr size_t kDescriptionBuffer = 1024;

// What a NUL-terminated buffer of `capacity` UTF-16 units receives of a text.
std::string AsBuffer(const std::string& s, size_t capacity) {
    std::u16string units = text::Utf8ToUtf16(s.substr(0, s.find('\0')));
    if (units.size() >= capacity) units.resize(capacity - 1);
    return text::Utf16ToUtf8(units);
}

bool Failure(ShellLinkError& error, int32_t number, const std::string& description) {
    error = ShellLinkError{number, description};
    return false;
}

}  // namespace

bool ShellLinkInfoFromBytes(std::string_view data, ShellLinkInfo& info, std::string& error) {
    shelllink::LinkFile link;
    if (!shelllink::Parse(data, link, error)) return false;
    info = ShellLinkInfo{};
    info.target = AsBuffer(shelllink::TargetPath(link), kPathBuffer);
    info.arguments = AsBuffer(link.arguments, kPathBuffer);
    info.description = AsBuffer(link.name, kDescriptionBuffer);
    info.workingDirectory = AsBuffer(link.workingDir, kPathBuffer);
    info.iconLocation = AsBuffer(link.iconLocation, kPathBuffer);
    info.iconIndex = link.iconIndex;
    info.hotKey = link.hotKey;
    info.showCommand = static_cast<int32_t>(link.showCommand);
    return true;
}

std::string NewShellLinkBytes(const ShellLinkInfo& fields, bool targetIsFolder) {
    shelllink::LinkFile link;
    shelllink::Target target;
    target.path = fields.target;
    target.isFolder = targetIsFolder;
    target.attributes = targetIsFolder ? kAttrDirectory : kAttrArchive;
    shelllink::SetTarget(link, target);
    link.arguments = fields.arguments;
    link.name = fields.description;
    link.workingDir = fields.workingDirectory;
    link.iconLocation = fields.iconLocation;
    link.iconIndex = fields.iconIndex;
    link.hotKey = fields.hotKey;
    link.showCommand = static_cast<uint32_t>(fields.showCommand);
    return shelllink::Serialize(link);
}

bool PortableShellLinks::Load(const std::string& path, std::string& data, ShellLinkError& error) {
    if (files_.ReadFile(path, data)) return true;
    uint32_t attributes = 0;
    if (!files_.GetAttributes(path, attributes))
        return Failure(error, kLinkFileNotFound, "The system cannot find the file specified.");
    return Failure(error, kLinkAccessDenied, "Access is denied.");
}

bool PortableShellLinks::Read(const std::string& path, ShellLinkInfo& info, ShellLinkError& error) {
    std::string data;
    if (!Load(path, data, error)) return false;
    std::string reason;
    if (!ShellLinkInfoFromBytes(data, info, reason)) return Failure(error, kLinkUnreadable, reason);
    return true;
}

bool PortableShellLinks::Retarget(const std::string& path, const std::string& newTarget,
                                  ShellLinkError& error) {
    std::string data;
    if (!Load(path, data, error)) return false;
    shelllink::LinkFile link;
    std::string reason;
    if (!shelllink::Parse(data, link, reason)) return Failure(error, kLinkUnreadable, reason);

    shelllink::Target target;
    target.path = newTarget;
    if (files_.GetAttributes(newTarget, target.attributes))
        target.isFolder = (target.attributes & kAttrDirectory) != 0;
    if (newTarget.size() >= 3 && newTarget[1] == ':') {
        uint32_t type = files_.QueryDriveType(newTarget.substr(0, 2) + "\\");
        if (type > kDriveNoRootDir) target.driveType = type;
    }
    shelllink::SetTarget(link, target);
    if (!files_.WriteFile(path, shelllink::Serialize(link)))
        return Failure(error, kLinkAccessDenied, "Access is denied.");
    return true;
}
