#include <gtest/gtest.h>

#include "scan/ReferenceScanners.h"
#include "tests/ScanSupport.h"

using testing_support::Fields;
using testing_support::FieldsOf;
using testing_support::ScanWorld;

namespace {

const std::string kCv = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion";
const std::string kUninstall = "Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall";
const std::string kGone = "Links to nonexisting file ";

TEST(ReferenceScanners, UninstallEntriesAreTestedLevelByLevel) {
    ScanWorld w;
    w.CreateFile("C:\\Apps\\Kept\\uninst.exe");
    const std::string u = kUninstall;
    w.Put(HKLM, u + "\\Gone", "UninstallString", "\"C:\\Apps\\Gone\\uninst.exe\" /S");
    w.Put(HKLM, u + "\\Gone\\Deeper", "UninstallString", "C:\\Apps\\Gone\\deeper.exe");
    w.Put(HKLM, u + "\\Kept", "UninstallString", "C:\\Apps\\Kept\\uninst.exe /quiet");
    w.Put(HKLM, u + "\\Msi", "UninstallString", "MsiExec.exe /X{00000000-0000-0000-0000-0000}");
    w.Put(HKLM, u + "\\NoString\\Child", "UninstallString", "C:\\Apps\\Child\\gone.exe");

    ScanRegistryForBrokenLinks(w.app, HKLM, kUninstall, true, "UninstallString", 2, 4);

    // The first level is tested before any deeper key; an entry without the value is
    // skipped, its subkeys are not.
    EXPECT_EQ(w.ProblemNames(),
              (std::vector<std::string>{"HKLM\\" + u + "\\Gone", "HKLM\\" + u + "\\Gone\\Deeper",
                                        "HKLM\\" + u + "\\NoString\\Child"}));
    EXPECT_EQ(
        FieldsOf(*w.app.Problems.Item(1)),
        (Fields{0, 2, 4, "HKLM\\" + u + "\\Gone", "registry_HKLM\\" + u + "\\Gone_UninstallString",
                kGone + "C:\\Apps\\Gone\\uninst.exe", HKLM, u + "\\Gone", "UninstallString",
                "C:\\Apps\\Gone\\uninst.exe", "", 0, 1}));
    EXPECT_EQ(w.Lines("app2.log").front(), "SRFBL");
    EXPECT_EQ(w.progress.items.front(), "Scanning registry key " + u + "\\Gone");
}

TEST(ReferenceScanners, EachScannerRecordsItsOwnFields) {
    const std::string ap = kCv + "\\App Paths", run = kCv + "\\Run", dlls = kCv + "\\SharedDLLs";
    const std::string help = "Software\\Microsoft\\Windows\\Help";
    const std::string folders = kCv + "\\Installer\\Folders";
    const std::string arp =
        "Software\\Microsoft\\Windows\\CurrentVersion\\App Management\\ARPCache";
    // The program path of a "SlowInfoCache" record: 28 bytes, then UTF-16LE and zeros.
    auto slowInfo = [](const std::u16string& path) {
        std::string bytes(552, '\0');
        for (size_t i = 0; i < path.size(); ++i) {
            bytes[28 + 2 * i] = static_cast<char>(path[i] & 0xFF);
            bytes[29 + 2 * i] = static_cast<char>(path[i] >> 8);
        }
        return RegBinary(bytes);
    };
    struct Case {
        const char* what;
        std::function<void(ScanWorld&)> plantAndScan;
        std::vector<Fields> problems;
        std::string firstItem;
    };
    const Case cases[] = {
        {"application path: the default value",
         [&](ScanWorld& w) {
             w.Put(HKLM, ap + "\\old.exe", "", "C:\\Old\\old.exe");
             ScanRegistryForBrokenLinks(w.app, HKLM, ap, true, "", 0, 3);
         },
         {{0, 0, 3, "HKLM\\" + ap + "\\old.exe", "registry_HKLM\\" + ap + "\\old.exe_",
           kGone + "C:\\Old\\old.exe", HKLM, ap + "\\old.exe", "", "C:\\Old\\old.exe", "", 0, 1}},
         "Scanning registry key " + ap + "\\old.exe"},
        {"Run values: the path is in the data",
         [&](ScanWorld& w) {
             w.Put(HKLM, run, "Old", "C:\\Old\\app.exe -start");
             w.Put(HKLM, run, "Relative", "helper.exe");
             ScanRegistryKeyValuesForBrokenLinks(w.app, HKLM, run, true, 5);
         },
         {{0, 0, 5, "HKLM\\" + run + "\\Old", "registry_HKLM\\" + run + "\\Old_Old",
           kGone + "C:\\Old\\app.exe -start", HKLM, run, "Old", "C:\\Old\\app.exe -start", "", 0,
           1}},
         "Scanning registry key HKLM\\" + run + "\\Old"},
        {"shared DLL counters: the path is the value's name",
         [&](ScanWorld& w) {
             w.world.registry.PutValue(HKLM, dlls, "C:\\Common\\gone.dll", RegDword(3));
             ScanRegistryKeyValuesForBrokenLinks(w.app, HKLM, dlls, false, 9);
         },
         {{0, 0, 9, "HKLM\\" + dlls, "registry_HKLM\\" + dlls + "_C:\\Common\\gone.dll",
           kGone + "C:\\Common\\gone.dll", HKLM, dlls, "C:\\Common\\gone.dll",
           "C:\\Common\\gone.dll", "", 0, 4}},
         "Scanning registry key HKLM\\" + dlls + ": C:\\Common\\gone.dll"},
        {"help files: the data is their folder",
         [&](ScanWorld& w) {
             w.CreateFile("C:\\Docs\\kept.hlp");
             w.Put(HKLM, help, "notes.hlp", "C:\\Docs");
             w.Put(HKLM, help, "kept.hlp", "C:\\Docs");
             w.Put(HKLM, help, "nodata.hlp", "");
             ScanRegistryForBrokenHelps(w.app, HKLM, help);
         },
         {{0, 3, 1, "HKLM\\" + help + "\\notes.hlp",
           "registry_HKLM\\" + help + "\\notes.hlp_notes.hlp", kGone + "C:\\Docs\\notes.hlp", HKLM,
           help, "notes.hlp", "C:\\Docs\\notes.hlp", "", 0, 1}},
         "Scanning registry key HKLM\\" + help + "\\notes.hlp"},
        {"installer folders: existing ones, with or without a final \\, are kept",
         [&](ScanWorld& w) {
             w.CreateFolder("C:\\Kept");
             w.Put(HKLM, folders, "C:\\Kept\\", "");
             w.Put(HKLM, folders, "C:\\Gone\\", "");
             w.Put(HKLM, folders, "C:\\Kept", "");
             SR_InstallerFolders(w.app);
         },
         {{0, 0, 16, "HKLM\\" + folders, "registry_HKLM\\" + folders + "_C:\\Gone\\",
           kGone + "C:\\Gone\\", HKLM, folders, "C:\\Gone\\", "C:\\Gone\\", "", 0, 1}},
         "Scanning registry key HKLM\\" + folders + ": C:\\Kept\\"},
        {"installed-programs cache: records without a path are skipped",
         [&](ScanWorld& w) {
             w.world.registry.PutValue(HKLM, arp + "\\Gone", "SlowInfoCache",
                                       slowInfo(u"C:\\Gone\\game.exe"));
             w.world.registry.PutValue(HKLM, arp + "\\NoPath", "SlowInfoCache", slowInfo(u""));
             w.world.registry.PutValue(HKLM, arp + "\\Short", "SlowInfoCache",
                                       RegBinary(std::string(20, 'x')));
             w.world.registry.CreateKey(HKLM, arp + "\\NoValue");
             w.world.registry.PutValue(HKLM, arp + "\\Unicode", "SlowInfoCache",
                                       slowInfo(u"C:\\\u041F\\app.exe"));
             SCANREG_ARPCache(w.app);
         },
         {{0, 0, 20, "HKLM\\" + arp + "\\Gone", "registry_HKLM\\" + arp + "\\Gone_SlowInfoCache",
           kGone + "C:\\Gone\\game.exe", HKLM, arp + "\\Gone", "SlowInfoCache",
           "C:\\Gone\\game.exe", "", 0, 3},
          {0, 0, 20, "HKLM\\" + arp + "\\Unicode",
           "registry_HKLM\\" + arp + "\\Unicode_SlowInfoCache", kGone + "C:\\\xD0\x9F\\app.exe",
           HKLM, arp + "\\Unicode", "SlowInfoCache", "C:\\\xD0\x9F\\app.exe", "", 0, 3}},
         "Scanning registry key HKLM\\" + arp + "\\Gone"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        ScanWorld w;
        c.plantAndScan(w);
        EXPECT_EQ(w.ProblemFields(), c.problems);
        ASSERT_FALSE(w.progress.items.empty());
        EXPECT_EQ(w.progress.items.front(), c.firstItem);
    }
}

TEST(ReferenceScanners, ALongRunValueEndsTheEnumerationOfItsKey) {
    ScanWorld w;
    const std::string run = kCv + "\\Run";
    w.Put(HKCU, run, "First", "C:\\Gone\\first.exe");
    w.Put(HKCU, run, "Long", "C:\\" + std::string(300, 'x') + ".exe");
    w.Put(HKCU, run, "Third", "C:\\Gone\\third.exe");
    ScanRegistryKeyValuesForBrokenLinks(w.app, HKCU, run, true, 6);
    EXPECT_EQ(w.ProblemNames(), std::vector<std::string>{"HKCU\\" + run + "\\First"});
}

TEST(ReferenceScanners, SlowInfoCachePathDecoding) {
    const std::string h(28, 'h');
    const std::pair<std::string, std::string> cases[] = {
        {"", ""},
        {h, ""},
        {h + std::string("C\0:\0\\\0a\0", 8), "C:\\a"},
        {h + std::string("C\0:\0x", 5), "C:"},             // a single byte left over is dropped
        {h + std::string(" \0C\0:\0\0\0\0\0", 10), "C:"},  // blanks go before trailing zeros
        {h + std::string("\0\0\0\0", 4), ""},
        {h + std::string("C\0:\0\0\0x\0", 8), "C:"},  // what follows a NUL is not the path
    };
    for (const auto& [raw, path] : cases) EXPECT_EQ(ProgramPathFromSlowInfoCache(raw), path);
}

}  // namespace
