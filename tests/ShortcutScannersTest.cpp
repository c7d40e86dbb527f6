#include <gtest/gtest.h>

#include "scan/ShortcutScanners.h"
#include "tests/ScanSupport.h"

using namespace testing_support;

namespace {

const std::string kDesktop = "C:\\Users\\Me\\Desktop";

// Beside the shortcuts of the sample machine (SampleMachineTest).
TEST(ShortcutScanners, BrokenShortcutsOnFixedDisksOnly) {
    struct Case {
        const char* name;
        std::string target, arguments;
        bool folder, reported;
    } cases[] = {
        {"missing file with arguments", "C:\\Gone\\app.exe", "/x", false, true},
        {"existing folder", "C:\\Kept", "", true, false},
        {"missing folder", "C:\\GoneFolder", "", true, true},
        {"removable disk", "A:\\setup.exe", "", false, false},
        {"network drive letter", "N:\\tools\\x.exe", "", false, false},
        {"RAM disk", "R:\\x.exe", "", false, false},
        {"drive letter that does not exist", "Q:\\tool.exe", "", false, false},
        {"a root that is no drive letter", "\u00e9:\\tool.exe", "", false, false},
        {"not a file at all", "", "", false, false},
    };
    const std::string link = kDesktop + "\\shortcut.lnk";
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ScanWorld w;
        w.CreateFile("C:\\Kept\\app.exe");
        w.CreateShortcut(link, c.target, c.arguments, c.folder);
        SFFBL(w.app, kDesktop);
        ASSERT_EQ(w.app.Problems.Count(), c.reported ? 1 : 0);
        EXPECT_EQ(w.progress.items, std::vector<std::string>{"Scanning shortcut " + link});
        if (!c.reported) continue;
        const clsItem& p = *w.app.Problems.Item(1);
        std::string targetText = c.arguments.empty() ? c.target : c.target + " " + c.arguments;
        EXPECT_EQ(FieldsOf(p), (Fields{1, 0, 0, link, "shortcut__" + link,
                                       "Links to nonexisting file " + targetText, 0, "", "",
                                       c.target, link, 0, 0}));
        EXPECT_EQ(p.FriendlyDescription(w.app),
                  "Shortcut : Broken link | " + link + " : \\\\ | " + c.target);
    }
}

TEST(ShortcutScanners, FoldersAreListedBeforeTheirSubfoldersAreEntered) {
    ScanWorld w;
    const std::string d = kDesktop;
    w.CreateShortcut(d + "\\Tools.lnk\\inner.lnk", "C:\\Gone\\inner.exe");
    w.CreateShortcut(d + "\\b.LNK", "C:\\Gone\\b.exe");
    w.CreateShortcut(d + "\\Sub\\c.lnk", "C:\\Gone\\c.exe");
    w.CreateShortcut(d + "\\z.lnk", "C:\\Gone\\z.exe");
    w.CreateFile(d + "\\damaged.lnk", "not a shell link");  // logged and skipped
    w.CreateShortcut(d + "\\y.lnk.txt", "C:\\Gone\\y.exe");
    w.CreateShortcut(d + "\\x.url", "C:\\Gone\\x.exe");
    SFFBL(w.app, d);
    // Shortcuts are known by their extension alone: a folder named like one is searched
    // as a folder; upper case .LNK is read; other extensions are not.
    EXPECT_EQ(w.ProblemNames(),
              (std::vector<std::string>{d + "\\b.LNK", d + "\\z.lnk", d + "\\Sub\\c.lnk",
                                        d + "\\Tools.lnk\\inner.lnk"}));
    auto log = w.Lines("app.log");
    ASSERT_EQ(log.size(), 1u);
    EXPECT_TRUE(log[0].starts_with("Error in GetShortcutInfo: ")) << log[0];
}

const std::string kMenuBase =
    "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Explorer\\MenuOrder\\Start Menu\\&Programs";

TEST(ShortcutScanners, MenuOrderLeavesMustStillExistInAProgramFolder) {
    const char* cases[] = {nullptr, "C:\\Programs\\Accessories\\Old.lnk",
                           "C:\\Programs\\Accessories\\Old\\", "C:\\Common\\Accessories\\Old.lnk",
                           "C:\\Common\\Accessories\\Old\\"};
    const std::string key = kMenuBase + "\\Accessories\\Old";
    for (const char* planted : cases) {
        SCOPED_TRACE(planted ? planted : "neither shortcut nor folder");
        ScanWorld w;
        w.app.ProgramsFolder = "C:\\Programs";
        w.app.CommonProgramsFolder = "C:\\Common";
        w.Put(HKCU, key, "Order", "x");
        if (planted && std::string(planted).ends_with("\\"))
            w.CreateFolder(planted);
        else if (planted)
            w.CreateFile(planted);
        SRMO(w.app, HKCU, kMenuBase, kMenuBase);
        ASSERT_EQ(w.app.Problems.Count(), planted ? 0 : 1);
        if (planted) continue;
        const std::string missing = "C:\\Programs\\Accessories\\Old.lnk";
        EXPECT_EQ(FieldsOf(*w.app.Problems.Item(1)), (Fields{0, 0, 13, key, "registry_" + key + "_",
                                                             "Links to nonexisting file " + missing,
                                                             HKCU, key, "", missing, "", 0, 0}));
    }
}

TEST(ShortcutScanners, MenuOrderKeysWithSubkeysAreNeverRecorded) {
    ScanWorld w;
    w.app.ProgramsFolder = "C:\\Programs";
    w.app.CommonProgramsFolder = "C:\\Common";
    w.Put(HKCU, kMenuBase + "\\GoneFolder\\GoneEntry", "Order", "x");
    w.Put(HKCU, kMenuBase + "\\Other\\Deeper\\Leaf", "Order", "x");
    SRMO(w.app, HKCU, kMenuBase, kMenuBase);
    // The base itself has subkeys; only the two leaves are judged, level by level.
    EXPECT_EQ(w.ProblemNames(), (std::vector<std::string>{kMenuBase + "\\GoneFolder\\GoneEntry",
                                                          kMenuBase + "\\Other\\Deeper\\Leaf"}));
    EXPECT_EQ(w.world.registry.OpenHandleCount(), 0u);
}

}  // namespace
