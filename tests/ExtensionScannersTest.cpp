#include <gtest/gtest.h>

#include "problems/clsItem.h"
#include "scan/ExtensionScanners.h"
#include "tests/ScanSupport.h"

using testing_support::ScanWorld;

namespace {

const std::string kFileExts = "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\FileExts";

TEST(ExtensionScanners, PerUserRecords) {
    struct Case {
        const char* name;
        std::string extension;
        std::function<void(ScanWorld&)> plant;
        bool reported;
    } cases[] = {
        {"only an OpenWithList naming a missing application", ".abc", [](ScanWorld&) {}, true},
        {"another subkey counts as use", ".abc",
         [](ScanWorld& w) { w.Put(HKCU, kFileExts + "\\.abc\\UserChoice", "Progid", "x"); }, false},
        {"HKCR knows the extension", ".abc",
         [](ScanWorld& w) { w.world.registry.CreateKey(HKCR, ".abc"); }, false},
        {"the application is registered under HKCR", ".abc",
         [](ScanWorld& w) { w.world.registry.CreateKey(HKCR, "Applications\\oldapp.exe"); }, false},
        {"the application is registered in the machine's classes", ".abc",
         [](ScanWorld& w) {
             w.world.registry.CreateKey(HKLM, "SOFTWARE\\Classes\\Applications\\oldapp.exe");
         },
         false},
        {"a name without a leading dot is never reported", "abc", [](ScanWorld&) {}, false},
        {"a registered programmatic identifier counts", ".abc",
         [](ScanWorld& w) {
             w.world.registry.PutValue(HKCU, kFileExts + "\\.abc\\OpenWithProgids", "abcfile",
                                       RegBinary("", REG_NONE_));
             w.world.registry.CreateKey(HKCR, "abcfile");
         },
         false},
        {"a programmatic identifier registered nowhere does not", ".abc",
         [](ScanWorld& w) {
             w.world.registry.PutValue(HKCU, kFileExts + "\\.abc\\OpenWithProgids", "abcfile",
                                       RegBinary("", REG_NONE_));
         },
         true},
    };
    for (const Case& c : cases) {
        ScanWorld w;
        w.Put(HKCU, kFileExts + "\\" + c.extension + "\\OpenWithList", "a", "oldapp.exe");
        w.Put(HKCU, kFileExts + "\\" + c.extension + "\\OpenWithList", "MRUList", "a");
        c.plant(w);
        SR_FileExts(w.app);
        ASSERT_EQ(w.app.Problems.Count(), c.reported ? 1 : 0) << c.name;
        if (!c.reported) continue;
        const clsItem& p = *w.app.Problems.Item(1);
        EXPECT_EQ(p.pName(), "HKCU\\" + kFileExts + "\\" + c.extension);
        EXPECT_EQ(p.UID(), "registry_HKCU\\" + kFileExts + "\\.abc_HKCU\\" + kFileExts + "\\.abc");
        EXPECT_EQ(p.pDescription, "Unused file extension .abc");
        EXPECT_EQ(p.pSTATUS, 4);
        EXPECT_EQ(p.pInternalType, 17);
        EXPECT_EQ(p.pCureKeyRoot, static_cast<int32_t>(HKCU));
        EXPECT_EQ(p.pCureKeyName, kFileExts + "\\.abc");
        EXPECT_EQ(p.pCureValueType, 0);
    }
}

TEST(ExtensionScanners, ClassesRootRegistrations) {
    struct Case {
        const char* name;
        std::function<void(ScanWorld&)> plant;
        bool reported;
    } cases[] = {
        {"nothing at all", [](ScanWorld& w) { w.world.registry.CreateKey(HKCR, ".xyz"); }, true},
        {"a missing class", [](ScanWorld& w) { w.Put(HKCR, ".xyz", "", "xyzfile"); }, true},
        {"a class of the machine's classes",
         [](ScanWorld& w) {
             w.Put(HKCR, ".xyz", "", "xyzfile");
             w.world.registry.CreateKey(HKLM, "SOFTWARE\\Classes\\xyzfile");
         },
         false},
        {"an empty content type is no sign of use",
         [](ScanWorld& w) {
             w.Put(HKCR, ".xyz", "", "xyzfile");
             w.Put(HKCR, ".xyz", "Content Type", "");
         },
         true},
        {"a content type",
         [](ScanWorld& w) { w.Put(HKCR, ".xyz", "Content Type", "text/x-xyz"); }, false},
        {"a perceived type", [](ScanWorld& w) { w.Put(HKCR, ".xyz", "PerceivedType", "text"); }, false},
        {"NoOpen, even empty",
         [](ScanWorld& w) {
             w.Put(HKCR, ".xyz", "", "xyzfile");
             w.Put(HKCR, ".xyz", "NoOpen", "");
         },
         false},
        {"any subkey",
         [](ScanWorld& w) {
             w.Put(HKCR, ".xyz", "", "xyzfile");
             w.world.registry.CreateKey(HKCR, ".xyz\\ShellNew");
         },
         false},
        {"a persistent handler whose class is gone still is a subkey",
         [](ScanWorld& w) {
             w.Put(HKCR, ".xyz\\PersistentHandler", "", "{99999999-0000-0000-0000-000000000000}");
         },
         false},
        {"any other named value",
         [](ScanWorld& w) {
             w.Put(HKCR, ".xyz", "", "xyzfile");
             w.Put(HKCR, ".xyz", "Something", "1");
         },
         false},
    };
    for (const Case& c : cases) {
        ScanWorld w;
        c.plant(w);
        SR_FileExtsHKCR(w.app);
        ASSERT_EQ(w.app.Problems.Count(), c.reported ? 1 : 0) << c.name;
        if (!c.reported) continue;
        const clsItem& p = *w.app.Problems.Item(1);
        EXPECT_EQ(p.pName(), "HKCR\\.xyz");
        EXPECT_EQ(p.pCureKeyName, ".xyz");
        EXPECT_EQ(p.pCureKeyRoot, static_cast<int32_t>(HKCR));
        EXPECT_EQ(w.progress.items, std::vector<std::string>{"Scanning registry key HKCR\\.xyz"});
    }
}

TEST(ExtensionScanners, CancelStopsBeforeTheNextSubkeyAndClosesTheRoot) {
    ScanWorld w;
    for (const char* ext : {".aa1", ".aa2", ".aa3"}) w.world.registry.CreateKey(HKCR, ext);
    w.progress.cancelWhen = [](const std::string& item) { return item.find(".aa2") != std::string::npos; };
    SR_FileExtsHKCR(w.app);
    EXPECT_EQ(w.app.Problems.Count(), 2);
    EXPECT_EQ(w.progress.items.size(), 2u);
    EXPECT_EQ(w.world.registry.OpenHandleCount(), 0u);
}

}  // namespace
