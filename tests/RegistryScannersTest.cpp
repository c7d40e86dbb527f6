// The registry scanners in the cases the sample machine (SampleMachineTest) does not
// plant: references to files and folders, file extensions, classes, identifiers and
// type libraries.
#include <gtest/gtest.h>

#include <tuple>

#include "scan/ComScanners.h"
#include "scan/ExtensionScanners.h"
#include "scan/ReferenceScanners.h"
#include "tests/ScanSupport.h"

using namespace testing_support;

namespace {

const std::string kCv = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion";
const std::string kUninstall = "Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall";

TEST(ReferenceScanners, UninstallEntriesAreTestedLevelByLevel) {
    ScanWorld w;
    const std::string u = "HKLM\\" + kUninstall;
    w.Put(HKLM, kUninstall + "\\Gone", "UninstallString", "\"C:\\Apps\\Gone\\uninst.exe\" /S");
    w.Put(HKLM, kUninstall + "\\Gone\\Deeper", "UninstallString", "C:\\Apps\\Gone\\deeper.exe");
    w.Put(HKLM, kUninstall + "\\NoString\\Child", "UninstallString", "C:\\Apps\\Child\\gone.exe");
    w.Put(HKLM, kUninstall + "\\Other", "UninstallString", "C:\\Apps\\Other\\gone.exe");
    ScanRegistryForBrokenLinks(w.app, HKLM, kUninstall, true, "UninstallString", 2, 4);
    // The first level is tested before any deeper key; an entry without the value is
    // skipped, its subkeys are not.
    EXPECT_EQ(w.ProblemNames(),
              (Lines{u + "\\Gone", u + "\\Other", u + "\\Gone\\Deeper", u + "\\NoString\\Child"}));
    EXPECT_EQ(w.progress.items.front(), "Scanning registry key " + kUninstall + "\\Gone");
}

TEST(ReferenceScanners, FoldersAndCacheRecordsBeyondTheSample) {
    ScanWorld w;
    const std::string folders = kCv + "\\Installer\\Folders";
    const std::string arp = kCv + "\\App Management\\ARPCache";
    // An existing installer folder without its final "\" is kept too.
    w.CreateFolder("C:\\Kept");
    w.Put(HKLM, folders, "C:\\Kept", "");
    w.Put(HKLM, folders, "C:\\Gone\\", "");
    SR_InstallerFolders(w.app);
    // A cache record's program path is UTF-16: a non-ASCII path is read whole.
    std::string record(552, '\0');
    const std::u16string path = u"C:\\\u041F\\app.exe";
    for (size_t i = 0; i < path.size(); ++i) {
        record[28 + 2 * i] = static_cast<char>(path[i] & 0xFF);
        record[29 + 2 * i] = static_cast<char>(path[i] >> 8);
    }
    w.world.registry.PutValue(HKLM, arp + "\\Unicode", "SlowInfoCache", RegBinary(record));
    w.world.registry.CreateKey(HKLM, arp + "\\NoValue");
    SCANREG_ARPCache(w.app);
    Lines missing;
    for (const ProblemRef& p : w.app.Problems) missing.push_back(p->pCureMissingfile);
    EXPECT_EQ(missing, (Lines{"C:\\Gone\\", "C:\\\xD0\x9F\\app.exe"}));
}

TEST(ReferenceScanners, ALongRunValueEndsTheEnumerationOfItsKey) {
    ScanWorld w;
    const std::string run = kCv + "\\Run";
    w.Put(HKCU, run, "First", "C:\\Gone\\first.exe");
    w.Put(HKCU, run, "Long", "C:\\" + std::string(300, 'x') + ".exe");
    w.Put(HKCU, run, "Third", "C:\\Gone\\third.exe");
    ScanRegistryKeyValuesForBrokenLinks(w.app, HKCU, run, true, 6);
    EXPECT_EQ(w.ProblemNames(), Lines{"HKCU\\" + run + "\\First"});
}

TEST(ReferenceScanners, SlowInfoCachePathDecoding) {
    const std::string h(28, 'h');
    const std::pair<std::string, std::string> cases[] = {
        {"", ""},
        {h, ""},
        {h + std::string("C\0:\0\\\0a\0", 8), "C:\\a"},
        {h + std::string("C\0:\0x", 5), "C:"},             // a single byte left over is dropped
        {h + std::string(" \0C\0:\0\0\0\0\0", 10), "C:"},  // blanks go before trailing zeros
        {h + std::string("C\0:\0\0\0x\0", 8), "C:"},       // what follows a NUL is not the path
    };
    for (const auto& [raw, path] : cases) EXPECT_EQ(ProgramPathFromSlowInfoCache(raw), path);
}

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

const std::string kClassKey = "CLSID\\{11111111-2222-3333-4444-555555555555}\\";

TEST(ComScanners, ServerAndIconSubkeys) {
    struct Case {
        const char* subkey;
        const char* value;  // null: no default value
        const char* sibling;
        int32_t check;  // 0: no problem
        std::string missing;
        int32_t valueType = 1;
    } cases[] = {
        {"LocalServer", "", nullptr, 21, ""},
        {"InprocServer", "C:\\Gone\\old.dll", nullptr, 21, "C:\\Gone\\old.dll"},
        {"DefaultIcon", "", nullptr, 21, ""},
        // InprocServer32 is tested only without other server subkeys.
        {"InprocServer32", "C:\\Gone\\x.dll", "Implemented Categories", 15, "C:\\Gone\\x.dll"},
        {"InprocServer32", "C:\\Gone\\x.dll", "InprocHandler32", 0, ""},
        {"InprocServer32", "C:\\Gone\\x.dll", "PersistentHandler", 0, ""},
        {"InprocServer32", nullptr, nullptr, 15, "", 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.subkey) + " = " + (c.value ? c.value : "nothing") + " beside " +
                     (c.sibling ? c.sibling : "nothing"));
        ScanWorld w;
        if (c.value)
            w.Put(HKCR, kClassKey + c.subkey, "", c.value);
        else
            w.Put(HKCR, kClassKey + c.subkey, "ThreadingModel", "Both");
        if (c.sibling) w.Put(HKCR, kClassKey + c.sibling, "", "C:\\Kept");
        w.CreateFolder("C:\\Kept");
        ScanHKCR_CLSID(w.app);
        const std::string key = kClassKey + c.subkey, name = "HKCR\\" + key;
        EXPECT_EQ(w.ProblemFields(),
                  OneIf(c.check != 0,
                        Fields{0, 0, c.check, name, "registry_" + name + "_",
                               c.missing.empty() ? "Empty registry value " + name
                                                 : "Links to nonexisting file " + c.missing,
                               HKCR, key, "", c.missing, "", 0, c.valueType}));
    }
}

