// Scans a machine of about 200,000 registry keys (HKEY_CLASSES_ROOT shaped as a real
// one, uninstall entries, Run, font and shared-DLL values, ...), about one reference
// in a hundred broken, the rest naming files that exist, and prints the time of the
// full registry scan, of a bare walk of the same keys, their ratio, and where the
// scan's time goes. Natively and in the Windows build on the in-memory registry with
// the image's drive C: in a scratch folder; in the Windows build also on the real
// registry (see RealScan.h).
// With --windows11 it also scans a Windows-11-sized image (about 700,000 keys and 1.2
// million values, generated the same on every run) and prints its targets: the scan
// within 1.5 times its platform calls and under 3 s, its peak memory within 1.5 times
// the loaded image's, the .reg importer at 100 MB/s or more, and loading and scanning
// the image's export as brivolex-cli does within 5 s. --image-dir DIR leaves that
// export (HKLM.reg, HKCU.reg) and its drive C: in DIR, for brivolex-cli itself.
//   brivolex_scan_bench [--keys N] [--rounds N] [--windows11] [--image-dir DIR]
// Exits 0 whether or not a scan stays within twice the walk (the figures tell why);
// 1 when a scan could not run or a scratch key or folder could not be removed.
#include <algorithm>
#include <iterator>
#include <memory>
#include <vector>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>

#include "bench/common/BenchSupport.h"
#include "bench/scan/BenchFiles.h"
#include "bench/scan/ImageWorld.h"
#include "bench/scan/MachineShape.h"
#include "bench/scan/Memory.h"
#include "bench/scan/RealScan.h"
#include "bench/scan/ScanMeasure.h"
#include "bench/scan/TimedPlatform.h"
#include "platform/portable/HostPath.h"
#include "platform/portable/InMemoryRegistry.h"
#include "platform/portable/RegFile.h"

namespace {

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
    Platform& plain = world.platform;
    Platform timed{timedRegistry, timedFiles,   timedProfile,  world.clock,
                   world.locale,  world.system, world.prompts, world.links};
    ScanFigures figures = MeasureScan(plain, timed, breakdown, app.path(), rounds);
    PrintScanFigures(figures, rounds);
    return figures.prepared;
}

const char* Verdict(bool met) { return met ? "met" : "MISSED"; }

double Megabytes(size_t bytes) { return static_cast<double>(bytes) / (1024.0 * 1024.0); }

