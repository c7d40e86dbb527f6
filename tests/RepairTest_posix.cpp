// The repair engine over an image (the portable Recycle Bin is the host's freedesktop
// Trash, so these run natively): what each kind of problem's deletion removes, the
// read-only rule and "Skip all", repairs that point a reference at a moved file, the
// moved-file search, and the run with its methods, Skip and Cancel.
#include <gtest/gtest.h>

#include <cstdlib>
#include <deque>
#include <functional>

#include "platform/portable/PortableRegExport.h"
#include "platform/portable/PortableTrash.h"
#include "platform/portable/RegFile.h"
#include "repair/Backup.h"
#include "repair/DryRun.h"
#include "repair/MovedFileSearch.h"
#include "repair/RepairJournal.h"
#include "repair/RepairRun.h"
#include "repair/RepairUi.h"
#include "scan/RegistryRead.h"
#include "tests/ScanSupport.h"
#include "tests/contract/HostFiles.h"

using testing_support::ScanWorld;
using Lines = std::vector<std::string>;

namespace {

// Answers the engine's questions from a script and records what it showed.
struct ScriptedRepairUi : RepairUi {
    bool ShowDeleteError(const std::string& message, const std::string&) override {
        deleteErrors.push_back(message);
        return skipAll;
    }
    std::string SelectPath(const std::string&, const std::vector<std::string>& candidates) override {
        offered.push_back(candidates);
        std::string answer = answers.empty() ? candidates.front() : answers.front();
        if (!answers.empty()) answers.pop_front();
        return answer;
    }
    void ShowRepairItem(const std::string& text) override {
        items.push_back(text);
        if (onItem) onItem(text);
    }
    void ShowRepairStatus(const std::string&) override {}
    void AdvanceBar(int) override { ++bar; }

