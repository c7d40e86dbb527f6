#include "tests/DriveWorld.h"

#include <cctype>

namespace fs = std::filesystem;

namespace testing_support {

namespace {
const std::pair<char, uint32_t> kDrives[] = {
    {'C', kDriveFixed},  {'A', kDriveRemovable}, {'D', kDriveCdrom},
    {'N', kDriveRemote}, {'R', kDriveRamdisk},
};
}  // namespace

DriveWorld::DriveWorld() : app(world.platform, "C:\\Brivolex") {
    for (const auto& [letter, type] : kDrives) {
        fs::path folder = root.host() / (std::string("drive_") + letter);
        fs::create_directories(folder);
        world.files.MapDrive(letter, hostpath::ToUtf8(folder), type);
    }
    fs::create_directories(Host("C:\\Brivolex"));
    world.clock.Fix(kDriveWorldNow);
}

fs::path DriveWorld::Host(const std::string& windowsPath) const {
    char letter = static_cast<char>(std::toupper(static_cast<unsigned char>(windowsPath[0])));
    fs::path host = root.host() / (std::string("drive_") + letter);
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

void DriveWorld::CreateFile(const std::string& windowsPath, const std::string& bytes) const {
    fs::path host = Host(windowsPath);
    fs::create_directories(host.parent_path());
    WriteBytes(host, bytes);
}

void DriveWorld::CreateFolder(const std::string& windowsPath) const {
    fs::create_directories(Host(windowsPath));
}

std::vector<std::string> DriveWorld::Lines(const std::string& appFileName) const {
    return ReadLines(Host("C:\\Brivolex\\" + appFileName));
}

}  // namespace testing_support
