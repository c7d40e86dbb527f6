#include "tests/ScanSupport.h"

#include "platform/portable/PortableShellLinks.h"
#include "problems/clsItem.h"

namespace testing_support {

void ScanWorld::CreateFileOnC(const std::string& windowsPath) {
    std::string relative = windowsPath.substr(3);  // after "C:\"
    for (char& c : relative)
        if (c == '\\') c = '/';
    std::filesystem::path file = driveC.host() / hostpath::FromUtf8(relative);
    std::filesystem::create_directories(file.parent_path());
    WriteBytes(file, "test file\r\n");
}

void ScanWorld::CreateFolderOnC(const std::string& windowsPath) {
    std::string relative = windowsPath.substr(3);
    for (char& c : relative)
        if (c == '\\') c = '/';
    std::filesystem::create_directories(driveC.host() / hostpath::FromUtf8(relative));
}

void ScanWorld::CreateShortcutOnC(const std::string& windowsPath, const std::string& target,
                                  const std::string& arguments, bool targetIsFolder) {
    ShellLinkInfo fields;
    fields.target = target;
    fields.arguments = arguments;
    CreateFileOnC(windowsPath);
    std::string relative = windowsPath.substr(3);
    for (char& c : relative)
        if (c == '\\') c = '/';
    WriteBytes(driveC.host() / hostpath::FromUtf8(relative), NewShellLinkBytes(fields, targetIsFolder));
}

std::vector<std::string> ScanWorld::ProblemNames() const {
    std::vector<std::string> names;
    for (const ProblemRef& p : app.Problems) names.push_back(p->pName());
    return names;
}

}  // namespace testing_support