    bool skipAll = false;
    std::deque<std::string> answers;
    Lines deleteErrors, items;
    std::vector<Lines> offered;
    std::function<void(const std::string&)> onItem;
    int bar = 0;
};

// A scan world with a trash of its own and the engine's context.
struct RepairWorld : ScanWorld {
    RepairWorld() {
        setenv("XDG_DATA_HOME", (drives.host() / "data").c_str(), 1);
        app.WindowsFolder = "C:\\Windows";
        app.ProgramFilesFolder = "C:\\Program Files\\";
    }
    ProblemRef Problem(int32_t type, int32_t check, RegKey root, const std::string& key,
                       const std::string& value = "", const std::string& file = "") {
        auto p = std::make_shared<clsItem>();
        p->pType(type);
        p->pInternalType = check;
        p->pCureKeyRoot = static_cast<int32_t>(root);
        p->pCureKeyName = key;
        p->pCureKeyValueName = value;
        p->pCureFilename = file;
        p->pName(file.empty() ? key : file);
        app.Problems.Add(p);
        return p;
    }
    bool Exists(RegKey hive, const std::string& key) { return RegistryKeyExists(app, hive, key); }
    ScriptedRepairUi ui;
    PortableTrash trash{world.files};
    RepairContext c{app, trash, ui};
};

// Each check's deletion, and what it leaves.
TEST(Repair, EachCheckDeletesItsValueOrKey) {
    const std::string cls = "CLSID\\{00000000-0000-0000-0000-0000000000A1}";
    const std::string run = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Run";
    struct Case {
        int32_t check;
        RegKey root;
        std::string key, value;
        std::function<bool(RepairWorld&)> after;
        bool cured;
    } cases[] = {
        {kCheckLoneInprocServer, HKCR, cls + "\\InprocServer32", "",
         [&](RepairWorld& w) { return !w.Exists(HKCR, cls) && w.Exists(HKCR, "CLSID"); }, true},
        {kCheckFileExtension, HKCR, ".abc", "", [](RepairWorld& w) { return !w.Exists(HKCR, ".abc"); }, true},
        {kCheckTypeLibrary, HKCR, cls + "\\TypeLib", "", [&](RepairWorld& w) { return !w.Exists(HKCR, cls + "\\TypeLib"); }, true},
        // Without subkeys: a key that has one stays, and the user is told.
        {kCheckMenuOrder, HKCU, "Software\\Menu\\Old", "", [](RepairWorld& w) { return w.Exists(HKCU, "Software\\Menu\\Old\\Sub"); }, false},
        {kCheckShellCommand, HKCR, "Applications\\a.exe\\shell\\open\\command", "",
         [](RepairWorld& w) { return GetRegistryValue(w.app, HKCR, "Applications\\a.exe\\shell\\open\\command", "").empty(); }, true},
        {kCheckRunMachine, HKLM, run, "Gone", [&](RepairWorld& w) { return !RegistryValueExists(w.app, HKLM, run, "Gone") && RegistryValueExists(w.app, HKLM, run, ""); }, true},
        // An empty value name deletes nothing and counts as done.
        {kCheckRunMachine, HKLM, run, "", [&](RepairWorld& w) { return RegistryValueExists(w.app, HKLM, run, ""); }, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.key + " " + std::to_string(c.check));
        RepairWorld w;
        w.Put(HKCR, cls + "\\InprocServer32", "", "C:\\gone.dll");
        w.Put(HKCR, cls + "\\TypeLib", "", "{1}");
        w.Put(HKCR, ".abc\\OpenWithList", "", "x");
        w.Put(HKCU, "Software\\Menu\\Old\\Sub", "", "x");
        w.Put(HKCR, "Applications\\a.exe\\shell\\open\\command", "", "C:\\gone.exe");
        w.Put(HKLM, run, "Gone", "C:\\gone.exe");
        w.Put(HKLM, run, "", "kept");
        ProblemRef p = w.Problem(kTypeRegistry, c.check, c.root, c.key, c.value);
        deleteProblem(w.c, *p);
        EXPECT_TRUE(c.after(w));
        EXPECT_EQ(p->pType() == kTypeCured, c.cured);
        EXPECT_EQ(w.ui.deleteErrors.size(), c.cured ? 0u : 1u);
    }
}

TEST(Repair, FilesGoToTheTrashOnlyWhenTheyMayAndSkipAllHoldsForTheRun) {
    RepairWorld w;
    for (const char* name : {"a.lnk", "b.lnk", "c.tmp"}) w.CreateFile(std::string("C:\\D\\") + name);
    namespace fs = std::filesystem;
    fs::permissions(w.Host("C:\\D\\a.lnk"), fs::perms::owner_write, fs::perm_options::remove);
    fs::permissions(w.Host("C:\\D\\b.lnk"), fs::perms::owner_write, fs::perm_options::remove);
    ProblemRef a = w.Problem(kTypeShortcut, 0, 0, "", "", "C:\\D\\a.lnk");
    ProblemRef b = w.Problem(kTypeShortcut, 0, 0, "", "", "C:\\D\\b.lnk");
    ProblemRef old = w.Problem(kTypeFile, 0, 0, "", "", "C:\\D\\c.tmp");
    w.ui.skipAll = true;
    deleteProblem(w.c, *a);
    deleteProblem(w.c, *b);  // after "Skip all": no second dialog
    deleteProblem(w.c, *old);
    ASSERT_EQ(w.ui.deleteErrors.size(), 1u);
    EXPECT_EQ(w.ui.deleteErrors[0], "Error: Cannot delete the file\r\nC:\\D\\a.lnk\r\n");
    EXPECT_EQ(a->pType(), kTypeShortcut);
    EXPECT_EQ(old->pType(), kTypeCured);
    EXPECT_FALSE(fs::exists(w.Host("C:\\D\\c.tmp")));
    EXPECT_TRUE(fs::exists(w.drives.HostFile("data/Trash/files/c.tmp")));
    std::string info = testing_support::ReadBytes(w.drives.HostFile("data/Trash/info/c.tmp.trashinfo"));
    EXPECT_NE(info.find("Path=" + w.HostPath("C:\\D\\c.tmp")), std::string::npos) << info;

    w.app.DeleteReadOnly = true;  // read-only files go too, without a question
    deleteProblem(w.c, *a);
    EXPECT_EQ(a->pType(), kTypeCured);
    EXPECT_EQ(w.ui.deleteErrors.size(), 1u);
}

TEST(Repair, RepairsPointTheReferenceAtTheNewPath) {
    RepairWorld w;
    const std::string key = "SOFTWARE\\Microsoft\\Windows\\Help";
    w.Put(HKLM, key, "a.hlp", "C:\\Old");
    w.Put(HKLM, key, "b.hlp", "C:\\Old");
    ProblemRef folder = w.Problem(kTypeRegistry, kCheckHelpFiles, HKLM, key, "a.hlp");
    folder->pCureMethod = kCureFolder;
    ProblemRef full = w.Problem(kTypeRegistry, kCheckHelpFiles, HKLM, key, "b.hlp");
    EXPECT_TRUE(repairProblem(w.c, *folder, "C:\\Apps\\Tool\\tool.exe"));
    EXPECT_TRUE(repairProblem(w.c, *full, "C:\\Apps\\Tool\\tool.exe"));
    EXPECT_EQ(GetRegistryValue(w.app, HKLM, key, "a.hlp"), "C:\\Apps\\Tool");
    EXPECT_EQ(GetRegistryValue(w.app, HKLM, key, "b.hlp"), "C:\\Apps\\Tool\\tool.exe");
    EXPECT_EQ(folder->pType(), kTypeCured);

    w.CreateShortcut("C:\\Desk\\tool.lnk", "C:\\Old\\tool.exe");
    ProblemRef link = w.Problem(kTypeShortcut, 0, 0, "", "", "C:\\Desk\\tool.lnk");
    EXPECT_FALSE(repairProblem(w.c, *link, ""));  // nothing found: nothing written
    EXPECT_TRUE(repairProblem(w.c, *link, "C:\\New\\tool.exe"));
    ShellLinkInfo info;
    ShellLinkError error;
    ASSERT_TRUE(w.world.links.Read("C:\\Desk\\tool.lnk", info, error));
    EXPECT_EQ(info.target, "C:\\New\\tool.exe");
    Lines log = w.Lines("app3.log");
    ASSERT_GE(log.size(), 2u);
    EXPECT_TRUE(log[log.size() - 3].ends_with(" >> new path is: "));
}

TEST(Repair, TheSearchFindsTheMissingFileByNameWindowsFirst) {
    struct Case {
        std::string missing;
        int32_t type;
        std::vector<std::string> files;
        std::string answer, expected;
        size_t offered;
    } cases[] = {
        {"C:\\Program Files\\Tool\\tool.exe", kTypeShortcut, {"C:\\Program Files\\New\\TOOL.EXE"}, "", "C:\\Program Files\\New\\TOOL.EXE", 0},
        {"C:\\Program Files\\Tool\\tool.exe", kTypeShortcut, {"C:\\Program Files\\B\\tool.exe", "C:\\Windows\\A\\tool.exe"}, "",
         "C:\\Windows\\A\\tool.exe", 2},
        {"C:\\Gone\\tool.exe", kTypeRegistry, {"C:\\Program Files\\A\\tool.exe", "C:\\Program Files\\B\\tool.exe"}, kSkipPath, kSkipPath, 2},
        {"C:\\Gone\\tool.exe", kTypeShortcut, {}, "", "", 0},
        {"C:\\Gone\\", kTypeShortcut, {"C:\\Windows\\Gone\\x"}, "", "", 0},
        {"C:\\Gone\\old.tmp", kTypeFile, {"C:\\Windows\\old.tmp"}, "", "", 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.missing);
        RepairWorld w;
        for (const std::string& file : c.files) w.CreateFile(file);
        w.CreateFolder("C:\\Program Files\\Empty");
        if (!c.answer.empty()) w.ui.answers.push_back(c.answer);
        ProblemRef p = w.Problem(c.type, 0, HKLM, "K", "", "C:\\x.lnk");
        p->pCureMissingfile = c.missing;
        SearchListings listings;
        EXPECT_EQ(findNewPath(w.c, listings, *p), c.expected);
        ASSERT_EQ(w.ui.offered.size(), c.offered ? 1u : 0u);
        if (c.offered) {
            EXPECT_EQ(w.ui.offered[0].size(), c.offered);
        }
    }
}

// Five problems, the conservative method: the old file and the extension are deleted
// without a search, one shortcut's target is found, one is skipped, and Cancel during
// the fourth leaves the fifth as it was.
TEST(Repair, TheRunCuresTheSelectedRowsAndCancelStopsBeforeTheNext) {
    RepairWorld w;
    w.CreateFile("C:\\T\\old.tmp");
    w.CreateShortcut("C:\\Desk\\a.lnk", "C:\\Old\\a.exe");
    w.CreateShortcut("C:\\Desk\\b.lnk", "C:\\Old\\b.exe");
    w.CreateFile("C:\\Program Files\\A\\a.exe");
    for (const char* copy : {"C:\\Program Files\\B1\\b.exe", "C:\\Program Files\\B2\\b.exe"}) w.CreateFile(copy);
    w.Put(HKCR, ".gone", "", "x");
    w.Put(HKCR, ".kept", "", "x");
    ProblemRef old = w.Problem(kTypeFile, 0, 0, "", "", "C:\\T\\old.tmp");
    old->pSTATUS = kStatusUnusedFile;
    ProblemRef ext = w.Problem(kTypeRegistry, kCheckFileExtension, HKCR, ".gone");
    ProblemRef a = w.Problem(kTypeShortcut, 0, 0, "", "", "C:\\Desk\\a.lnk");
    a->pCureMissingfile = "C:\\Old\\a.exe";
    ProblemRef b = w.Problem(kTypeShortcut, 0, 0, "", "", "C:\\Desk\\b.lnk");
    b->pCureMissingfile = "C:\\Old\\b.exe";
    ProblemRef kept = w.Problem(kTypeRegistry, kCheckFileExtension, HKCR, ".kept");
    w.ui.answers = {kSkipPath};
    bool running = true;
    w.ui.onItem = [&](const std::string& item) {
        if (item.ends_with("b.lnk")) running = false;  // Cancel while the fourth is worked on
    };
    std::vector<RepairRow> rows;
    for (int i = 1; i <= 5; ++i) rows.push_back({true, std::to_string(i)});
    RunRepair(w.c, rows, running);
    EXPECT_EQ(w.ui.items, (Lines{"Repairing C:\\T\\old.tmp", "Repairing .gone", "Repairing C:\\Desk\\a.lnk",
                                 "Repairing C:\\Desk\\b.lnk"}));
    EXPECT_EQ(old->pType() + ext->pType() + a->pType(), 3 * kTypeCured);
    EXPECT_EQ(b->pType(), kTypeShortcut);  // skipped
    EXPECT_TRUE(w.Exists(HKCR, ".kept"));
    EXPECT_EQ(kept->pType(), kTypeRegistry);
    EXPECT_NE(w.Lines("app3.log").back().find(": Skipped: Shortcut : Broken link | C:\\Desk\\b.lnk"), std::string::npos);
    EXPECT_EQ(RemoveCuredProblems(w.app), 3);
    EXPECT_EQ(w.app.Problems.Count(), 2);

    // The aggressive method searches nothing: the shortcut goes to the trash.
    w.app.Repair.RepairMethod = kMethodAggressive;
    running = true;
    w.ui.onItem = nullptr;
    RunRepair(w.c, {{false, "1"}, {true, "2"}}, running);
    EXPECT_EQ(w.ui.offered.size(), 1u);  // no new search
    EXPECT_FALSE(w.Exists(HKCR, ".kept"));
    EXPECT_EQ(RemoveCuredProblems(w.app), 1);
    EXPECT_EQ(w.app.Problems.Count(), 1);
}

// Three registry problems and a shortcut: three exports, numbered in collection order,
// each holding its key; restored, they give back the keys as they were.
TEST(Repair, TheBackupHoldsEveryRegistryProblemsKeyBeforeAnyChange) {
    RepairWorld w;
    std::filesystem::create_directory(w.folder.HostFile("backup"));
    const std::string run = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Run";
    w.Put(HKLM, run, "Gone", "C:\\gone.exe");
    w.Put(HKCR, ".abc\\Sub", "", "x");
    w.Problem(kTypeRegistry, kCheckRunMachine, HKLM, run, "Gone");
    w.Problem(kTypeShortcut, 0, 0, "", "", "C:\\x.lnk");
    w.Problem(kTypeRegistry, kCheckFileExtension, HKCR, ".abc");
    w.Problem(kTypeRegistry, kCheckFileExtension, HKCR, ".vanished");  // nothing to save
    const std::string before = ExportRegFile(w.world.registry, HKCR, ".abc");
    PortableRegExport exporter(w.world.registry, w.platform.files);
    std::vector<BackupFile> files = BackupRegistry(w.app, exporter);
    ASSERT_EQ(files.size(), 3u);
    EXPECT_TRUE(files[1].file.ends_with("\\backup\\261204-170509-2.reg")) << files[1].file;
    EXPECT_TRUE(UnsavedKeys(w.app, exporter, files).empty());
    for (ProblemRef p : w.app.Problems) deleteProblem(w.c, *p);
    EXPECT_FALSE(w.Exists(HKCR, ".abc"));
    std::string error;
    ASSERT_TRUE(LoadRegFile(w.world.registry, w.platform.files, files[1].file, error)) << error;
    EXPECT_EQ(ExportRegFile(w.world.registry, HKCR, ".abc"), before);

    // Without the backup folder nothing is saved, and the repair must not begin.
    std::filesystem::remove_all(w.folder.HostFile("backup"));
    w.app.Problems.Clear();
    w.Problem(kTypeRegistry, kCheckFileExtension, HKCR, ".abc");
    EXPECT_EQ(UnsavedKeys(w.app, exporter, BackupRegistry(w.app, exporter)), (Lines{"HKCR\\.abc"}));
}

}  // namespace

