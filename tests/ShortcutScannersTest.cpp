#include <gtest/gtest.h>

#include "problems/clsItem.h"
#include "scan/ShortcutScanners.h"
#include "tests/ScanSupport.h"

using testing_support::ScanWorld;

namespace {

const char kDesktop[] = "C:\\Users\\Me\\Desktop";

TEST(ShortcutScanners, BrokenShortcutsOnFixedDisksOnly) {
    struct Case {
        const char* name;
        std::string target;
        std::string arguments;
        bool folder;
        bool reported;
    } cases[] = {
        {"missing file", "C:\\Gone\\app.exe", "", false, true},
        {"missing file with arguments", "C:\\Gone\\app.exe", "/x", false, true},
        {"existing file", "C:\\Kept\\app.exe", "", false, false},
        {"existing folder", "C:\\Kept", "", true, false},
        {"missing folder", "C:\\GoneFolder", "", true, true},
        {"CD-ROM without its disc", "D:\\setup.exe", "", false, false},
        {"drive letter that does not exist", "Q:\\tool.exe", "", false, false},
        {"network path that cannot be reached", "\\\\server\\share\\tool.exe", "", false, true},
        {"not a file at all", "", "", false, false},
    };
    for (const Case& c : cases) {
        ScanWorld w;
        w.CreateFileOnC("C:\\Kept\\app.exe");
        std::string link = std::string(kDesktop) + "\\shortcut.lnk";
        w.CreateShortcutOnC(link, c.target, c.arguments, c.folder);
        SFFBL(w.app, kDesktop);
        ASSERT_EQ(w.app.Problems.Count(), c.reported ? 1 : 0) << c.name;
        EXPECT_EQ(w.progress.items, std::vector<std::string>{"Scanning shortcut " + link}) << c.name;
        if (!c.reported) continue;
        const clsItem& p = *w.app.Problems.Item(1);
        std::string targetText = c.arguments.empty() ? c.target : c.target + " " + c.arguments;
        EXPECT_EQ(p.pType(), 1) << c.name;
        EXPECT_EQ(p.pSTATUS, 0) << c.name;
        EXPECT_EQ(p.pInternalType, 0) << c.name;
        EXPECT_EQ(p.pName(), link) << c.name;
        EXPECT_EQ(p.UID(), "shortcut__" + link) << c.name;
        EXPECT_EQ(p.pDescription, "Links to nonexisting file " + targetText) << c.name;
        EXPECT_EQ(p.pCureMissingfile, c.target) << c.name;
        EXPECT_EQ(p.pCureFilename, link) << c.name;
        EXPECT_EQ(p.pCureKeyRoot, 0) << c.name;
        EXPECT_EQ(p.FriendlyDescription(w.app),
                  "Shortcut : Broken link | " + link + " : \\\\ | " + c.target);
    }
}

TEST(ShortcutScanners, ShortcutFilesAreKnownByTheirExtensionAlone) {
    struct Case {
        const char* path;
        bool shortcut;
    } cases[] = {{"a.lnk", true}, {"C:\\x\\A.LNK", true}, {"a.Lnk", true}, {"a.lnk.txt", false},
                 {"lnk", false},  {".lnk", true},         {"a.url", false}};
    for (const Case& c : cases) EXPECT_EQ(IsShortcutFile(c.path), c.shortcut) << c.path;
}

TEST(ShortcutScanners, FoldersAreListedBeforeTheirSubfoldersAreEntered) {
    ScanWorld w;
    std::string d = kDesktop;
    w.CreateShortcutOnC(d + "\\Tools.lnk\\inner.lnk", "C:\\Gone\\inner.exe");
    w.CreateShortcutOnC(d + "\\b.LNK", "C:\\Gone\\b.exe");
    w.CreateShortcutOnC(d + "\\Sub\\c.lnk", "C:\\Gone\\c.exe");
    w.CreateShortcutOnC(d + "\\z.lnk", "C:\\Gone\\z.exe");
    w.CreateFileOnC(d + "\\notes.txt");
    SFFBL(w.app, d);
    // A folder named like a shortcut is searched as a folder; upper case .LNK is read.
    EXPECT_EQ(w.ProblemNames(), (std::vector<std::string>{d + "\\b.LNK", d + "\\z.lnk",
                                                          d + "\\Sub\\c.lnk",
                                                          d + "\\Tools.lnk\\inner.lnk"}));
}

TEST(ShortcutScanners, ADamagedShortcutIsLoggedAndSkipped) {
    ScanWorld w;
    std::string link = std::string(kDesktop) + "\\broken.lnk";
    w.CreateFileOnC(link);  // a text file, not a shell link
    SFFBL(w.app, kDesktop);
    EXPECT_EQ(w.app.Problems.Count(), 0);
    auto log = w.Lines("app.log");
    ASSERT_EQ(log.size(), 1u);
    EXPECT_EQ(log[0].rfind("Error in GetShortcutInfo: ", 0), 0u) << log[0];
}

TEST(ShortcutScanners, AnEmptyFolderNameIsSkipped) {
    ScanWorld w;
    SFFBL(w.app, "");
    EXPECT_EQ(w.Lines("app2.log"),
              (std::vector<std::string>{"SFFBL", "SFFBL skipped, foldername empty"}));
}

TEST(ShortcutScanners, CancelStopsBeforeTheNextEntryAndEntersNoSubfolder) {
    ScanWorld w;
    std::string d = kDesktop;
    for (const char* name : {"a.lnk", "b.lnk", "c.lnk"})
        w.CreateShortcutOnC(d + "\\" + name, "C:\\Gone\\x.exe");
    w.CreateShortcutOnC(d + "\\Sub\\d.lnk", "C:\\Gone\\x.exe");
    w.progress.cancelWhen = [](const std::string& item) { return item.find("b.lnk") != std::string::npos; };
    SFFBL(w.app, d);
    EXPECT_EQ(w.ProblemNames(), (std::vector<std::string>{d + "\\a.lnk", d + "\\b.lnk"}));
}

const char kMenuBase[] =
    "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Explorer\\MenuOrder\\Start Menu\\&Programs";

TEST(ShortcutScanners, MenuOrderLeavesMustStillExistInAProgramFolder) {
    struct Case {
        const char* name;
        std::function<void(ScanWorld&)> plant;
        bool reported;
    } cases[] = {
        {"neither shortcut nor folder", [](ScanWorld&) {}, true},
        {"the user's shortcut",
         [](ScanWorld& w) { w.CreateFileOnC("C:\\Programs\\Accessories\\Old.lnk"); }, false},
        {"the user's folder",
         [](ScanWorld& w) { w.CreateFolderOnC("C:\\Programs\\Accessories\\Old"); }, false},
        {"all users' shortcut",
         [](ScanWorld& w) { w.CreateFileOnC("C:\\Common\\Accessories\\Old.lnk"); }, false},
        {"all users' folder",
         [](ScanWorld& w) { w.CreateFolderOnC("C:\\Common\\Accessories\\Old"); }, false},
    };
    std::string base = kMenuBase;
    for (const Case& c : cases) {
        ScanWorld w;
        w.app.ProgramsFolder = "C:\\Programs";
        w.app.CommonProgramsFolder = "C:\\Common";
        w.Put(HKCU, base + "\\Accessories\\Old", "Order", "x");
        c.plant(w);
        SRMO(w.app, HKCU, base, base);
        ASSERT_EQ(w.app.Problems.Count(), c.reported ? 1 : 0) << c.name;
        if (!c.reported) continue;
        const clsItem& p = *w.app.Problems.Item(1);
        std::string key = base + "\\Accessories\\Old";
        EXPECT_EQ(p.pType(), 0);
        EXPECT_EQ(p.pInternalType, 13);
        EXPECT_EQ(p.pName(), key);
        EXPECT_EQ(p.UID(), "registry_" + key + "_");
        EXPECT_EQ(p.pCureMissingfile, "C:\\Programs\\Accessories\\Old.lnk");
        EXPECT_EQ(p.pDescription, "Links to nonexisting file C:\\Programs\\Accessories\\Old.lnk");
        EXPECT_EQ(p.pCureKeyRoot, static_cast<int32_t>(HKCU));
        EXPECT_EQ(p.pCureKeyName, key);
        EXPECT_EQ(p.pCureKeyValueName, "");
        EXPECT_EQ(p.pCureFilename, "");
    }
}

TEST(ShortcutScanners, MenuOrderKeysWithSubkeysAreNeverRecorded) {
    ScanWorld w;
    w.app.ProgramsFolder = "C:\\Programs";
    w.app.CommonProgramsFolder = "C:\\Common";
    std::string base = kMenuBase;
    w.Put(HKCU, base + "\\GoneFolder\\GoneEntry", "Order", "x");
    w.Put(HKCU, base + "\\Other\\Deeper\\Leaf", "Order", "x");
    SRMO(w.app, HKCU, base, base);
    // The base itself has subkeys; only the two leaves are judged, level by level.
    EXPECT_EQ(w.ProblemNames(), (std::vector<std::string>{base + "\\GoneFolder\\GoneEntry",
                                                          base + "\\Other\\Deeper\\Leaf"}));
    EXPECT_EQ(w.world.registry.OpenHandleCount(), 0u);
}

TEST(ShortcutScanners, AMissingMenuOrderKeyIsSkippedQuietly) {
    ScanWorld w;
    SRMO(w.app, HKCU, kMenuBase, kMenuBase);
    EXPECT_EQ(w.app.Problems.Count(), 0);
    EXPECT_TRUE(w.Lines("app.log").empty());
}

}  // namespace