bool WriteHostFile(const std::filesystem::path& file, const std::string& bytes) {
    std::ofstream out(file, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    return static_cast<bool>(out);
}

// Loads the exports into a fresh image world and scans it, as brivolex-cli scan
// --registry does; the seconds of the load and of the scan.
bool LoadAndScan(const std::vector<std::string>& exports, const std::string& driveC,
                 double& loadSeconds, double& scanSeconds) {
    BenchFolder app("cli");
    if (!CopyLanguageFiles(app.host())) return false;
    ImageWorld world(app.path());
    world.imageFiles.MapDrive('C', driveC, kDriveFixed);
    auto start = BenchClock::now();
    for (const std::string& file : exports) {
        std::string error;
        if (!LoadRegFile(world.registry, world.hostFiles, file, error)) {
            std::printf("%s\n", error.c_str());
            return false;
        }
    }
    loadSeconds = Seconds(start);
    Platform& plain = world.platform;
    scanSeconds = ScanOnce(plain, app.path());
    return scanSeconds >= 0;
}

bool ScanWindows11(int rounds, const std::string& imageDir) {
    std::printf("== a Windows 11 machine: in-memory registry, portable file system\n");
    const size_t startBytes = ResidentBytes();
    BenchFolder app("app11"), scratchC("c11");
    if (!CopyLanguageFiles(app.host())) return false;
    std::string drivePath = scratchC.path();
    std::filesystem::path driveHost = scratchC.host();
    if (!imageDir.empty()) {
        std::filesystem::remove_all(imageDir);
        std::filesystem::create_directories(std::filesystem::path(imageDir) / "C");
        driveHost = std::filesystem::absolute(std::filesystem::path(imageDir) / "C");
        drivePath = driveHost.string();
    }
    auto world = std::make_unique<ImageWorld>(app.path());
    world->imageFiles.MapDrive('C', drivePath, kDriveFixed);

    InMemorySink machine(world->registry, HKLM), user(world->registry, HKCU);
    MachineReferences references("C:");
    auto start = BenchClock::now();
    MachineSize size = GenerateMachine(machine, user, Windows11MachineMix(), references);
    const size_t imageBytes = ResidentBytes() - startBytes;
    size_t made = MakeReferencedFiles(references, [&](const std::string& path) {
        std::string relative = path.substr(3);  // after "C:\"
        for (char& c : relative)
            if (c == '\\') c = '/';
        return driveHost / hostpath::FromUtf8(relative);
    });
    PrintMachine(size, references, made, Seconds(start));
    std::printf("  %s keys holding settings no scan reads\n",
                Grouped(static_cast<double>(size.settingKeys)).c_str());

    Breakdown breakdown;
    TimedRegistry timedRegistry(world->registry, breakdown);
    TimedFileSystem timedFiles(world->split, breakdown);
    TimedProfile timedProfile(world->profile, breakdown);
    Platform& plain = world->platform;
    Platform timed{timedRegistry, timedFiles,    timedProfile,   world->clock,
                   world->locale, world->system, world->prompts, world->links};
    const bool peakKnown = ResetPeakResident();
    ScanFigures figures = MeasureScan(plain, timed, breakdown, app.path(), rounds);
    const size_t peakBytes = PeakResidentBytes() - startBytes;
    PrintScanFigures(figures, rounds);
    if (!figures.prepared) return false;

    const double platform = PlatformCallSeconds(figures);
    const double ratio = platform > 0 ? figures.scanSeconds / platform : 0;
    std::printf("targets of the Windows 11 machine:\n");
    std::printf("  scan / its platform calls: %.3f s / %.3f s = %.2f (target: at most 1.5): %s\n",
                figures.scanSeconds, platform, ratio, Verdict(ratio <= 1.5));
    std::printf("  scan: %.3f s (target: under 3 s): %s\n", figures.scanSeconds,
                Verdict(figures.scanSeconds < 3));
    if (peakKnown && imageBytes > 0) {
        double memory = static_cast<double>(peakBytes) / static_cast<double>(imageBytes);
        std::printf(
            "  peak memory while scanning / the loaded image: %.0f MB / %.0f MB = %.2f "
            "(target: at most 1.5): %s\n",
            Megabytes(peakBytes), Megabytes(imageBytes), memory, Verdict(memory <= 1.5));
    }

    // The image as registry exports, read back by the importer and by a whole offline job.
    const std::filesystem::path exportFolder =
        imageDir.empty() ? app.host() : std::filesystem::path(imageDir);
    std::vector<std::string> exports;
    size_t exportBytes = 0;
    for (RegKey hive : {HKLM, HKCU}) {
        std::string bytes = ExportRegFile(world->registry, hive, "");
        std::filesystem::path file =
            std::filesystem::absolute(exportFolder / (hive == HKLM ? "HKLM.reg" : "HKCU.reg"));
        if (!WriteHostFile(file, bytes)) return false;
        exports.push_back(file.string());
        exportBytes += bytes.size();
    }
    world.reset();  // the registry of the generator is not needed any more

    {
        InMemoryRegistry loaded;
        std::vector<std::string> contents;
        for (const std::string& file : exports) {
            std::ifstream in(file, std::ios::binary);
            contents.emplace_back(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
        }
        auto importStart = BenchClock::now();
        for (const std::string& bytes : contents) {
            std::string error;
            if (!ImportRegFile(loaded, bytes, error)) {
                std::printf("import failed: %s\n", error.c_str());
                return false;
            }
        }
        double seconds = Seconds(importStart);
        double rate = Megabytes(exportBytes) / seconds;
        std::printf("  .reg import of its export (%.0f MB, UTF-16): %.3f s, %.0f MB/s "
                    "(target: at least 100 MB/s): %s\n",
                    Megabytes(exportBytes), seconds, rate, Verdict(rate >= 100));
    }
    double loadSeconds = 0, scanSeconds = 0;
    if (!LoadAndScan(exports, drivePath, loadSeconds, scanSeconds)) return false;
    const double job = loadSeconds + scanSeconds;
    std::printf("  offline job as brivolex-cli scan --registry: load %.3f s + scan %.3f s = %.3f s "
                "(target: at most 5 s): %s\n",
                loadSeconds, scanSeconds, job, Verdict(job <= 5));
    return true;
}

}  // namespace

int main(int argc, char** argv) {
    size_t keys = 200000;
    int rounds = 3;
    bool windows11 = false;
    std::string imageDir;
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--windows11") == 0) {
            windows11 = true;
            continue;
        }
        if (i + 1 >= argc) break;
        if (std::strcmp(argv[i], "--keys") == 0) keys = std::strtoul(argv[i + 1], nullptr, 10);
        if (std::strcmp(argv[i], "--rounds") == 0) rounds = std::max(1, std::atoi(argv[i + 1]));
        if (std::strcmp(argv[i], "--image-dir") == 0) imageDir = argv[i + 1];
        ++i;
    }
    bool ran = ScanInMemory(keys, rounds);
    if (windows11) {
        std::fflush(stdout);
        ran = ScanWindows11(rounds, imageDir) && ran;
    }
#ifdef BRIVOLEX_BENCH_REAL_REGISTRY
    std::fflush(stdout);
    ran = ScanRealRegistry(keys) && ran;
#endif
    return ran ? 0 : 1;
}
