// Hive files against .reg exports of the same keys, as brivolex-cli reads them
// (scan --windows against scan --registry), each load timed from reading the file:
// - a SYSTEM-shaped hive of about 30,000 keys (ControlSet001's services, devices and
//   driver classes), loaded with LoadHiveFile and with the .reg importer;
// - a UsrClass.dat-shaped hive of about 6,000 keys (classes with their servers, type
//   libraries, identifiers, extensions; 1 % of the files they name missing, the rest
//   laid out on a scratch drive C:), mounted as HKCU\Software\Classes, loaded and
//   scanned with the whole scan sequence, against its export loaded and scanned.
// Both are generated here with hivex, the same on every run, and each load is checked
// to hold exactly the generated keys. Prints the best of the rounds of each and the
// ratio with its target: the hive no slower than the .reg.
//   brivolex_hive_bench [--system-keys N] [--classes-keys N] [--rounds N]
// Exits 0 whether or not a target is met (the figures tell); 1 when a file could not be
// made, a load failed or the loads disagree.
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <memory>

#include "bench/common/BenchSupport.h"
#include "bench/offline/HiveCells.h"
#include "platform/portable/HiveFileWrite.h"
#include "bench/offline/RegistryDump.h"
#include "bench/offline/SystemShape.h"
#include "bench/scan/BenchFiles.h"
#include "bench/scan/ImageWorld.h"
#include "bench/scan/MachineShape.h"
#include "bench/scan/ScanMeasure.h"
#include "platform/portable/HiveFile.h"
#include "platform/portable/HostPath.h"
#include "platform/portable/PortableFileSystem.h"
#include "platform/portable/RegFile.h"

namespace fs = std::filesystem;

