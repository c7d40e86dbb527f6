#pragma once
// A portable world with drive letters of every type, for tests that work on Windows
// paths: C: fixed (the program lives in C:\Brivolex), A: removable, D: CD-ROM,
// N: network, R: RAM disk, each a scratch folder; Q: does not exist. The clock
// stands at 4 December 2026, 17:05:09.
#include <filesystem>
#include <string>
#include <vector>

#include "core/App.h"
#include "tests/TestSupport.h"

namespace testing_support {

constexpr DateTime kDriveWorldNow{2026, 12, 4, 17, 5, 9};
// What WriteProblemLog puts in front of each line at that time.
inline const std::string kProblemLogStamp = "12/4/2026 5:05:09 PM: ";

class DriveWorld {
public:
    DriveWorld();
    DriveWorld(const DriveWorld&) = delete;
    DriveWorld& operator=(const DriveWorld&) = delete;

    // The host file a "X:\..." path of the mapped drives stands for.
    std::filesystem::path Host(const std::string& windowsPath) const;
    // Creates a file with its folders, or a folder, at a "X:\..." path.
    void CreateFile(const std::string& windowsPath, const std::string& bytes = "x") const;
    void CreateFolder(const std::string& windowsPath) const;
    // The lines of a file beside the program.
    std::vector<std::string> Lines(const std::string& appFileName) const;

    ScratchFolder root{"drives"};
    PortableWorld world;
    App app;
};

}  // namespace testing_support
