#include <gtest/gtest.h>

#include "scan/ExtensionScanners.h"
#include "tests/ScanSupport.h"

using testing_support::Fields;
using testing_support::FieldsOf;
using testing_support::ScanWorld;

namespace {

const std::string kFileExts = "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\FileExts";

// An extension problem of the given hive (HKCU: the per-user record of kFileExts).
Fields UnusedExtension(RegKey hive, const std::string& ext) {
    std::string key = hive == HKCU ? kFileExts + "\\" + ext : ext;
    std::string name = HiveName(static_cast<int32_t>(hive)) + "\\" + key;
    return {0,
            4,
            17,
            name,
            "registry_" + name + "_" + name,
            "Unused file extension " + ext,
            hive,
            key,
            "",
            "",
            "",
            0,
            0};
}

TEST(ExtensionScanners, PerUserRecords) {
    using W = ScanWorld&;
    struct Case {
        const char* name;
        std::string extension;
        std::function<void(W)> plant;
        bool reported;
    } cases[] = {
        {"only an OpenWithList naming a missing application", ".abc", [](W) {}, true},
        {"another subkey counts as use", ".abc",
         [](W w) { w.Put(HKCU, kFileExts + "\\.abc\\UserChoice", "Progid", "x"); }, false},
        {"HKCR knows the extension", ".abc", [](W w) { w.world.registry.CreateKey(HKCR, ".abc"); },
         false},
        {"the application is registered under HKCR", ".abc",
         [](W w) { w.world.registry.CreateKey(HKCR, "Applications\\oldapp.exe"); }, false},
        {"the application is registered in the machine's classes", ".abc",
         [](W w) {
             w.world.registry.CreateKey(HKLM, "SOFTWARE\\Classes\\Applications\\oldapp.exe");
         },
         false},
        {"a name without a leading dot is never reported", "abc", [](W) {}, false},
        {"a registered programmatic identifier counts", ".abc",
         [](W w) {
             w.Put(HKCU, kFileExts + "\\.abc\\OpenWithProgids", "abcfile", "");
             w.world.registry.CreateKey(HKCR, "abcfile");
         },
         false},
        {"a programmatic identifier registered nowhere does not", ".abc",
         [](W w) { w.Put(HKCU, kFileExts + "\\.abc\\OpenWithProgids", "abcfile", ""); }, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ScanWorld w;
        w.Put(HKCU, kFileExts + "\\" + c.extension + "\\OpenWithList", "a", "oldapp.exe");
        w.Put(HKCU, kFileExts + "\\" + c.extension + "\\OpenWithList", "MRUList", "a");
        c.plant(w);
        SR_FileExts(w.app);
        EXPECT_EQ(w.ProblemFields(), OneIf(c.reported, UnusedExtension(HKCU, ".abc")));
        EXPECT_EQ(w.progress.items, std::vector<std::string>{"Scanning registry key HKCU\\" +
                                                             kFileExts + "\\" + c.extension});
    }
}

TEST(ExtensionScanners, ClassesRootRegistrations) {
    using W = ScanWorld&;
    struct Case {
        const char* name;
        std::function<void(W)> plant;
        bool reported;
    } cases[] = {
        {"nothing at all", [](W w) { w.world.registry.CreateKey(HKCR, ".xyz"); }, true},
        {"a missing class", [](W w) { w.Put(HKCR, ".xyz", "", "xyzfile"); }, true},
        {"a class of the machine's classes",
         [](W w) {
             w.Put(HKCR, ".xyz", "", "xyzfile");
             w.world.registry.CreateKey(HKLM, "SOFTWARE\\Classes\\xyzfile");
         },
         false},
        {"an empty content type is no sign of use",
         [](W w) {
             w.Put(HKCR, ".xyz", "", "xyzfile");
             w.Put(HKCR, ".xyz", "Content Type", "");
         },
         true},
        {"a content type", [](W w) { w.Put(HKCR, ".xyz", "Content Type", "text/x-xyz"); }, false},
        {"a perceived type", [](W w) { w.Put(HKCR, ".xyz", "PerceivedType", "text"); }, false},
        {"NoOpen, even empty",
         [](W w) {
             w.Put(HKCR, ".xyz", "", "xyzfile");
             w.Put(HKCR, ".xyz", "NoOpen", "");
         },
         false},
        {"any subkey",
         [](W w) {
             w.Put(HKCR, ".xyz", "", "xyzfile");
             w.world.registry.CreateKey(HKCR, ".xyz\\ShellNew");
         },
         false},
        {"a persistent handler whose class is gone still is a subkey",
         [](W w) { w.Put(HKCR, ".xyz\\PersistentHandler", "", "{99999999-0000-0000-0000-0000}"); },
         false},
        {"any other named value",
         [](W w) {
             w.Put(HKCR, ".xyz", "", "xyzfile");
             w.Put(HKCR, ".xyz", "Something", "1");
         },
         false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ScanWorld w;
        c.plant(w);
        w.Put(HKCR, "xyzfile.not.an.extension", "", "");
        SR_FileExtsHKCR(w.app);
        EXPECT_EQ(w.ProblemFields(), OneIf(c.reported, UnusedExtension(HKCR, ".xyz")));
        EXPECT_EQ(w.progress.items, std::vector<std::string>{"Scanning registry key HKCR\\.xyz"});
    }
}

}  // namespace
