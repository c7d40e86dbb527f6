// A temporary folder of the input's making: files, folders, links to a folder above,
// to a sibling, to a file, and to nothing. The old-file and shortcut walks must end,
// and nothing they list may have been reached through a link: a repair would delete
// it from the place the link leads to.
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

#include "core/App.h"
#include "platform/portable/HostPath.h"
#include "platform/portable/PortableWorld.h"
#include "problems/clsItem.h"
#include "scan/OldFilesScanner.h"
#include "scan/ShortcutScanners.h"

namespace fs = std::filesystem;

namespace {

// Builds the tree below `root` from the input, two bytes an entry: what to make, and
// in which of the folders made so far.
void BuildTree(const fs::path& root, const uint8_t* data, size_t size) {
    std::vector<fs::path> folders{root};
    std::error_code ec;
    for (size_t i = 0; i + 1 < size && folders.size() < 64; i += 2) {
        const fs::path& parent = folders[data[i + 1] % folders.size()];
        const fs::path& other = folders[data[i] / 8 % folders.size()];
        fs::path entry = parent / ("e" + std::to_string(i / 2));
        switch (data[i] % 8) {
            case 0:
            case 1: fs::create_directory(entry, ec); folders.push_back(entry); break;
            case 2: fs::create_directory_symlink(other, entry, ec); break;
            case 3: fs::create_directory_symlink("..", entry, ec); break;
            case 4: fs::create_symlink(other / "e0", entry, ec); break;
            case 5: fs::create_symlink(root / "nowhere", entry, ec); break;
            default: {
                FILE* f = std::fopen(entry.c_str(), "w");
                if (f) std::fclose(f);
            }
        }
    }
}

// Whether any folder on the way from `root` to `path` is a link.
bool ReachedThroughLink(const fs::path& root, const fs::path& path) {
    std::error_code ec;
    for (fs::path p = path.parent_path(); p != root && p.has_relative_path(); p = p.parent_path())
        if (fs::is_symlink(fs::symlink_status(p, ec))) return true;
    return fs::is_symlink(fs::symlink_status(path, ec));
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static const fs::path scratch = fs::temp_directory_path() / ("brivolex-walk-" + std::to_string(getpid()));
    std::error_code ec;
    fs::remove_all(scratch, ec);
    fs::create_directories(scratch / "C" / "Temp", ec);
    fs::create_directories(scratch / "app", ec);
    const fs::path temp = scratch / "C" / "Temp";
    BuildTree(temp, data, size);

    PortableWorld world;
    world.files.MapDrive('C', hostpath::ToUtf8(scratch / "C"));
    world.clock.Fix(DateTime{2199, 1, 1, 0, 0, 0});  // every file is old by then
    App app(world.platform, hostpath::ToUtf8(scratch / "app"));
    app.Scan.ContinueScan = true;
    ScanFolderForOldFiles(app, "C:\\Temp");
    SFFBL(app, "C:\\Temp");

    for (const ProblemRef& problem : app.Problems) {
        auto host = world.files.ToHost(problem->pName());
        if (!host || ReachedThroughLink(temp, *host)) __builtin_trap();
    }
    return 0;
}
