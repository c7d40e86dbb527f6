#include "tests/ScanSupport.h"

#include <cctype>

#include "platform/portable/PortableShellLinks.h"

namespace fs = std::filesystem;

namespace testing_support {

ScanWorld::ScanWorld() {
    for (const auto& [letter, type] : kTestDrives) {
        fs::create_directories(Host(std::string(1, letter) + ":\\"));
        world.files.MapDrive(letter, HostPath(std::string(1, letter) + ":\\"), type);
    }
    world.clock.Fix(kNow);
    app.WindowsFolder = "C:\\Windows";
    app.ProgramFilesFolder = "C:\\Program Files";
    app.Scan.ContinueScan = true;
}

fs::path ScanWorld::Host(const std::string& windowsPath) const {
    char letter = static_cast<char>(std::toupper(static_cast<unsigned char>(windowsPath[0])));
    fs::path host = drives.host() / (std::string("drive_") + letter);
    std::string part;
    for (size_t i = 3; i <= windowsPath.size(); ++i) {
        if (i == windowsPath.size() || windowsPath[i] == '\\') {
            if (!part.empty()) host /= hostpath::FromUtf8(part);
            part.clear();
        } else {
            part += windowsPath[i];
        }
    }
    return host;
}

void ScanWorld::CreateFile(const std::string& windowsPath, const std::string& bytes) const {
    fs::create_directories(Host(windowsPath).parent_path());
    WriteBytes(Host(windowsPath), bytes);
}

void ScanWorld::CreateShortcut(const std::string& windowsPath, const std::string& target,
                               const std::string& arguments, bool targetIsFolder) const {
    ShellLinkInfo fields;
    fields.target = target;
    fields.arguments = arguments;
    CreateFile(windowsPath, NewShellLinkBytes(fields, targetIsFolder));
}

Fields FieldsOf(const clsItem& p) {
    return {p.pType(),
            p.pSTATUS,
            p.pInternalType,
            p.pName(),
            p.UID(),
            p.pDescription,
            static_cast<RegKey>(p.pCureKeyRoot),
            p.pCureKeyName,
            p.pCureKeyValueName,
            p.pCureMissingfile,
            p.pCureFilename,
            p.pCureMethod,
            p.pCureValueType};
}

void PrintTo(const Fields& f, std::ostream* os) {
    *os << "{type " << f.type << ", status " << f.status << ", check " << f.check << ", name "
        << f.name << ", uid " << f.uid << ", description " << f.description << ", root " << f.root
        << ", key " << f.key << ", value " << f.value << ", missing " << f.missing << ", file "
        << f.file << ", method " << f.method << ", value type " << f.valueType << "}";
}

}  // namespace testing_support
