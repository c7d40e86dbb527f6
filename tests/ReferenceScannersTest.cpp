#include <gtest/gtest.h>

#include "problems/clsItem.h"
#include "scan/ReferenceScanners.h"
#include "tests/ScanSupport.h"

using testing_support::ScanWorld;

namespace {

const char kUninstall[] = "Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall";
const char kRun[] = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Run";
const char kSharedDlls[] = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\SharedDLLs";

TEST(ReferenceScanners, UninstallEntriesAreTestedAtEveryDepth) {
    ScanWorld w;
    w.CreateFileOnC("C:\\Apps\\Kept\\uninst.exe");
    std::string u = kUninstall;
    w.Put(HKLM, u + "\\Gone", "UninstallString", "\"C:\\Apps\\Gone\\uninst.exe\" /S");
    w.Put(HKLM, u + "\\Gone\\Deeper", "UninstallString", "C:\\Apps\\Gone\\deeper.exe");
    w.Put(HKLM, u + "\\Kept", "UninstallString", "C:\\Apps\\Kept\\uninst.exe /quiet");
    w.Put(HKLM, u + "\\Msi", "UninstallString", "MsiExec.exe /X{00000000-0000-0000-0000-000000000000}");
    w.world.registry.CreateKey(HKLM, u + "\\NoString\\Child");
    w.Put(HKLM, u + "\\NoString\\Child", "UninstallString", "C:\\Apps\\Child\\gone.exe");

    ScanRegistryForBrokenLinks(w.app, HKLM, kUninstall, true, "UninstallString", 2, 4);

    // The first level is tested before any deeper key.
    ASSERT_EQ(w.ProblemNames(), (std::vector<std::string>{
                                    std::string("HKLM\\") + kUninstall + "\\Gone",
                                    std::string("HKLM\\") + kUninstall + "\\Gone\\Deeper",
                                    std::string("HKLM\\") + kUninstall + "\\NoString\\Child"}));
    const clsItem& gone = *w.app.Problems.Item(1);
    EXPECT_EQ(gone.pSTATUS, 2);
    EXPECT_EQ(gone.pInternalType, 4);
    EXPECT_EQ(gone.pCureMissingfile, "C:\\Apps\\Gone\\uninst.exe");
    EXPECT_EQ(gone.pCureKeyName, u + "\\Gone");
    EXPECT_EQ(gone.pCureKeyValueName, "UninstallString");
    EXPECT_EQ(gone.pCureKeyRoot, static_cast<int32_t>(HKLM));
    EXPECT_EQ(gone.pCureValueType, 1);
    EXPECT_EQ(gone.pDescription, "Links to nonexisting file C:\\Apps\\Gone\\uninst.exe");
    EXPECT_EQ(gone.UID(), "registry_HKLM\\" + u + "\\Gone_UninstallString");
    EXPECT_EQ(w.Lines("app2.log").front(), "SRFBL");
    EXPECT_EQ(w.progress.items.front(), "Scanning registry key " + u + "\\Gone");
}

TEST(ReferenceScanners, ApplicationPathsTestTheDefaultValue) {
    ScanWorld w;
    std::string ap = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\App Paths";
    w.Put(HKLM, ap + "\\old.exe", "", "C:\\Old\\old.exe");
    ScanRegistryForBrokenLinks(w.app, HKLM, ap, true, "", 0, 3);
    ASSERT_EQ(w.app.Problems.Count(), 1);
    const clsItem& p = *w.app.Problems.Item(1);
    EXPECT_EQ(p.pSTATUS, 0);
    EXPECT_EQ(p.pCureKeyValueName, "");
    EXPECT_EQ(p.UID(), "registry_HKLM\\" + ap + "\\old.exe_");
}

TEST(ReferenceScanners, RunValuesWithArgumentsAreCutAtSpaces) {
    ScanWorld w;
    w.CreateFileOnC("C:\\Tools\\tool.exe");
    w.Put(HKLM, kRun, "Tool", "C:\\Tools\\tool.exe -quiet -log C:\\x.txt");
    w.Put(HKLM, kRun, "Old", "C:\\Old\\app.exe -start");
    w.Put(HKLM, kRun, "Relative", "helper.exe");
    w.Put(HKLM, kRun, "Disc", "D:\\setup.exe");
    ScanRegistryKeyValuesForBrokenLinks(w.app, HKLM, kRun, true, 5);
    ASSERT_EQ(w.app.Problems.Count(), 1);
    const clsItem& p = *w.app.Problems.Item(1);
    EXPECT_EQ(p.pName(), std::string("HKLM\\") + kRun + "\\Old");
    EXPECT_EQ(p.pCureMissingfile, "C:\\Old\\app.exe -start");
    EXPECT_EQ(p.pDescription, "Links to nonexisting file C:\\Old\\app.exe -start");
    EXPECT_EQ(p.pInternalType, 5);
    EXPECT_EQ(w.Lines("app2.log").front(), "SRKVFBL");
}

TEST(ReferenceScanners, ALongRunValueEndsTheEnumerationOfItsKey) {
    ScanWorld w;
    w.Put(HKCU, kRun, "First", "C:\\Gone\\first.exe");
    w.Put(HKCU, kRun, "Long", "C:\\" + std::string(300, 'x') + ".exe");
    w.Put(HKCU, kRun, "Third", "C:\\Gone\\third.exe");
    ScanRegistryKeyValuesForBrokenLinks(w.app, HKCU, kRun, true, 6);
    EXPECT_EQ(w.ProblemNames(), std::vector<std::string>{std::string("HKCU\\") + kRun + "\\First"});
}

TEST(ReferenceScanners, SharedDllCountersAreNamedByThePath) {
    ScanWorld w;
    w.world.registry.PutValue(HKLM, kSharedDlls, "C:\\Common\\gone.dll", RegDword(3));
    ScanRegistryKeyValuesForBrokenLinks(w.app, HKLM, kSharedDlls, false, 9);
    ASSERT_EQ(w.app.Problems.Count(), 1);
    const clsItem& p = *w.app.Problems.Item(1);
    EXPECT_EQ(p.pName(), std::string("HKLM\\") + kSharedDlls);
    EXPECT_EQ(p.pCureKeyValueName, "C:\\Common\\gone.dll");
    EXPECT_EQ(p.pCureValueType, 4);
    EXPECT_EQ(p.UID(), std::string("registry_HKLM\\") + kSharedDlls + "_C:\\Common\\gone.dll");
    EXPECT_EQ(w.progress.items.front(),
              std::string("Scanning registry key HKLM\\") + kSharedDlls + ": C:\\Common\\gone.dll");
}

TEST(ReferenceScanners, HelpFilesAreLookedForInTheirFolders) {
    ScanWorld w;
    w.CreateFileOnC("C:\\Docs\\kept.hlp");
    std::string help = "Software\\Microsoft\\Windows\\Help";
    w.Put(HKLM, help, "notes.hlp", "C:\\Docs");
    w.Put(HKLM, help, "kept.hlp", "C:\\Docs");
    w.Put(HKLM, help, "nodata.hlp", "");
    ScanRegistryForBrokenHelps(w.app, HKLM, help);
    ASSERT_EQ(w.app.Problems.Count(), 1);
    const clsItem& p = *w.app.Problems.Item(1);
    EXPECT_EQ(p.pSTATUS, 3);
    EXPECT_EQ(p.pInternalType, 1);
    EXPECT_EQ(p.pCureMissingfile, "C:\\Docs\\notes.hlp");
    EXPECT_EQ(p.pName(), "HKLM\\" + help + "\\notes.hlp");
}

TEST(ReferenceScanners, InstallerFoldersThatExistAreKept) {
    ScanWorld w;
    w.CreateFileOnC("C:\\Kept\\file.txt");
    std::string key = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Installer\\Folders";
    w.Put(HKLM, key, "C:\\Kept\\", "");
    w.Put(HKLM, key, "C:\\Kept", "");
    w.Put(HKLM, key, "C:\\Gone\\", "");
    SR_InstallerFolders(w.app);
    ASSERT_EQ(w.app.Problems.Count(), 1);
    const clsItem& p = *w.app.Problems.Item(1);
    EXPECT_EQ(p.pName(), "HKLM\\" + key);
    EXPECT_EQ(p.pCureKeyValueName, "C:\\Gone\\");
    EXPECT_EQ(p.pInternalType, 16);
}

std::string SlowInfoCache(const std::u16string& path, size_t total = 552) {
    std::string bytes(total, '\0');
    for (size_t i = 0; i < path.size() && 28 + 2 * i + 1 < total; ++i) {
        bytes[28 + 2 * i] = static_cast<char>(path[i] & 0xFF);
        bytes[28 + 2 * i + 1] = static_cast<char>(path[i] >> 8);
    }
    return bytes;
}

TEST(ReferenceScanners, InstalledProgramsCacheRecordsNameTheirProgram) {
    ScanWorld w;
    std::string arp = "Software\\Microsoft\\Windows\\CurrentVersion\\App Management\\ARPCache";
    w.world.registry.PutValue(HKLM, arp + "\\Gone", "SlowInfoCache",
                              RegBinary(SlowInfoCache(u"C:\\Gone\\game.exe")));
    w.world.registry.PutValue(HKLM, arp + "\\NoPath", "SlowInfoCache", RegBinary(SlowInfoCache(u"")));
    w.world.registry.PutValue(HKLM, arp + "\\Short", "SlowInfoCache", RegBinary(std::string(20, 'x')));
    w.world.registry.CreateKey(HKLM, arp + "\\NoValue");
    w.world.registry.PutValue(HKLM, arp + "\\Unicode", "SlowInfoCache",
                              RegBinary(SlowInfoCache(u"C:\\\u041F\u0440\u043E\\app.exe")));
    SCANREG_ARPCache(w.app);
    ASSERT_EQ(w.app.Problems.Count(), 2);
    const clsItem& p = *w.app.Problems.Item(1);
    EXPECT_EQ(p.pName(), "HKLM\\" + arp + "\\Gone");
    EXPECT_EQ(p.pCureKeyName, arp + "\\Gone");
    EXPECT_EQ(p.pCureKeyValueName, "SlowInfoCache");
    EXPECT_EQ(p.pCureMissingfile, "C:\\Gone\\game.exe");
    EXPECT_EQ(p.pInternalType, 20);
    EXPECT_EQ(p.pCureValueType, 3);
    EXPECT_EQ(w.app.Problems.Item(2)->pCureMissingfile, "C:\\\xD0\x9F\xD1\x80\xD0\xBE\\app.exe");
}

TEST(ReferenceScanners, SlowInfoCachePathDecoding) {
    struct Case {
        std::string raw;
        std::string expected;
    } cases[] = {
        {"", ""},
        {std::string(28, 'h'), ""},
        {std::string(28, 'h') + std::string("C\0:\0\\\0a\0", 8), "C:\\a"},
        // A single byte left over at the end is dropped.
        {std::string(28, 'h') + std::string("C\0:\0x", 5), "C:"},
        // Blanks around the path go before trailing zero characters do.
        {std::string(28, 'h') + std::string(" \0C\0:\0\0\0\0\0", 10), "C:"},
        {std::string(28, 'h') + std::string("\0\0\0\0", 4), ""},
    };
    for (const Case& c : cases) EXPECT_EQ(ProgramPathFromSlowInfoCache(c.raw), c.expected);
}

TEST(ReferenceScanners, CancelStopsEveryLevelOfTheRecursion) {
    ScanWorld w;
    std::string u = kUninstall;
    w.Put(HKLM, u + "\\A", "UninstallString", "C:\\Gone\\a.exe");
    w.Put(HKLM, u + "\\A\\Deep", "UninstallString", "C:\\Gone\\deep.exe");
    w.Put(HKLM, u + "\\B", "UninstallString", "C:\\Gone\\b.exe");
    w.Put(HKLM, u + "\\B\\Deep", "UninstallString", "C:\\Gone\\bdeep.exe");
    w.progress.cancelWhen = [&](const std::string& item) { return item.find("A\\Deep") != std::string::npos; };
    ScanRegistryForBrokenLinks(w.app, HKLM, kUninstall, true, "UninstallString", 2, 4);
    // A and B of the first level, then A\Deep, whose item was being shown when Cancel came.
    EXPECT_EQ(w.app.Problems.Count(), 3);
    EXPECT_EQ(w.progress.items.size(), 3u);
    EXPECT_FALSE(w.app.Scan.ContinueScan);
    EXPECT_EQ(w.world.registry.OpenHandleCount(), 0u);
}

TEST(ReferenceScanners, MissingKeysYieldNothing) {
    ScanWorld w;
    ScanRegistryForBrokenLinks(w.app, HKLM, "Software\\Nothing", true, "x", 0, 3);
    ScanRegistryKeyValuesForBrokenLinks(w.app, HKLM, "Software\\Nothing", true, 5);
    ScanRegistryForBrokenHelps(w.app, HKLM, "Software\\Nothing");
    SR_InstallerFolders(w.app);
    SCANREG_ARPCache(w.app);
    EXPECT_EQ(w.app.Problems.Count(), 0);
    EXPECT_TRUE(w.progress.items.empty());
    EXPECT_EQ(w.Lines("app2.log"),
              (std::vector<std::string>{"SRFBL", "SRKVFBL", "SRFBH", "SR_InstallerFolders",
                                        "SCANREG_ARPCache"}));
}

}  // namespace
