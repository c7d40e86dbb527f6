#include "tests/ScanSupport.h"

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

std::vector<std::string> ScanWorld::ProblemNames() const {
    std::vector<std::string> names;
    for (const ProblemRef& p : app.Problems) names.push_back(p->pName());
    return names;
}

}  // namespace testing_support
