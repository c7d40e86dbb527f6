#include "cli/Machine.h"
#include "platform/portable/PortableFileSystem.h"
#include "platform/portable/PortableShellLinks.h"
#include "platform/portable/PortableTrash.h"

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

std::unique_ptr<RecycleBin> OpenImageRecycleBin(PortableFileSystem& imageFiles) {
    return std::make_unique<PortableTrash>(imageFiles);
}
