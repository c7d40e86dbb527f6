#include "cli/Machine.h"
#include "platform/win32/SystemPlatform.h"

namespace {
class ThisMachine : public Machine {
public:
    Platform& platform() override { return system_.platform; }
    FileSystem& hostFiles() override { return system_.platform.files; }

private:
    SystemPlatform system_;
};
}  // namespace

std::unique_ptr<Machine> OpenThisMachine(std::string&) { return std::make_unique<ThisMachine>(); }

std::unique_ptr<ShellLinks> OpenHostShellLinks() { return std::make_unique<Win32ShellLinks>(); }