TEST(ComScanners, ProgrammaticIdentifiers) {
    const std::string id = "{99999999-9999-9999-9999-999999999999}";
    // Where the class is registered besides nowhere: the HKLM classes, or only the
    // 32-bit view (a 32-bit control), under either spelling an export may give it.
    const std::tuple<std::string, std::string, bool> cases[] = {
        {"Kept.Thing", "SOFTWARE\\Classes\\CLSID\\", false},
        {"Old.Control", "SOFTWARE\\Classes\\WOW6432Node\\CLSID\\", false},
        {"Old.AddIn", "SOFTWARE\\WOW6432Node\\Classes\\CLSID\\", false},
        {"Not.A.Class", "SOFTWARE\\WOW6432Node\\Classes\\Interface\\", true},
        {"headerfooter.HEADERFOOTER.1", "", false},
        {".gone", "", false},  // an extension is never an identifier
    };
    for (const auto& [progId, classKeyInHklm, reported] : cases) {
        SCOPED_TRACE(progId);
        ScanWorld w;
        w.Put(HKCR, progId + "\\CLSID", "", id);
        if (!classKeyInHklm.empty()) w.world.registry.CreateKey(HKLM, classKeyInHklm + id);
        SR_ActivexHKCR(w.app);
        EXPECT_EQ(w.ProblemFields(),
                  OneIf(reported, Fields{0, 5, 18, "HKCR\\" + progId,
                                         "registry_HKCR\\" + progId + "_HKCR\\" + progId,
                                         "ActiveX/COM problem", HKCR, progId, "", "", "", 0, 0}));
    }
}

TEST(ComScanners, TypeLibraryReferences) {
    const std::string lib = "{77777777-7777-7777-7777-777777777777}";
    const std::string cls = "{11111111-2222-3333-4444-555555555555}";
    const std::tuple<std::string, std::string, std::string, bool> cases[] = {
        {"CLSID", lib, "", true},
        {"Interface", lib, "CLSID", false},
        {"CLSID", lib, "WOW6432Node\\CLSID", false},
        {"CLSID", lib, "WOW6432Node\\Interface", false},
        {"CLSID", "{7777}", "", false},
    };
    for (const auto& [root, reference, registeredAs, reported] : cases) {
        SCOPED_TRACE(root + " -> " + reference + " under " + registeredAs);
        ScanWorld w;
        std::string key = root + "\\" + cls + "\\TypeLib";
        w.Put(HKCR, key, "", reference);
        if (!registeredAs.empty()) w.world.registry.CreateKey(HKCR, registeredAs + "\\" + lib);
        SCANREG_TypeLib(w.app, root);
        EXPECT_EQ(w.ProblemFields(),
                  OneIf(reported,
                        Fields{0, 5, 19, "HKCR\\" + key, "registry_HKCR\\" + key + "_HKCR\\" + key,
                               "Missing type library " + lib, HKCR, key, "", "", "", 0, 0}));
    }
}

// Beside the sample's unbraced and trimmed references: characters, not bytes.
TEST(ComScanners, IsGuidChecksBracesAndHyphensOnlyAndTrimsInPlace) {
    const std::tuple<std::string, bool, std::string> cases[] = {
        {"  {ZZZZZZZZ-ZZZZ-ZZZZ-ZZZZ-ZZZZZZZZZZZZ}  ", true, "{ZZZZZZZZ-ZZZZ-ZZZZ-ZZZZ-ZZZZZZZZZZZZ}"},
        {"{1234567\u00e9-1234-1234-1234-12345678901\u4e2d}", true,
         "{1234567\u00e9-1234-1234-1234-12345678901\u4e2d}"},
        {"{1234567\u00e9\u00e9-1234-1234-1234-12345678901}", false,
         "{1234567\u00e9\u00e9-1234-1234-1234-12345678901}"},
        {"{12345678_1234-1234-1234-123456789012}", false, "{12345678_1234-1234-1234-123456789012}"},
    };
    for (auto [given, isGuid, trimmed] : cases) {
        EXPECT_EQ(IsGUID(given), isGuid) << trimmed;
        EXPECT_EQ(given, trimmed);
    }
}

}  // namespace
