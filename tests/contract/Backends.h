#pragma once
// The backends a contract suite runs against in this build: the portable ones always,
// and under Windows also the Win32 ones, which are the reference.
#include <functional>
#include <ostream>
#include <memory>
#include <string>
#include <vector>

#include "platform/FileSystem.h"
#include "platform/Profile.h"
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
inline void PrintTo(const ShellLinksBackend& b, std::ostream* os) { *os << b.name; }
}  // namespace contract
