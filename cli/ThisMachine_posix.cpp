#ifndef _WIN32
#include <unistd.h>

#include <climits>

#include "cli/Machine.h"
#include "platform/portable/PortableFileSystem.h"
#include "platform/portable/PortableShellLinks.h"

namespace {
// The program's own reader, over the host's files.
class HostShellLinks : public PortableShellLinks {
public:
    HostShellLinks() : PortableShellLinks(files_) {}

private:
    PortableFileSystem files_;
};
}  // namespace

std::unique_ptr<ShellLinks> OpenHostShellLinks() { return std::make_unique<HostShellLinks>(); }

std::unique_ptr<Machine> OpenThisMachine(std::string& error) {
    error = "this build scans an offline machine image only: give --registry FILE.reg "
            "and --drive C=FOLDER";
    return nullptr;
}

std::string ProgramFolderOfCli() {
    char buffer[PATH_MAX + 1] = {};
    ssize_t n = ::readlink("/proc/self/exe", buffer, PATH_MAX);
    if (n <= 0) return ".";
    std::string path(buffer, static_cast<size_t>(n));
    size_t cut = path.find_last_of('/');
    return cut == std::string::npos ? "." : path.substr(0, cut);
}
#endif
