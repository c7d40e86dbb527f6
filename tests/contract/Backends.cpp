#include "tests/contract/Backends.h"

#include <filesystem>

#include "platform/portable/HostPath.h"
#include "platform/portable/InMemoryRegistry.h"
#include "platform/portable/PortableFileSystem.h"
#include "platform/portable/PortableProfile.h"
#include "platform/portable/PortableShellLinks.h"
#include "platform/portable/PortableSystemInfo.h"
#include "tests/TestSupport.h"
#ifdef _WIN32
#include "platform/win32/Win32FileSystem.h"
#include "platform/win32/Win32Profile.h"
#include "platform/win32/Win32ShellLinks.h"
#include "platform/win32/Win32SystemInfo.h"
#include <windows.h>
#endif

namespace contract {

namespace {
// A portable service that owns what it reads through: the host's own files, and an
// empty image registry.
struct HostParts {
    InMemoryRegistry registry;
    PortableFileSystem files;
};
template <class T>
class OnHost : private HostParts, public T {
  public:
    template <class... Parts>
    explicit OnHost(Parts HostParts::*... parts) : T(this->*parts...) {}
};
}  // namespace

// The Win32 backend first under Windows, then the portable one.
#ifdef _WIN32
#define WIN32_BACKEND(Service, Type) {"Win32", [] { return std::unique_ptr<Service>(new Type()); }},
#else
#define WIN32_BACKEND(Service, Type)
#endif

std::vector<ProfileBackend> ProfileBackends() {
    return {WIN32_BACKEND(Profile, Win32Profile){
        "Portable",
        [] { return std::unique_ptr<Profile>(new OnHost<PortableProfile>(&HostParts::files)); }}};
}

std::vector<FileSystemBackend> HostFileSystemBackends() {
    return {WIN32_BACKEND(FileSystem, Win32FileSystem){
        "Portable", [] { return std::unique_ptr<FileSystem>(new PortableFileSystem()); }}};
}

std::vector<SystemInfoBackend> HostSystemInfoBackends() {
    return {WIN32_BACKEND(SystemInfo, Win32SystemInfo){
        "Portable", [] {
            return std::unique_ptr<SystemInfo>(
                new OnHost<PortableSystemInfo>(&HostParts::registry, &HostParts::files));
        }}};
}

std::vector<ShellLinksBackend> HostShellLinksBackends() {
    return {WIN32_BACKEND(ShellLinks, Win32ShellLinks){
        "Portable", [] {
            return std::unique_ptr<ShellLinks>(new OnHost<PortableShellLinks>(&HostParts::files));
        }}};
}

#ifdef _WIN32
namespace {
// The drive roots of the Wine test prefix with their types: scripts/wine-prefix defines
// them in HKLM\Software\Wine\Drives, each with a dosdevices link to a folder of the prefix.
DriveSetup WineTestDrives() {
    DriveSetup setup;
    HMODULE ntdll = GetModuleHandleW(L"ntdll.dll");
    if (!ntdll || !GetProcAddress(ntdll, "wine_get_version")) {
        setup.skipReason = "not under Wine: the drives of this machine are not known";
        return setup;
    }
    setup.roots = {
        {"C:\\", kDriveFixed},  {"c:\\", kDriveFixed},   {"A:\\", kDriveRemovable},
        {"D:\\", kDriveCdrom},  {"N:\\", kDriveRemote},  {"R:\\", kDriveRamdisk},
        {"Q:\\", kDriveNoRootDir},
    };
    if (GetDriveTypeW(L"D:\\") == DRIVE_NO_ROOT_DIR)
        setup.skipReason =
            "the Wine prefix has no test drives (made before scripts/wine-prefix defined them; "
            "delete build/windows/wineprefix to recreate it)";
    return setup;
}
}  // namespace
#endif

std::vector<DriveBackend> DriveBackends() {
    std::vector<DriveBackend> backends;
#ifdef _WIN32
    backends.push_back({"Win32", [](const std::string&) {
                            DriveSetup setup = WineTestDrives();
                            setup.files = std::make_unique<Win32FileSystem>();
                            return setup;
                        }});
#endif
    backends.push_back({"Portable", [](const std::string& scratchFolder) {
                            DriveSetup setup;
                            auto files = std::make_unique<PortableFileSystem>();
                            for (const auto& [letter, type] : testing_support::kTestDrives) {
                                std::string folder = scratchFolder + "/drive_" + letter;
                                std::filesystem::create_directories(hostpath::FromUtf8(folder));
                                files->MapDrive(letter, folder, type);
                                setup.roots.push_back({std::string(1, letter) + ":\\", type});
                            }
                            setup.roots.push_back({"c:\\", kDriveFixed});
                            setup.roots.push_back({"Q:\\", kDriveNoRootDir});
                            setup.files = std::move(files);
                            return setup;
                        }});
    return backends;
}

}  // namespace contract
