// The reference scanners beyond the rows of the sample machine (SampleMachineTest).
#include <gtest/gtest.h>

#include "scan/ReferenceScanners.h"
#include "tests/ScanSupport.h"

using testing_support::ScanWorld;
using Lines = std::vector<std::string>;

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

}  // namespace
