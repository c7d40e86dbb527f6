#include "cli/Machine.h"

#include <filesystem>

#include "platform/Console.h"
#include "platform/portable/HiveWriteBack.h"
#include "platform/portable/HostPath.h"
#include "platform/portable/InMemoryRegistry.h"
#include "platform/portable/OfflineImages.h"
#include "platform/portable/PortableClock.h"
#include "platform/portable/PortableFileSystem.h"
#include "platform/portable/PortableProfile.h"
#include "platform/portable/PortableRegExport.h"
#include "platform/portable/PortableShellLinks.h"
#include "platform/portable/ProfileSid.h"
#include "platform/portable/PortableSystemInfo.h"
#include "platform/portable/RegFile.h"
#include "platform/portable/ScriptedPrompts.h"
#include "platform/portable/SplitFileSystem.h"
#include "platform/portable/WindowsImageRecycleBin.h"
#include "platform/portable/WinePrefixWriteBack.h"

namespace {

class ImageMachine : public Machine {
public:
    explicit ImageMachine(const std::string& appFolder)
        : split_(appFolder, hostFiles_, imageFiles_),
          profile_(split_),
          system_(registry_, split_),
          links_(split_),
          platform_{registry_, split_, profile_, clock_, locale_, system_, prompts_, links_},
          exporter_(registry_, split_),
          bin_(OpenImageRecycleBin(imageFiles_)) {}

    Platform& platform() override { return platform_; }
    FileSystem& hostFiles() override { return hostFiles_; }
    RecycleBin& recycleBin() override { return *bin_; }
    bool WriteBack(const std::string& stamp, std::vector<std::string>& changed, std::string& error) override {
        // What the files hold beyond the repaired registry is taken as deleted: a file
        // that changed since it was read (Windows or Wine ran on it meanwhile) would
        // lose those changes.
        for (const ReadFile& file : read_) {
            if (Stamp(file.path) == file.stamp) continue;
            error = file.path + " changed since it was read: nothing written (run the repair again)";
            return false;
        }
        if (!installation_.hives.empty()) return WriteBackHives(registry_, installation_.hives, stamp, changed, error);
        if (!winePrefix_.empty()) return WriteBackWinePrefix(registry_, winePrefix_, stamp, changed, error);
        return Machine::WriteBack(stamp, changed, error);
    }
    Processes& processes() override { return exporter_; }
    InMemoryRegistry* imageRegistry() override { return &registry_; }

    bool Load(const CliOptions& options, std::string& error) {
        std::vector<DriveMapping> drives;
        if (!LoadRegistry(options, drives, error)) return false;
        // The command line's own mappings come last and win.
        for (const DriveMapping& drive : options.drives) {
            std::erase_if(drives, [&](const DriveMapping& d) { return d.letter == drive.letter; });
            drives.push_back(drive);
        }
        for (const DriveMapping& drive : drives) {
            uint32_t attributes = 0;
            if (!hostFiles_.GetAttributes(drive.folder, attributes) || !(attributes & kAttrDirectory)) {
                error = "drive " + std::string(1, drive.letter) + ": folder '" + drive.folder +
                        "' does not exist";
                return false;
            }
            imageFiles_.MapDrive(drive.letter, drive.folder, drive.type);
        }
        // Relative names mean what they meant on that machine: below the root of its
        // system drive.
        std::string windows = system_.WindowsDirectory();
        bool onDrive = windows.size() >= 2 && windows[1] == ':';
        imageFiles_.SetCurrentFolder(onDrive ? windows.substr(0, 2) + "\\" : "C:\\");
        return true;
    }

private:
    // Files deleted from an installation go to its own Recycle Bin, the user's folder of
    // it, where Windows shows them and can put them back.
    bool UseInstallationsBin(std::string& error) {
        if (!HiveFilesWritable()) {
            error = "this build cannot write hive files: repair --windows --write needs the Linux brivolex-cli";
            return false;
        }
        std::string sid;
        if (!FindProfileSid(registry_, installation_.profile.image, sid, error)) return false;
        bin_ = std::make_unique<WindowsImageRecycleBin>(imageFiles_, sid);
        return true;
    }

    // The image's registry, and the drives its files imply.
    bool LoadRegistry(const CliOptions& options, std::vector<DriveMapping>& drives,
                      std::string& error) {
        for (const std::string& file : options.registryFiles) {
            if (!LoadRegFile(registry_, hostFiles_, file, error)) return false;
        }
        std::string note;
        if (!options.windowsDir.empty()) {
            if (!LoadWindowsInstallation(registry_, options.windowsDir, options.user, installation_, note, error))
                return false;
            for (const MountedHive& hive : installation_.hives) Remember(hive.file);
            drives.push_back(DriveMapping{'C', options.windowsDir, kDriveFixed});
            if (options.write && !UseInstallationsBin(error)) return false;
        }
        if (!options.winePrefix.empty()) {
#ifdef _WIN32
            error = "--wine-prefix follows the prefix's Unix links (dosdevices/): use the Linux "
                    "brivolex-cli";
            return false;
#else
            std::string detail;
            // Wine keeps the registry in memory and writes it over the files when it ends.
            if (options.write && WineServerRunning(options.winePrefix, detail)) {
                error = detail + ": stop it first (WINEPREFIX=" + options.winePrefix + " wineserver -k)";
                return false;
            }
            std::vector<OfflineDrive> found;
            if (!LoadWinePrefix(registry_, options.winePrefix, found, note, error)) return false;
            winePrefix_ = options.winePrefix;
            for (const char* name : {"system.reg", "user.reg", "userdef.reg"})
                Remember((std::filesystem::path(winePrefix_) / name).string());
            for (const OfflineDrive& drive : found)
                drives.push_back(DriveMapping{drive.letter, drive.folder, drive.type});
#endif
        }
        if (!note.empty()) console::WriteErr("brivolex-cli: scanning the " + note + "\n");
        return true;
    }

    InMemoryRegistry registry_;
    PortableFileSystem hostFiles_;   // the program's own folder
    PortableFileSystem imageFiles_;  // the drives of the image
    SplitFileSystem split_;
    PortableProfile profile_;
    PortableSystemInfo system_;
    PortableClock clock_;
    UsEnglishLocale locale_;
    ScriptedPrompts prompts_;
    PortableShellLinks links_;
    Platform platform_;
    PortableRegExport exporter_;
    std::unique_ptr<RecycleBin> bin_;
    WindowsInstallation installation_;
    std::string winePrefix_;
    // The registry files read, with their size and time of last change then.
    struct ReadFile {
        std::string path, stamp;
    };
    std::vector<ReadFile> read_;
    static std::string Stamp(const std::string& path) {
        std::error_code error;
        const std::filesystem::path host = hostpath::FromUtf8(path);
        auto size = std::filesystem::file_size(host, error);
        if (error) return "-";
        auto time = std::filesystem::last_write_time(host, error);
        return std::to_string(size) + "/" + std::to_string(time.time_since_epoch().count());
    }
    void Remember(const std::string& path) { read_.push_back({path, Stamp(path)}); }
};

}  // namespace

std::unique_ptr<Machine> OpenImageMachine(const CliOptions& options, const std::string& appFolder,
                                          std::string& error) {
    auto machine = std::make_unique<ImageMachine>(appFolder);
    if (!machine->Load(options, error)) return nullptr;
    return machine;
}
