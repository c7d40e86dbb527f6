#include "tests/contract/Backends.h"

#include "platform/portable/PortableFileSystem.h"
#include "platform/portable/PortableProfile.h"
#include "platform/portable/PortableShellLinks.h"
#ifdef _WIN32
#include "platform/win32/Win32FileSystem.h"
#include "platform/win32/Win32Profile.h"
#include "platform/win32/Win32ShellLinks.h"
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

std::vector<ShellLinksBackend> HostShellLinksBackends() {
    std::vector<ShellLinksBackend> backends;
#ifdef _WIN32
    backends.push_back({"Win32", [] { return std::make_unique<Win32ShellLinks>(); }});
#endif
    backends.push_back({"Portable", [] { return std::make_unique<OwningPortableShellLinks>(); }});
    return backends;
}

}  // namespace contract
