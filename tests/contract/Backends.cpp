#include "tests/contract/Backends.h"

#include <filesystem>

#include "platform/portable/HostPath.h"
#include "platform/portable/PortableFileSystem.h"
#include "platform/portable/InMemoryRegistry.h"
#include "platform/portable/PortableProfile.h"
#include "platform/portable/PortableShellLinks.h"
#include "platform/portable/PortableSystemInfo.h"
#ifdef _WIN32
#include "platform/win32/Win32FileSystem.h"
#include "platform/win32/Win32Profile.h"
#include "platform/win32/Win32ShellLinks.h"
#include "platform/win32/Win32SystemInfo.h"
#include "tests/win32/WineDrives.h"
#endif

namespace contract {

namespace {
// A profile that owns the file system it reads through.
class OwningPortableProfile : public PortableProfile {
public:
    OwningPortableProfile() : PortableProfile(files_) {}

private:
    PortableFileSystem files_;
};

// The registry and file system come first, so they exist before the system info
// that refers to them.
struct ImageParts {
    InMemoryRegistry registry;
    PortableFileSystem files;
};
class OwningPortableSystemInfo : private ImageParts, public PortableSystemInfo {
public:
    OwningPortableSystemInfo() : PortableSystemInfo(registry, files) {}
};

// Portable links that own the file system they read through.
class OwningPortableShellLinks : public PortableShellLinks {
public:
    OwningPortableShellLinks() : PortableShellLinks(files_) {}

private:
    PortableFileSystem files_;
};
}  // namespace

std::vector<ProfileBackend> ProfileBackends() {
    std::vector<ProfileBackend> backends;
#ifdef _WIN32
    backends.push_back({"Win32", [] { return std::make_unique<Win32Profile>(); }});
#endif
    backends.push_back({"Portable", [] { return std::make_unique<OwningPortableProfile>(); }});
    return backends;
}

std::vector<FileSystemBackend> HostFileSystemBackends() {
    std::vector<FileSystemBackend> backends;
#ifdef _WIN32
    backends.push_back({"Win32", [] { return std::make_unique<Win32FileSystem>(); }});
#endif
    backends.push_back({"Portable", [] { return std::make_unique<PortableFileSystem>(); }});
    return backends;
}

std::vector<SystemInfoBackend> HostSystemInfoBackends() {
    std::vector<SystemInfoBackend> backends;
#ifdef _WIN32
    backends.push_back({"Win32", [] { return std::make_unique<Win32SystemInfo>(); }});
#endif
    backends.push_back({"Portable", [] { return std::make_unique<OwningPortableSystemInfo>(); }});
    return backends;
}

namespace {
DriveSetup PortableDrives(const std::string& scratchFolder) {
    auto files = std::make_unique<PortableFileSystem>();
    DriveSetup setup;
    const std::pair<char, uint32_t> drives[] = {
        {'C', kDriveFixed}, {'A', kDriveRemovable}, {'D', kDriveCdrom},
        {'N', kDriveRemote}, {'R', kDriveRamdisk},
    };
    for (const auto& [letter, type] : drives) {
        std::string folder = scratchFolder + "/drive_" + letter;
        std::error_code ec;
        std::filesystem::create_directories(hostpath::FromUtf8(folder), ec);
        files->MapDrive(letter, folder, type);
        setup.roots.push_back({std::string(1, letter) + ":\\", type});
    }
    setup.roots.push_back({"c:\\", kDriveFixed});
    setup.roots.push_back({"Q:\\", kDriveNoRootDir});
    setup.files = std::move(files);
    return setup;
}
}  // namespace

std::vector<DriveBackend> DriveBackends() {
    std::vector<DriveBackend> backends;
#ifdef _WIN32
    backends.push_back({"Win32", [](const std::string&) {
                            DriveSetup setup = WineTestDrives();
                            setup.files = std::make_unique<Win32FileSystem>();
                            return setup;
                        }});
#endif
    backends.push_back({"Portable", PortableDrives});
    return backends;
}

std::vector<ShellLinksBackend> HostShellLinksBackends() {
    std::vector<ShellLinksBackend> backends;
#ifdef _WIN32
    backends.push_back({"Win32", [] { return std::make_unique<Win32ShellLinks>(); }});
#endif
    backends.push_back({"Portable", [] { return std::make_unique<OwningPortableShellLinks>(); }});
    return backends;
}

}  // namespace contract
