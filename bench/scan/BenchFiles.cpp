#include "bench/scan/BenchFiles.h"

#include <cstdio>
#include <fstream>

#include "bench/common/BenchSupport.h"
#include "platform/RunningProgram.h"
#include "platform/portable/HostPath.h"

namespace fs = std::filesystem;

BenchFolder::BenchFolder(const std::string& tag) {
    std::error_code ec;
    fs::path folder = fs::temp_directory_path(ec) /
                      ("brivolex-scan-bench-" + tag + "-" +
                       std::to_string(BenchClock::now().time_since_epoch().count() % 100000000));
    fs::create_directories(folder, ec);
    path_ = hostpath::ToUtf8(folder);
    while (path_.size() > 1 && (path_.back() == '\\' || path_.back() == '/')) path_.pop_back();
}

BenchFolder::~BenchFolder() {
    std::error_code ec;
    fs::remove_all(host(), ec);
}

fs::path BenchFolder::host() const {
    return hostpath::FromUtf8(path_);
}

bool CopyLanguageFiles(const fs::path& appFolder) {
    std::error_code ec;
    fs::path from = hostpath::FromUtf8(RunningProgramFolder()) / "languages";
    fs::create_directories(appFolder / "languages", ec);
    fs::copy(from, appFolder / "languages",
             fs::copy_options::recursive | fs::copy_options::overwrite_existing, ec);
    if (ec)
        std::printf("the language files could not be copied from %s: %s\n",
                    hostpath::ToUtf8(from).c_str(), ec.message().c_str());
    return !ec;
}

size_t MakeReferencedFiles(const MachineReferences& references,
                           const std::function<fs::path(const std::string&)>& toHost) {
    size_t made = 0;
    std::error_code ec;
    for (const std::string& folder : references.Folders()) {
        fs::create_directories(toHost(folder), ec);
        ++made;
    }
    for (const std::string& file : references.Files()) {
        fs::path host = toHost(file);
        fs::create_directories(host.parent_path(), ec);
        std::ofstream(host, std::ios::binary) << "MZ";
        ++made;
    }
    return made;
}

void PrintMachine(const MachineSize& size, const MachineReferences& references, size_t made,
                  double generateSeconds) {
    std::printf(
        "machine: %s keys (%s shaped like HKEY_CLASSES_ROOT), %s values, made in %.1f s;\n"
        "  %zu uninstall entries, %zu Run values, %zu font values, %zu shared-DLL values, %zu "
        "application paths,\n"
        "  %zu registered applications, %zu help files, %zu Installer folders, %zu per-user "
        "extension records;\n"
        "  %s references, %s of them broken; %s files and folders made for the others\n",
        Grouped(static_cast<double>(size.keys)).c_str(),
        Grouped(static_cast<double>(size.classes.keys)).c_str(),
        Grouped(static_cast<double>(size.values)).c_str(), generateSeconds, size.uninstallEntries,
        size.runValues, size.fontValues, size.sharedDllValues, size.appPaths, size.applications,
        size.helpFiles, size.installerFolders, size.extensionRecords,
        Grouped(static_cast<double>(references.References())).c_str(),
        Grouped(static_cast<double>(references.Broken())).c_str(),
        Grouped(static_cast<double>(made)).c_str());
}