namespace {

constexpr uint64_t kSeed = 0x5EED0001;

const char* Verdict(bool met) { return met ? "met" : "MISSED"; }

double Megabytes(uintmax_t bytes) { return static_cast<double>(bytes) / (1024.0 * 1024.0); }

bool WriteHostFile(const fs::path& file, const std::string& bytes) {
    std::ofstream out(file, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    return static_cast<bool>(out);
}

// The two files of one image: the hive and the export of the same keys.
struct ImageFiles {
    RegKey hive;
    std::string below;
    std::string hiveFile, regFile;
};

bool MakeFiles(InMemoryRegistry& source, const ImageFiles& files) {
    std::string error;
    if (!WriteHiveFile(source, files.hive, files.below, hostpath::FromUtf8(files.hiveFile), error)) {
        std::printf("the hive could not be written: %s\n", error.c_str());
        return false;
    }
    if (!WriteHostFile(hostpath::FromUtf8(files.regFile),
                       ExportRegFile(source, files.hive, files.below))) {
        std::printf("%s could not be written\n", files.regFile.c_str());
        return false;
    }
    HiveSpace space;
    if (!MeasureHiveSpace(files.hiveFile, space)) {
        std::printf("%s is not laid out as a hive\n", files.hiveFile.c_str());
        return false;
    }
    std::printf("  hive file %.1f MB (%.1f MB of cells in use; hivex leaves the subkey lists a "
                "key outgrew free), .reg export %.1f MB (UTF-16)\n",
                Megabytes(space.fileBytes), Megabytes(space.usedBytes),
                Megabytes(fs::file_size(hostpath::FromUtf8(files.regFile))));
    return true;
}

// Loads one of the files into `registry`; the seconds it took, negative on failure.
double Load(InMemoryRegistry& registry, const ImageFiles& files, bool fromHive) {
    std::string error;
    PortableFileSystem host;
    auto start = BenchClock::now();
    bool loaded = fromHive
                      ? LoadHiveFile(registry, files.hive, files.below, files.hiveFile, error)
                      : LoadRegFile(registry, host, files.regFile, error);
    double seconds = Seconds(start);
    if (!loaded) {
        std::printf("load failed: %s\n", error.c_str());
        return -1;
    }
    return seconds;
}

// Whether both files load exactly the keys and values of `source`.
bool LoadsAgree(InMemoryRegistry& source, const ImageFiles& files) {
    const std::vector<std::string> expected = DumpRegistry(source, files.hive, files.below);
    for (bool fromHive : {true, false}) {
        InMemoryRegistry loaded;
        if (Load(loaded, files, fromHive) < 0) return false;
        if (DumpRegistry(loaded, files.hive, files.below) != expected) {
            std::printf("the %s does not load what was generated\n",
                        fromHive ? "hive" : ".reg export");
            return false;
        }
    }
    std::printf("  both load exactly the generated keys and values (%s lines compared)\n",
                Grouped(static_cast<double>(expected.size())).c_str());
    return true;
}

void PrintRatio(const char* what, double hive, double reg, const char* target) {
    const double ratio = reg > 0 ? hive / reg : 0;
    std::printf("%s hive / .reg: %.1f ms / %.1f ms = %.2f (target: %s): %s\n", what, hive * 1e3,
                reg * 1e3, ratio, target, Verdict(hive <= reg));
}

bool SystemHive(const BenchFolder& scratch, size_t keys, int rounds) {
    std::printf("== a SYSTEM-shaped hive against its .reg export\n");
    ImageFiles files{HKLM, "SYSTEM", scratch.path() + "/SYSTEM", scratch.path() + "/SYSTEM.reg"};
    {
        InMemoryRegistry source;
        auto start = BenchClock::now();
        SystemSize size = GenerateSystem(source, keys, kSeed);
        std::printf("SYSTEM: %s keys, %s values (%s services, %s devices, %s driver instances), "
                    "%.1f MB of value data\n",
                    Grouped(static_cast<double>(size.keys)).c_str(),
                    Grouped(static_cast<double>(size.values)).c_str(),
                    Grouped(static_cast<double>(size.services)).c_str(),
                    Grouped(static_cast<double>(size.devices)).c_str(),
                    Grouped(static_cast<double>(size.driverInstances)).c_str(),
                    Megabytes(size.valueBytes));
        if (!MakeFiles(source, files) || !LoadsAgree(source, files)) return false;
        std::printf("  generated and written in %.1f s\n", Seconds(start));
    }
    double best[2] = {0, 0};
    for (int round = 0; round < rounds; ++round) {
        for (int which = 0; which < 2; ++which) {
            auto registry = std::make_unique<InMemoryRegistry>();
            double seconds = Load(*registry, files, which == 0);
            if (seconds < 0) return false;
            if (round == 0 || seconds < best[which]) best[which] = seconds;
        }
    }
    std::printf("load of the hive (LoadHiveFile): %.1f ms (best of %d)\n", best[0] * 1e3, rounds);
    std::printf("load of the .reg export (LoadRegFile): %.1f ms (best of %d)\n", best[1] * 1e3,
                rounds);
    PrintRatio("load,", best[0], best[1], "the hive loads no slower than the .reg");
    return true;
}

struct ScanRound {
    double load = 0, scan = 0;
    size_t problems = 0;
};

// One offline job on a fresh world: the file loaded, then the whole scan sequence.
bool LoadAndScan(const ImageFiles& files, bool fromHive, const std::string& driveC,
                 ScanRound& round) {
    BenchFolder app("hiveapp");
    if (!CopyLanguageFiles(app.host())) return false;
    ImageWorld world(app.path());
    world.imageFiles.MapDrive('C', driveC, kDriveFixed);
    round.load = Load(world.registry, files, fromHive);
    if (round.load < 0) return false;
    round.scan = ScanOnce(world.platform, app.path(), &round.problems);
    return round.scan >= 0;
}

bool ClassesHive(const BenchFolder& scratch, size_t keys, int rounds) {
    std::printf("== a UsrClass.dat-shaped hive against its .reg export, loaded and scanned\n");
    BenchFolder driveC("hivec");
    ImageFiles files{HKCU, "Software\\Classes", scratch.path() + "/UsrClass.dat",
                     scratch.path() + "/UsrClass.reg"};
    {
        InMemoryRegistry source;
        auto start = BenchClock::now();
        source.CreateKey(HKCU, files.below);
        InMemorySink sink(source, HKCU);
        MachineReferences references("C:");
        GeneratedSize size = GenerateClasses(sink, files.below, keys, &references);
        size_t made = MakeReferencedFiles(references, [&](const std::string& path) {
            std::string relative = path.substr(3);  // after "C:\"
            std::replace(relative.begin(), relative.end(), '\\', '/');
            return driveC.host() / hostpath::FromUtf8(relative);
        });
        std::printf("HKCU\\Software\\Classes: %s keys, %s values; %s file references, %s of them "
                    "broken, %s files and folders made on drive C:\n",
                    Grouped(static_cast<double>(size.keys)).c_str(),
                    Grouped(static_cast<double>(size.values)).c_str(),
                    Grouped(static_cast<double>(references.References())).c_str(),
                    Grouped(static_cast<double>(references.Broken())).c_str(),
                    Grouped(static_cast<double>(made)).c_str());
        if (!MakeFiles(source, files) || !LoadsAgree(source, files)) return false;
        std::printf("  generated and written in %.1f s\n", Seconds(start));
    }
    ScanRound best[2];
    double bestTotal[2] = {0, 0};
    for (int round = 0; round < rounds; ++round) {
        for (int which = 0; which < 2; ++which) {
            ScanRound r;
            if (!LoadAndScan(files, which == 0, driveC.path(), r)) return false;
            if (round == 0 || r.load + r.scan < bestTotal[which]) {
                best[which] = r;
                bestTotal[which] = r.load + r.scan;
            }
        }
    }
    for (int which = 0; which < 2; ++which)
        std::printf("%s: load %.1f ms + scan %.1f ms = %.1f ms (best of %d), %s problems\n",
                    which == 0 ? "the hive" : "the .reg export", best[which].load * 1e3,
                    best[which].scan * 1e3, bestTotal[which] * 1e3, rounds,
                    Grouped(static_cast<double>(best[which].problems)).c_str());
    if (best[0].problems != best[1].problems) {
        std::printf("the two scans found different problems\n");
        return false;
    }
    PrintRatio("load and scan,", bestTotal[0], bestTotal[1],
               "the hive loads and scans no slower than the .reg");
    return true;
}

}  // namespace

int main(int argc, char** argv) {
    size_t systemKeys = 30000, classesKeys = 6000;
    int rounds = 9;
    for (int i = 1; i + 1 < argc; i += 2) {
        if (std::strcmp(argv[i], "--system-keys") == 0)
            systemKeys = std::strtoul(argv[i + 1], nullptr, 10);
        if (std::strcmp(argv[i], "--classes-keys") == 0)
            classesKeys = std::strtoul(argv[i + 1], nullptr, 10);
        if (std::strcmp(argv[i], "--rounds") == 0) rounds = std::max(1, std::atoi(argv[i + 1]));
    }
    BenchFolder scratch("hive");
    bool ran = SystemHive(scratch, systemKeys, rounds);
    std::fflush(stdout);
    ran = ClassesHive(scratch, classesKeys, rounds) && ran;
    return ran ? 0 : 1;
}