// A dry run decides as the run then does, also where one problem's repair changes what
// the next one meets: a value below a key deleted before it (through the classes'
// other name too), a read-only key, a key that keeps a subkey, a file sent to the trash
// twice. The registry and the disk stay as they were.
TEST(Repair, ADryRunMeetsWhatTheRunMeets) {
    RepairWorld w;
    w.Put(HKCR, ".abc\\OpenWithList", "x", "C:\\gone.exe");
    w.Put(HKLM, "SOFTWARE\\Classes\\.abc\\Shell", "y", "C:\\gone.exe");
    w.Put(HKLM, "SOFTWARE\\Locked", "v", "C:\\gone.exe");
    w.Put(HKCU, "Software\\Menu\\Old\\Sub", "", "x");
    w.Put(HKLM, "SOFTWARE\\Run", "w", "C:\\gone.exe");
    ASSERT_TRUE(w.world.registry.SetReadOnly(HKLM, "SOFTWARE\\Locked", true));
    w.CreateFile("C:\\T\\old.tmp");
    auto plant = [&](App& app) {
        auto add = [&](int32_t type, int32_t check, RegKey root, const std::string& key, const std::string& value,
                       const std::string& file = "") {
            auto p = std::make_shared<clsItem>();
            p->pType(type);
            p->pInternalType = check;
            p->pCureKeyRoot = static_cast<int32_t>(root);
            p->pCureKeyName = key;
            p->pCureKeyValueName = value;
            p->pCureFilename = file;
            p->pName(file.empty() ? key + "\\" + value : file);
            p->pSTATUS = kStatusUnusedFile;
            app.Problems.Add(p);
        };
        add(kTypeRegistry, kCheckFileExtension, HKCR, ".abc", "");
        add(kTypeRegistry, kCheckRunMachine, HKCR, ".abc\\OpenWithList", "x");
        add(kTypeRegistry, kCheckRunMachine, HKLM, "SOFTWARE\\Classes\\.abc\\Shell", "y");
        add(kTypeRegistry, kCheckRunMachine, HKLM, "SOFTWARE\\Locked", "v");
        add(kTypeRegistry, kCheckMenuOrder, HKCU, "Software\\Menu\\Old", "");
        add(kTypeRegistry, kCheckRunMachine, HKLM, "SOFTWARE\\Run", "w");
        add(kTypeRegistry, kCheckRunMachine, HKLM, "SOFTWARE\\Run", "w");
        add(kTypeFile, kCheckNone, 0, "", "", "C:\\T\\old.tmp");
        add(kTypeFile, kCheckNone, 0, "", "", "C:\\T\\old.tmp");
        app.Repair.RepairMethod = kMethodAggressive;
    };
    std::vector<RepairRow> rows;
    for (int i = 1; i <= 9; ++i) rows.push_back({true, std::to_string(i)});
    auto journalOf = [](const RepairJournal& j) {
        Lines lines;
        for (const RepairAction& a : j.actions)
            lines.push_back(a.action + " " + a.target + (a.done ? " done" : " failed: " + a.error));
        return lines;
    };
    const std::string before = ExportRegistryImage(w.world.registry);

    DryRunRegistry registry(w.world.registry);
    DryRunFiles files(w.platform.files);
    DryRunLinks links(w.platform.links, files);
    DryRunBin bin(files);
    Platform pretended{registry, files, w.platform.profile, w.platform.clock, w.platform.locale,
                       w.platform.system, w.platform.prompts, links};
    App dryApp(pretended, w.folder.path());
    plant(dryApp);
    registry.Pretend();
    ScriptedRepairUi dryUi;
    RepairJournal dry;
    RepairContext dc{dryApp, bin, dryUi, &dry};
    bool running = true;
    RunRepair(dc, rows, running);
    EXPECT_EQ(ExportRegistryImage(w.world.registry), before);
    EXPECT_TRUE(std::filesystem::exists(w.Host("C:\\T\\old.tmp")));

    plant(w.app);
    RepairJournal real;
    w.c.journal = &real;
    RunRepair(w.c, rows, running);
    EXPECT_EQ(journalOf(dry), journalOf(real));
    EXPECT_EQ(journalOf(real), (Lines{
        "delete key and subkeys HKCR\\.abc done",
        "delete value HKCR\\.abc\\OpenWithList\\x failed: The system cannot find the file specified.",
        "delete value HKLM\\SOFTWARE\\Classes\\.abc\\Shell\\y failed: The system cannot find the file specified.",
        "delete value HKLM\\SOFTWARE\\Locked\\v failed: Access is denied.",
        "delete key HKCU\\Software\\Menu\\Old failed: Access is denied.",
        "delete value HKLM\\SOFTWARE\\Run\\w done",
        "delete value HKLM\\SOFTWARE\\Run\\w failed: The system cannot find the file specified.",
        "recycle file C:\\T\\old.tmp done",
        "recycle file C:\\T\\old.tmp done",  // gone already: nothing left to lose
    }));
    EXPECT_EQ(dryUi.deleteErrors, w.ui.deleteErrors);
}
