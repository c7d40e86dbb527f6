#include <gtest/gtest.h>

#include "scan/ExtensionScanners.h"
#include "tests/ScanSupport.h"

// Cases beyond the extensions of the sample machine (SampleMachineTest).

using testing_support::Fields;
using testing_support::PutAll;
using testing_support::RegEntry;
using testing_support::ScanWorld;

namespace {

const std::string kFileExts = "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\FileExts";

// An extension problem of the given hive (HKCU: the per-user record of kFileExts).
Fields UnusedExtension(RegKey hive, const std::string& ext) {
    std::string key = hive == HKCU ? kFileExts + "\\" + ext : ext;
    std::string name = HiveName(static_cast<int32_t>(hive)) + "\\" + key;
    return {0, 4, 17, name, "registry_" + name + "_" + name, "Unused file extension " + ext, hive,
            key, "", "", "", 0, 0};
}

TEST(ExtensionScanners, PerUserRecords) {
    // The per-user record names only an application; where else it may be known.
    const std::pair<const char*, std::vector<RegEntry>> cases[] = {
        {"only an OpenWithList naming a missing application", {}},
        {"HKCR knows the extension", {{HKCR, ".abc", "", "abcfile"}}},
        {"the application is registered under HKCR", {{HKCR, "Applications\\oldapp.exe", "", ""}}},
        {"the application is registered in the machine's classes",
         {{HKLM, "SOFTWARE\\Classes\\Applications\\oldapp.exe", "", ""}}},
    };
    for (const auto& [name, plant] : cases) {
        SCOPED_TRACE(name);
        ScanWorld w;
        w.Put(HKCU, kFileExts + "\\.abc\\OpenWithList", "a", "oldapp.exe");
        w.Put(HKCU, kFileExts + "\\.abc\\OpenWithList", "MRUList", "a");
        PutAll(w.world.registry, plant);
        SR_FileExts(w.app);
        EXPECT_EQ(w.ProblemFields(), OneIf(plant.empty(), UnusedExtension(HKCU, ".abc")));
        EXPECT_EQ(w.progress.items,
                  std::vector<std::string>{"Scanning registry key HKCU\\" + kFileExts + "\\.abc"});
    }
}

TEST(ExtensionScanners, ClassesRootRegistrations) {
    // Beside a class that is gone, each of these is a sign of use.
    const std::pair<const char*, std::vector<RegEntry>> cases[] = {
        {"nothing else", {}},
        {"a class of the machine's classes", {{HKLM, "SOFTWARE\\Classes\\xyzfile", "", ""}}},
        {"a perceived type", {{HKCR, ".xyz", "PerceivedType", "text"}}},
        {"any other named value", {{HKCR, ".xyz", "Something", "1"}}},
    };
    for (const auto& [name, plant] : cases) {
        SCOPED_TRACE(name);
        ScanWorld w;
        w.Put(HKCR, ".xyz", "", "xyzfile");
        w.Put(HKCR, "xyzfile.not.an.extension", "", "");
        PutAll(w.world.registry, plant);
        SR_FileExtsHKCR(w.app);
        EXPECT_EQ(w.ProblemFields(), OneIf(plant.empty(), UnusedExtension(HKCR, ".xyz")));
        EXPECT_EQ(w.progress.items, std::vector<std::string>{"Scanning registry key HKCR\\.xyz"});
    }
}

}  // namespace
