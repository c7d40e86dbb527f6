#pragma once
// The backends a contract suite runs against in this build: the portable ones always,
// and under Windows also the Win32 ones, which are the reference.
#include <functional>
#include <memory>
#include <ostream>
#include <string>
#include <utility>
#include <vector>

#include "platform/FileSystem.h"
#include "platform/Profile.h"
#include "platform/ShellLinks.h"
#include "platform/SystemInfo.h"

namespace contract {

template <class Service>
struct Backend {
    std::string name;
    std::function<std::unique_ptr<Service>()> make;
};
template <class Service>
void PrintTo(const Backend<Service>& b, std::ostream* os) {
    *os << b.name;
}

// Each works on the host's own files, so that it names the same files as the test's
// scratch folders (the portable system info with an empty image registry).
using ProfileBackend = Backend<Profile>;
using FileSystemBackend = Backend<FileSystem>;
using SystemInfoBackend = Backend<SystemInfo>;
using ShellLinksBackend = Backend<ShellLinks>;
std::vector<ProfileBackend> ProfileBackends();
std::vector<FileSystemBackend> HostFileSystemBackends();
std::vector<SystemInfoBackend> HostSystemInfoBackends();
std::vector<ShellLinksBackend> HostShellLinksBackends();

// A file system with drives of several types, and the roots to ask about with the
// type each must report. The portable one maps drive letters to folders of the given
// scratch folder; the Win32 one uses the drives the Wine test prefix defines.
struct DriveSetup {
    std::unique_ptr<FileSystem> files;
    std::vector<std::pair<std::string, uint32_t>> roots;
    std::string skipReason;  // set when the drives of this backend are not known here
};
struct DriveBackend {
    std::string name;
    std::function<DriveSetup(const std::string& scratchFolder)> make;
};
inline void PrintTo(const DriveBackend& b, std::ostream* os) {
    *os << b.name;
}
std::vector<DriveBackend> DriveBackends();

}  // namespace contract
