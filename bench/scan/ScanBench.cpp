// Scans a machine of about 200,000 registry keys (HKEY_CLASSES_ROOT shaped as a real
// one, uninstall entries, Run, font and shared-DLL values, ...), about one reference
// in a hundred broken, the rest naming files that exist, and prints the time of the
// full registry scan, of a bare walk of the same keys, their ratio, and where the
// scan's time goes. Natively and in the Windows build on the in-memory registry with
// the image's drive C: in a scratch folder; in the Windows build also on the real
// registry (see RealScan.h).
//   brivolex_scan_bench [--keys N] [--rounds N]
// Exits 0 whether or not a scan stays within twice the walk (the figures tell why);
// 1 when a scan could not run or a scratch key or folder could not be removed.
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "bench/common/BenchSupport.h"
#include "bench/scan/BenchFiles.h"
#include "bench/scan/MachineShape.h"
#include "bench/scan/RealScan.h"
#include "bench/scan/ScanMeasure.h"
#include "bench/scan/TimedPlatform.h"
#include "platform/portable/HostPath.h"
#include "platform/portable/InMemoryRegistry.h"
#include "platform/portable/PortableClock.h"
#include "platform/portable/PortableFileSystem.h"
#include "platform/portable/PortableProfile.h"
#include "platform/portable/PortableShellLinks.h"
#include "platform/portable/PortableSystemInfo.h"
#include "platform/portable/ScriptedPrompts.h"
#include "platform/portable/SplitFileSystem.h"

namespace {

// An offline image as the console scans one: the program's files on the host, the
// image's drive C: in a folder of its own, the registry in memory.
struct ImageWorld {
    explicit ImageWorld(const std::string& appFolder) : split(appFolder, hostFiles, imageFiles) {}
    InMemoryRegistry registry;
    PortableFileSystem hostFiles;
    PortableFileSystem imageFiles;
    SplitFileSystem split;
    PortableProfile profile{split};
    PortableClock clock;
    UsEnglishLocale locale;
    PortableSystemInfo system{registry, split};
    ScriptedPrompts prompts;
    PortableShellLinks links{split};
};

bool ScanInMemory(size_t keys, int rounds) {
    std::printf(
        "== in-memory registry, portable file system (the image's drive C: is a scratch folder)\n");
    BenchFolder app("app"), driveC("c");
    if (!CopyLanguageFiles(app.host())) return false;
    ImageWorld world(app.path());
    world.imageFiles.MapDrive('C', driveC.path(), kDriveFixed);

    InMemorySink machine(world.registry, HKLM), user(world.registry, HKCU);
    MachineReferences references("C:");
    auto start = BenchClock::now();
    MachineSize size = GenerateMachine(machine, user, keys, references);
    size_t made = MakeReferencedFiles(references, [&](const std::string& path) {
        std::string relative = path.substr(3);  // after "C:\"
        for (char& c : relative)
            if (c == '\\') c = '/';
        return driveC.host() / hostpath::FromUtf8(relative);
    });
    PrintMachine(size, references, made, Seconds(start));

    Breakdown breakdown;
    TimedRegistry timedRegistry(world.registry, breakdown);
    TimedFileSystem timedFiles(world.split, breakdown);
    TimedProfile timedProfile(world.profile, breakdown);
    Platform plain{world.registry, world.split,  world.profile, world.clock,
                   world.locale,   world.system, world.prompts, world.links};
    Platform timed{timedRegistry, timedFiles,   timedProfile,  world.clock,
                   world.locale,  world.system, world.prompts, world.links};
    ScanFigures figures = MeasureScan(plain, timed, breakdown, app.path(), rounds);
    PrintScanFigures(figures, rounds);
    return figures.prepared;
}

}  // namespace

int main(int argc, char** argv) {
    size_t keys = 200000;
    int rounds = 3;
    for (int i = 1; i + 1 < argc; i += 2) {
        if (std::strcmp(argv[i], "--keys") == 0) keys = std::strtoul(argv[i + 1], nullptr, 10);
        if (std::strcmp(argv[i], "--rounds") == 0) rounds = std::max(1, std::atoi(argv[i + 1]));
    }
    bool ran = ScanInMemory(keys, rounds);
#ifdef BRIVOLEX_BENCH_REAL_REGISTRY
    std::fflush(stdout);
    ran = ScanRealRegistry(keys) && ran;
#endif
    return ran ? 0 : 1;
}
