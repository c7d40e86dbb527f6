#pragma once
// The backends a contract suite runs against in this build: the portable ones always,
// and under Windows also the Win32 ones, which are the reference.
#include <functional>
#include <ostream>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "platform/FileSystem.h"
#include "platform/Profile.h"
#include "platform/SystemInfo.h"
#include "platform/ShellLinks.h"

namespace contract {

struct ProfileBackend {
    std::string name;
    std::function<std::unique_ptr<Profile>()> make;
};
std::vector<ProfileBackend> ProfileBackends();

// File systems whose host paths name the same files as the test's scratch folders.
struct FileSystemBackend {
    std::string name;
    std::function<std::unique_ptr<FileSystem>()> make;
};
std::vector<FileSystemBackend> HostFileSystemBackends();

// System answers about files and paths of the host (the portable one with an empty
// image registry).
struct SystemInfoBackend {
    std::string name;
    std::function<std::unique_ptr<SystemInfo>()> make;
};
std::vector<SystemInfoBackend> HostSystemInfoBackends();
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
std::vector<DriveBackend> DriveBackends();
// Shell links whose paths are those of the test's scratch folders.
struct ShellLinksBackend {
    std::string name;
    std::function<std::unique_ptr<ShellLinks>()> make;
};
std::vector<ShellLinksBackend> HostShellLinksBackends();

}  // namespace contract

namespace contract {
inline void PrintTo(const ProfileBackend& b, std::ostream* os) { *os << b.name; }
inline void PrintTo(const FileSystemBackend& b, std::ostream* os) { *os << b.name; }
inline void PrintTo(const SystemInfoBackend& b, std::ostream* os) { *os << b.name; }
inline void PrintTo(const DriveBackend& b, std::ostream* os) { *os << b.name; }
inline void PrintTo(const ShellLinksBackend& b, std::ostream* os) { *os << b.name; }
}  // namespace contract
