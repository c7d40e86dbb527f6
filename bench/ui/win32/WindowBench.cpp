// The main window's costs, under Wine: the refresh of a list of 10,000 problems, and a
// scan of about 100,000 items run in the real progress window against the same scan
// with no window at all (as the console runs it, quietly). Prints the figures.
//   brivolex_window_bench [--keys N]
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "bench/common/BenchSupport.h"
#include "bench/scan/BenchFiles.h"
#include "bench/scan/MachineShape.h"
#include "bench/scan/ScanMeasure.h"
#include "core/App.h"
#include "core/ScopedBinding.h"
#include "core/Startup.h"
#include "platform/portable/HostPath.h"
#include "platform/portable/PortableWorld.h"
#include "platform/portable/SplitFileSystem.h"
#include "problems/clsItem.h"
#include "scan/Progress.h"
#include "scan/ProgressView.h"
#include "scan/ScanDriver.h"
#include "ui/win32/MainWindow.h"

namespace {

// An image world: the program's files in `app`, the image's drive C: in `driveC`.
struct World {
    World(const BenchFolder& app, const BenchFolder& driveC) : split(app.path(), hostFiles, image.files) {
        image.files.MapDrive('C', driveC.path(), kDriveFixed);
    }
    PortableWorld image;
    PortableFileSystem hostFiles;
    SplitFileSystem split;
    PortableProfile profile{split};
};

void RefreshTenThousand(const BenchFolder& app, const BenchFolder& driveC) {
    World world(app, driveC);
    Platform platform{world.image.registry, world.split, world.profile, world.image.clock,
                      world.image.locale, world.image.system, world.image.scriptedPrompts, world.image.links};
    App a(platform, app.path());
    for (int i = 0; i < 10000; ++i) {
        auto item = std::make_shared<clsItem>();
        item->pType(i % 3);
        item->pName("C:\\Problems\\" + std::to_string(i) + ".lnk");
        item->pDescription = "Links to nonexisting file C:\\Gone\\" + std::to_string(i) + ".exe";
        a.Problems.Add(item);
    }
    auto start = BenchClock::now();
    MainWindow window(a, nullptr, false);
    window.Open(SW_SHOWNORMAL);  // loading refreshes the list
    double open = Seconds(start);
    start = BenchClock::now();
    SendMessageW(GetDlgItem(window.hwnd(), MainWindow::kSelectInvert), BM_CLICK, 0, 0);
    double invert = Seconds(start);
    std::printf("list of 10,000 problems: window opened and list refreshed in %.3f s; "
                "selection inverted in %.3f s\n", open, invert);
}

void ScanBothWays(size_t keys, const BenchFolder& app, const BenchFolder& driveC) {
    World world(app, driveC);
    InMemorySink machine(world.image.registry, HKLM), user(world.image.registry, HKCU);
    MachineReferences references("C:");
    auto start = BenchClock::now();
    MachineSize size = GenerateMachine(machine, user, keys, references);
    size_t made = MakeReferencedFiles(references, [&](const std::string& path) {
        std::string relative = path.substr(3);
        for (char& c : relative)
            if (c == '\\') c = '/';
        return driveC.host() / hostpath::FromUtf8(relative);
    });
    PrintMachine(size, references, made, Seconds(start));
    Platform platform{world.image.registry, world.split, world.profile, world.image.clock,
                      world.image.locale, world.image.system, world.image.scriptedPrompts, world.image.links};

    // Each way twice, the better run counts: the first scan of a machine also warms
    // the host's file caches.
    double console = 1e9, windowed = 1e9;
    int items = 0, found = 0;
    for (int round = 0; round < 2; ++round) {
        App quiet(platform, app.path());
        PrepareApplication(quiet, false);
        HiddenProgress progress;
        start = BenchClock::now();
        {
            ScopedBinding<ProgressView> bound(quiet.Scan.progress, progress);
            ProgressLoad(quiet, progress);
            RunScanSequence(quiet);
        }
        console = std::min(console, Seconds(start));

        App shown(platform, app.path());
        PrepareApplication(shown, false);
        MainWindow window(shown, nullptr, false);
        window.Open(SW_SHOWNORMAL);
        start = BenchClock::now();
        SendMessageW(GetDlgItem(window.hwnd(), MainWindow::kCheck), BM_CLICK, 0, 0);
        // The progress window waits 300 ms before it scans, as the user sees it.
        windowed = std::min(windowed, Seconds(start) - 0.3);
        items = shown.Scan.ProgressCounter;
        found = shown.Problems.Count();
    }
    std::printf("scan of %d items, %d problems: %.2f s without a window, %.2f s in the progress "
                "window, the list filled (%+.1f %%; target within 10 %%)\n",
                items, found, console, windowed, 100.0 * (windowed / console - 1));
}

}  // namespace

int main(int argc, char** argv) {
    size_t keys = 200000;
    for (int i = 1; i + 1 < argc; i += 2)
        if (std::strcmp(argv[i], "--keys") == 0) keys = std::strtoul(argv[i + 1], nullptr, 10);
    BenchFolder app("app"), driveC("c");
    if (!CopyLanguageFiles(app.host())) return 1;
    RefreshTenThousand(app, driveC);
    std::fflush(stdout);
    ScanBothWays(keys, app, driveC);
    return 0;
}
