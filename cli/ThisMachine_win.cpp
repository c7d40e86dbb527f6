#include "cli/Machine.h"
#include "platform/portable/ImageRecycleBin.h"
#include "platform/win32/SystemPlatform.h"
#include "platform/win32/Win32Processes.h"
#include "platform/win32/Win32RecycleBin.h"

namespace {
class ThisMachine : public Machine {
public:
    Platform& platform() override { return system_.platform; }
    FileSystem& hostFiles() override { return system_.platform.files; }
    RecycleBin& recycleBin() override { return bin_; }
    Processes& processes() override { return processes_; }

private:
    SystemPlatform system_;
    Win32RecycleBin bin_;
    Win32Processes processes_;
};

// The image's paths as the host paths they stand for, into the host's bin.
class HostBinForImage : public RecycleBin {
public:
    explicit HostBinForImage(PortableFileSystem& image) : image_(image, host_) {}
    bool Recycle(const std::string& path) override { return image_.Recycle(path); }

private:
    Win32RecycleBin host_;
    ImageRecycleBin image_;
};
}  // namespace

std::unique_ptr<Machine> OpenThisMachine(std::string&) { return std::make_unique<ThisMachine>(); }

std::unique_ptr<ShellLinks> OpenHostShellLinks() { return std::make_unique<Win32ShellLinks>(); }

std::unique_ptr<RecycleBin> OpenImageRecycleBin(PortableFileSystem& imageFiles) {
    return std::make_unique<HostBinForImage>(imageFiles);
}
