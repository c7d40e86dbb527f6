#pragma once
// Shared helpers of the tests: scratch folders, a portable world with an application
// folder of its own, reading back the files the program wrote, and running the built
// programs.
#include <filesystem>
#include <string>
#include <vector>

#include "core/App.h"
#include "platform/portable/HostPath.h"
#include "platform/portable/PortableWorld.h"

namespace testing_support {

using Lines = std::vector<std::string>;

// A fresh folder under the system's temporary folder, removed with everything in it.
class ScratchFolder {
  public:
    explicit ScratchFolder(const std::string& tag = "t");
    ~ScratchFolder();
    ScratchFolder(const ScratchFolder&) = delete;
    ScratchFolder& operator=(const ScratchFolder&) = delete;

    // The folder as the program addresses it (a Windows path under Wine).
    const std::string& path() const { return path_; }
    std::filesystem::path host() const { return hostpath::FromUtf8(path_); }
    // path() + "\" + name, as the program builds file names.
    std::string File(const std::string& name) const { return path_ + "\\" + name; }
    std::filesystem::path HostFile(const std::string& name) const {
        return host() / hostpath::FromUtf8(name);
    }

  private:
    std::string path_;
};

// Raw bytes of a host file; "" when it does not exist.
std::string ReadBytes(const std::filesystem::path& file);
void WriteBytes(const std::filesystem::path& file, const std::string& bytes);
bool Exists(const std::filesystem::path& file);
// The lines of a CR LF text file, decoded from Windows-1252.
std::vector<std::string> ReadLines(const std::filesystem::path& file);

// Gives an image's registry the version text Windows NT keeps ("5.1", "6.1").
void PutWindowsVersion(InMemoryRegistry& registry, const std::string& version);

// Text values of an image's registry.
struct RegEntry {
    RegKey hive;
    std::string key, name, data;
    uint32_t type = REG_SZ_;
};
void PutAll(InMemoryRegistry& registry, const std::vector<RegEntry>& entries);

// A platform like `base` with one of its services replaced.
inline Platform Using(const Platform& b, Registry& r) {
    return {r, b.files, b.profile, b.clock, b.locale, b.system, b.prompts, b.links};
}
inline Platform Using(const Platform& b, FileSystem& f) {
    return {b.registry, f, b.profile, b.clock, b.locale, b.system, b.prompts, b.links};
}
inline Platform Using(const Platform& b, Profile& p) {
    return {b.registry, b.files, p, b.clock, b.locale, b.system, b.prompts, b.links};
}

// The drives a portable test world maps, each to a folder "drive_<letter>": C: fixed,
// A: removable, D: CD-ROM, N: network, R: RAM disk (and no Q:).
inline constexpr std::pair<char, uint32_t> kTestDrives[] = {
    {'C', kDriveFixed}, {'A', kDriveRemovable}, {'D', kDriveCdrom}, {'N', kDriveRemote},
    {'R', kDriveRamdisk}};

// A portable world whose application folder is a scratch folder.
struct TestApp {
    TestApp() : app(world.platform, folder.path()) {}
    ScratchFolder folder{"app"};
    PortableWorld world;
    App app;

    std::vector<std::string> Lines(const std::string& name) const {
        return ReadLines(folder.HostFile(name));
    }
};

// Runs a program of the build (by its file name in the build's program folder) with
// the given arguments; returns its exit status and standard output.
struct CommandResult {
    int status = -1;
    std::string output;
};
CommandResult RunBuiltProgram(const std::string& program, const std::vector<std::string>& args);

// A path below the source tree, in the program's own path form.
std::string SourcePath(const std::string& relative);

// The value of "key" in a line of JSON as brivolex-cli prints it (strings unescaped).
std::string JsonField(const std::string& line, const std::string& key);

// Copies the sample machine's drives C: and D: into `folder` (as C and D) and gives
// the files listed in sample/last-access.txt their last access and attributes.
// Returns the folder of drive C: as the program addresses it.
std::string PrepareSampleMachine(const ScratchFolder& folder);

}  // namespace testing_support
