// The real windows under Wine: the main window over the sample machine's image, driven
// by the messages a user's clicks send, its list read back from the list view. The
// tests write screenshots of each window into the build's "screenshots" folder.
#include <windows.h>

#include <commctrl.h>
#include <gtest/gtest.h>

#include <filesystem>
#include <cstdlib>
#include <deque>
#include <functional>
#include <sstream>

#include "core/Options.h"
#include "core/Startup.h"
#include "platform/portable/RegFile.h"
#include "platform/win32/WinText.h"
#include "platform/win32/SystemPlatform.h"
#include "platform/win32/Win32Processes.h"
#include "platform/win32/Win32RecycleBin.h"
#include "platform/win32/Win32Registry.h"
#include "platform/portable/ImageRecycleBin.h"
#include "platform/portable/PortableRegExport.h"
#include "platform/portable/ScriptedPrompts.h"
#include "problems/clsItem.h"
#include "scan/RegistryRead.h"
#include "tests/ScanSupport.h"
#include "tests/win32/ProgramRunner.h"
#include "tests/win32/WindowPictures.h"
#include "ui/win32/MainWindow.h"
#include "ui/win32/Resources.h"

using testing_support::ScanWorld;
using testing_support::ScratchFolder;
namespace fs = std::filesystem;

namespace {

// The sample machine as an image, and the program's own files (languages, pictures)
// in the application folder.
struct SampleWorld : ScanWorld {
    SampleWorld() {
        world.clock.Release();
        std::string driveC = testing_support::PrepareSampleMachine(machine);
        world.files.MapDrive('C', driveC);
        world.files.MapDrive('D', machine.File("D"), kDriveCdrom);
        std::string error;
        EXPECT_TRUE(LoadRegFile(world.registry, hostFiles, testing_support::SourcePath("sample/machine.reg"), error))
            << error;
        fs::path program = hostpath::FromUtf8(BRIVOLEX_PROGRAM_DIR);
        for (const auto& entry : fs::directory_iterator(program))
            if (entry.path().extension() == ".gif") fs::copy(entry.path(), folder.host() / entry.path().filename());
        fs::copy(program / "languages", folder.host() / "languages", fs::copy_options::recursive);
        PrepareApplication(app, false);
        SaveOptionB(app, "userwelcomed", true);
    }
    ScratchFolder machine{"sample"};
};

HWND Control(const MainWindow& w, int id) { return GetDlgItem(w.hwnd(), id); }
void Click(const MainWindow& w, int id) { SendMessageW(Control(w, id), BM_CLICK, 0, 0); }

std::string ItemText(HWND list, int row, int column) {
    wchar_t text[1024] = {};
    LVITEMW item{};
    item.iSubItem = column;
    item.pszText = text;
    item.cchTextMax = 1024;
    SendMessageW(list, LVM_GETITEMTEXTW, static_cast<WPARAM>(row), reinterpret_cast<LPARAM>(&item));
    return win::NarrowZ(text);
}

// What brivolex-cli finds in the same image: the problems' names, in order.
std::vector<std::string> ConsoleFinds(const SampleWorld& w) {
    ScratchFolder appDir("cli");
    auto run = testing_support::RunBuiltProgram(
        "brivolex-cli", {"scan", "--json", "--registry", testing_support::SourcePath("sample/machine.reg"),
                         "--drive", "C=" + w.machine.File("C"), "--drive", "D=" + w.machine.File("D") + ",cdrom",
                         "--app-dir", appDir.path()});
    std::vector<std::string> names;
    std::istringstream lines(run.output);
    for (std::string line; std::getline(lines, line);)
        if (line.rfind("  {\"UID\"", 0) == 0) names.push_back(testing_support::JsonField(line, "pName"));
    return names;
}

TEST(MainWindowWine, AScanFromTheWindowListsWhatTheConsoleFinds) {
    SampleWorld w;
    MainWindow window(w.app, nullptr, false);
    ASSERT_TRUE(window.Open(SW_SHOWNORMAL));
    testing_support::SaveWindowPicture(window.hwnd(), "main-statistics-eng");
    int shots = 0;  // the third pass shows the labels filled in
    window.pump().beforePass = [&] {
        HWND progress = GetLastActivePopup(window.hwnd());
        if (shots < 3 && progress != window.hwnd() &&
            testing_support::SaveWindowPicture(progress, "progress-eng"))
            ++shots;
    };
    Click(window, MainWindow::kCheck);

    HWND list = Control(window, MainWindow::kList);
    std::vector<std::string> expected = ConsoleFinds(w);
    ASSERT_EQ(expected.size(), 35u);
    ASSERT_EQ(ListView_GetItemCount(list), 35);
    EXPECT_EQ(ListView_GetSelectedCount(list), 35u);
    for (int row = 0; row < 35; ++row) {
        EXPECT_EQ(ItemText(list, row, 2), expected[static_cast<size_t>(row)]) << row;
        const ProblemRef& problem = w.app.Problems.Item(std::stoi(window.model().rows[static_cast<size_t>(row)].tag));
        EXPECT_EQ(problem->pName(), expected[static_cast<size_t>(row)]);
        EXPECT_EQ(ItemText(list, row, 0), problem->pTypeName(w.app));
        LVITEMW item{};
        item.mask = LVIF_IMAGE;
        item.iItem = row;
        ListView_GetItem(list, &item);
        EXPECT_EQ(item.iImage, problem->pType()) << row;  // registry 0, shortcut 1, file 2
    }
    EXPECT_FALSE(IsWindowVisible(Control(window, MainWindow::kBigStatStart)));
    testing_support::SaveWindowPicture(window.hwnd(), "main-list-eng");
    EXPECT_GT(shots, 0);

    // The same problems in German, and the statistics face once they are gone.
    DestroyWindow(window.hwnd());
    w.app.LanguageCode = "deu";
    MainWindow german(w.app, nullptr, false);
    ASSERT_TRUE(german.Open(SW_SHOWNORMAL));
    EXPECT_EQ(ListView_GetItemCount(Control(german, MainWindow::kList)), 35);
    testing_support::SaveWindowPicture(german.hwnd(), "main-list-deu");
    DestroyWindow(german.hwnd());
    w.app.Problems.Clear();
    MainWindow empty(w.app, nullptr, false);
    ASSERT_TRUE(empty.Open(SW_SHOWNORMAL));
    EXPECT_TRUE(IsWindowVisible(Control(empty, MainWindow::kBigStatStart)));
    testing_support::SaveWindowPicture(empty.hwnd(), "main-statistics-deu");
}

TEST(MainWindowWine, CancelDuringTheScanStopsIt) {
    SampleWorld w;
    MainWindow window(w.app, nullptr, false);
    ASSERT_TRUE(window.Open(SW_SHOWNORMAL));
    // At the scan's first pass of the message pump, the user presses Cancel.
    window.pump().beforePass = [&] {
        HWND progress = GetLastActivePopup(window.hwnd());
        if (progress != window.hwnd()) SendMessageW(GetDlgItem(progress, IDCANCEL), BM_CLICK, 0, 0);
    };
    Click(window, MainWindow::kCheck);
    EXPECT_TRUE(w.app.Scan.ScanCancelled);
    EXPECT_LT(w.app.Problems.Count(), 35);
    std::vector<std::string> trace = w.Lines("app2.log");
    EXPECT_NE(std::find(trace.begin(), trace.end(), "frmProgress.Cancel"), trace.end());
}

TEST(MainWindowWine, ADueScheduledStartScansAtOnceWithoutTheWelcome) {
    SampleWorld w;
    SaveOptionB(w.app, "userwelcomed", false);
    w.app.ScheduledRun = true;
    MainWindow window(w.app, nullptr, false);
    ASSERT_TRUE(window.Open(SW_SHOWNORMAL));
    SendMessageW(window.hwnd(), WM_TIMER, MainWindow::kStartupTimer, 0);  // the 700 ms are up
    EXPECT_EQ(w.app.Problems.Count(), 35);
    EXPECT_TRUE(w.world.scriptedPrompts.shown.empty());
}

// Runs `answer` on the modal dialog the next click opens, from inside its own loop.
std::function<void(HWND)> pendingAnswer;
void CALLBACK AnswerDialog(HWND owner, UINT, UINT_PTR timer, DWORD) {
    KillTimer(owner, timer);
    HWND dialog = GetLastActivePopup(owner);
    if (dialog != owner && pendingAnswer) pendingAnswer(dialog);
}

TEST(MainWindowWine, OptionsOkKeepsTheRunEntryInTheRealRegistry) {
    SampleWorld w;
    Win32Registry real;
    Platform platform = testing_support::Using(w.platform, real);
    App app(platform, w.folder.path());
    app.BrandAppName = "Brivolex";
    MainWindow window(app, nullptr, false);
    ASSERT_TRUE(window.Open(SW_SHOWNORMAL));
    const std::string run = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Run";
    for (bool enabled : {false, true}) {
        app.LanguageCode = enabled ? "deu" : "eng";
        pendingAnswer = [&](HWND dialog) {
            testing_support::SaveWindowPicture(dialog, enabled ? "options-deu" : "options-eng");
            CheckDlgButton(dialog, IDC_RUN_AUTOMATICALLY, enabled ? BST_CHECKED : BST_UNCHECKED);
            SendMessageW(GetDlgItem(dialog, IDOK), BM_CLICK, 0, 0);
        };
        SetTimer(window.hwnd(), 7, 200, AnswerDialog);
        Click(window, MainWindow::kOptions);
        EXPECT_EQ(GetRegistryValue(app, HKLM, run, "Brivolex"),
                  enabled ? app.AppFile("Brivolex.exe /SCHEDULED") : "");
    }
    RegDeleteKeyValueW(HKEY_LOCAL_MACHINE, L"SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Run", L"Brivolex");
}

// Three of the sample machine's problems selected and repaired with the aggressive
// method and the backup: exactly those are gone (the file and the shortcut to Wine's
// trash), the Run key's backup is on disk, and the list shows the rest.
TEST(MainWindowWine, RepairingTheSelectedRowsRemovesExactlyThose) {
    SampleWorld w;
    fs::create_directory(w.folder.host() / "backup");
    PortableRegExport exporter(w.world.registry, w.platform.files);
    Win32RecycleBin wineTrash;
    ImageRecycleBin bin(w.world.files, wineTrash);
    MainWindow window(w.app, nullptr, false);
    window.UseRepairServices(bin, exporter);
    ASSERT_TRUE(window.Open(SW_SHOWNORMAL));
    Click(window, MainWindow::kCheck);
    HWND list = Control(window, MainWindow::kList);
    ASSERT_EQ(ListView_GetItemCount(list), 35);
    const std::vector<std::string> chosen = {
        "C:\\Users\\Sample\\Desktop\\Old Game.lnk", "HKLM\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Run\\OldUpdater",
        "C:\\Users\\Sample\\AppData\\Local\\Temp\\old-install.log"};
    ListView_SetItemState(list, -1, 0, LVIS_SELECTED);
    for (int row = 0; row < 35; ++row)
        if (std::find(chosen.begin(), chosen.end(), ItemText(list, row, 2)) != chosen.end())
            ListView_SetItemState(list, row, LVIS_SELECTED, LVIS_SELECTED);
    ASSERT_EQ(ListView_GetSelectedCount(list), 3u);
    pendingAnswer = [&](HWND dialog) {
        CheckRadioButton(dialog, IDC_METHOD_CONSERVATIVE, IDC_METHOD_AGGRESSIVE, IDC_METHOD_AGGRESSIVE);
        testing_support::SaveWindowPicture(dialog, "repair-options-eng");
        SendMessageW(GetDlgItem(dialog, IDOK), BM_CLICK, 0, 0);
    };
    SetTimer(window.hwnd(), 7, 200, AnswerDialog);
    Click(window, MainWindow::kRepairWarning);

    EXPECT_EQ(w.app.Problems.Count(), 32);
    EXPECT_EQ(ListView_GetItemCount(list), 32);
    for (int row = 0; row < 32; ++row)
        EXPECT_EQ(std::find(chosen.begin(), chosen.end(), ItemText(list, row, 2)), chosen.end());
    const std::string run = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Run";
    EXPECT_FALSE(RegistryValueExists(w.app, HKLM, run, "OldUpdater"));
    EXPECT_FALSE(fs::exists(w.machine.host() / "C/Users/Sample/Desktop/Old Game.lnk"));
    EXPECT_FALSE(fs::exists(w.machine.host() / "C/Users/Sample/AppData/Local/Temp/old-install.log"));
    std::vector<std::string> lines = w.Lines("app.log");
    EXPECT_NE(std::find(lines.begin(), lines.end(), "Repair started with params 2, True"), lines.end());
    size_t backups = 0;
    for (const auto& entry : fs::directory_iterator(w.folder.host() / "backup")) backups += entry.is_regular_file();
    EXPECT_EQ(backups, 28u);  // one per registry problem of the collection
    EXPECT_EQ(w.world.scriptedPrompts.shown.back().text, "Problems repaired: 3");
}

// The answers to the dialogs a run opens one inside another, each given to the newest
// dialog once it appears.
// Each answer names a control of the dialog it is for.
std::deque<std::pair<int, std::function<void(HWND)>>> queuedAnswers;
// The dialog the user can act on: the visible one not disabled by a dialog above it.
HWND ActiveDialog() {
    HWND found = nullptr;
    EnumThreadWindows(
        GetCurrentThreadId(),
        [](HWND w, LPARAM out) -> BOOL {
            wchar_t name[16] = {};
            GetClassNameW(w, name, 16);
            if (wcscmp(name, L"#32770") != 0 || !IsWindowVisible(w) || !IsWindowEnabled(w)) return TRUE;
            *reinterpret_cast<HWND*>(out) = w;
            return FALSE;
        },
        reinterpret_cast<LPARAM>(&found));
    return found;
}
void CALLBACK AnswerEachDialog(HWND owner, UINT, UINT_PTR timer, DWORD) {
    static HWND answered = nullptr;
    HWND dialog = ActiveDialog();
    if (queuedAnswers.empty()) KillTimer(owner, timer);
    if (!dialog || dialog == answered || queuedAnswers.empty()) return;
    if (!GetDlgItem(dialog, queuedAnswers.front().first)) return;  // not that dialog yet
    answered = dialog;
    auto answer = std::move(queuedAnswers.front().second);
    queuedAnswers.pop_front();
    answer(dialog);
}

// The conservative method asks: which of two copies of a shortcut's moved target (the
// second is chosen), and what to do with a read-only old file (Skip all).
TEST(MainWindowWine, AConservativeRepairAsksForThePathAndReportsWhatItCannotDelete) {
    SampleWorld w;
    const std::vector<std::string> copies = {"C:\\Windows\\A\\game.exe", "C:\\Program Files\\B\\game.exe"};
    for (const std::string& copy : copies) {
        fs::path host = w.world.files.ToHost(copy).value();
        fs::create_directories(host.parent_path());
        testing_support::WriteBytes(host, "x");
    }
    Win32RecycleBin wineTrash;
    ImageRecycleBin bin(w.world.files, wineTrash);
    PortableRegExport exporter(w.world.registry, w.platform.files);
    MainWindow window(w.app, nullptr, false);
    window.UseRepairServices(bin, exporter);
    ASSERT_TRUE(window.Open(SW_SHOWNORMAL));
    Click(window, MainWindow::kCheck);
    const std::string link = "C:\\Users\\Sample\\Desktop\\Old Game.lnk";
    const std::string old = "C:\\Users\\Sample\\AppData\\Local\\Temp\\old-install.log";
    SetFileAttributesW(win::Wide(hostpath::ToUtf8(w.world.files.ToHost(old).value())).c_str(), FILE_ATTRIBUTE_READONLY);
    HWND list = Control(window, MainWindow::kList);
    ListView_SetItemState(list, -1, 0, LVIS_SELECTED);
    for (int row = 0; row < ListView_GetItemCount(list); ++row) {
        std::string name = ItemText(list, row, 2);
        if (name == link || name == old) ListView_SetItemState(list, row, LVIS_SELECTED, LVIS_SELECTED);
    }
    queuedAnswers = {
        {IDC_BACKUP, [](HWND options) {
            CheckDlgButton(options, IDC_BACKUP, BST_UNCHECKED);
            SendMessageW(GetDlgItem(options, IDOK), BM_CLICK, 0, 0);
        }},
        {IDC_SELECT_LIST, [](HWND select) {
            testing_support::SaveWindowPicture(select, "select-path-eng");
            SendMessageW(GetDlgItem(select, IDC_SELECT_LIST), LB_SETCURSEL, 1, 0);
            SendMessageW(GetDlgItem(select, IDOK), BM_CLICK, 0, 0);
        }},
        {IDC_SKIP_ALL, [](HWND error) {
            testing_support::SaveWindowPicture(error, "delete-error-eng");
            SendMessageW(GetDlgItem(error, IDC_SKIP_ALL), BM_CLICK, 0, 0);
        }},
    };
    SetTimer(window.hwnd(), 8, 150, AnswerEachDialog);
    Click(window, MainWindow::kRepairWarning);
    EXPECT_TRUE(queuedAnswers.empty());
    EXPECT_EQ(w.app.Problems.Count(), 34);
    ShellLinkInfo info;
    ShellLinkError error;
    ASSERT_TRUE(w.world.links.Read(link, info, error)) << error.description;
    EXPECT_EQ(info.target, copies[1]);
    EXPECT_TRUE(fs::exists(w.world.files.ToHost(old).value()));
}

// The sample machine planted into the real registry and drive C: of a Wine prefix of
// its own (tests/prefix/PlantedSampleRepair.sh runs this there): from the window, a
// conservative repair with the backup of four of its problems changes exactly those,
// the backups are on disk, and REG IMPORT of them puts back what was deleted.
TEST(MainWindowWine, RepairsTheSampleProblemsPlantedInTheRealMachine) {
    if (!std::getenv("BRIVOLEX_PLANTED_SAMPLE"))
        GTEST_SKIP() << "runs in the prefix tests/prefix/PlantedSampleRepair.sh plants the sample into";
    ScratchFolder folder("app");
    fs::path program = hostpath::FromUtf8(BRIVOLEX_PROGRAM_DIR);
    fs::copy(program / "languages", folder.host() / "languages", fs::copy_options::recursive);
    fs::create_directory(folder.host() / "backup");
    SystemPlatform system;
    ScriptedPrompts prompts;  // the messages are read, not waited on
    Platform real{system.registry, system.files,  system.profile, system.clock,
                  system.locale,   system.system, prompts,        system.links};
    App app(real, folder.path());
    PrepareApplication(app, false);
    SaveOptionB(app, "userwelcomed", true);
    Win32RecycleBin bin;
    Win32Processes reg;
    MainWindow window(app, nullptr, false);
    window.UseRepairServices(bin, reg);
    ASSERT_TRUE(window.Open(SW_SHOWNORMAL));
    Click(window, MainWindow::kCheck);
    HWND list = Control(window, MainWindow::kList);
    const int found = ListView_GetItemCount(list);
    const std::string run = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Run";
    const std::string server = "CLSID\\{11111111-2222-3333-4444-000000000006}\\LocalServer32";
    const std::vector<std::string> chosen = {"HKLM\\" + run + "\\OldUpdater", "HKCR\\Old.Plugin", "HKCR\\" + server,
                                             "C:\\Users\\Public\\Desktop\\Old Tool.lnk"};
    ListView_SetItemState(list, -1, 0, LVIS_SELECTED);
    for (int row = 0; row < found; ++row)
        if (std::find(chosen.begin(), chosen.end(), ItemText(list, row, 2)) != chosen.end())
            ListView_SetItemState(list, row, LVIS_SELECTED, LVIS_SELECTED);
    ASSERT_EQ(ListView_GetSelectedCount(list), chosen.size());
    int registryProblems = 0;
    for (const ProblemRef& p : app.Problems) registryProblems += p->pType() == kTypeRegistry;
    pendingAnswer = [&](HWND dialog) { SendMessageW(GetDlgItem(dialog, IDOK), BM_CLICK, 0, 0); };
    SetTimer(window.hwnd(), 7, 200, AnswerDialog);
    Click(window, MainWindow::kRepairWarning);

    ASSERT_FALSE(prompts.shown.empty());
    EXPECT_EQ(prompts.shown.back().text, "Problems repaired: 4");
    EXPECT_EQ(ListView_GetItemCount(list), found - 4);
    for (int row = 0; row < found - 4; ++row)
        EXPECT_EQ(std::find(chosen.begin(), chosen.end(), ItemText(list, row, 2)), chosen.end());
    EXPECT_FALSE(RegistryValueExists(app, HKLM, run, "OldUpdater"));
    EXPECT_FALSE(RegistryKeyExists(app, HKCR, "Old.Plugin"));
    EXPECT_FALSE(RegistryKeyExists(app, HKCR, server));
    ShellLinkInfo link;
    ShellLinkError error;
    ASSERT_TRUE(system.links.Read("C:\\Users\\Public\\Desktop\\Old Tool.lnk", link, error)) << error.description;
    EXPECT_TRUE(text::EqualsNoCase(link.target, "C:\\Program Files\\Tools\\tool.exe")) << link.target;

    // The backup: one file per registry problem of the collection; imported again,
    // they give back every key and value the repair deleted.
    std::vector<std::string> backups;
    for (const auto& entry : fs::directory_iterator(folder.host() / "backup"))
        backups.push_back(folder.File("backup\\" + entry.path().filename().string()));
    EXPECT_EQ(static_cast<int>(backups.size()), registryProblems);
    for (const std::string& file : backups) ASSERT_TRUE(reg.Start("REG IMPORT \"" + file + "\"")) << file;
    ASSERT_TRUE(reg.WaitForAll(120000));
    EXPECT_TRUE(RegistryValueExists(app, HKLM, run, "OldUpdater"));
    EXPECT_TRUE(RegistryKeyExists(app, HKCR, "Old.Plugin\\CLSID"));
    EXPECT_TRUE(RegistryKeyExists(app, HKCR, server));
}

TEST(MainWindowWine, PlaceSizeStateAndColumnsSurviveAReopen) {
    SampleWorld w;
    {
        MainWindow window(w.app, nullptr, false);
        ASSERT_TRUE(window.Open(SW_SHOWNORMAL));
        SetWindowPos(window.hwnd(), nullptr, 40, 50, 900, 640, SWP_NOZORDER);
        ListView_SetColumnWidth(Control(window, MainWindow::kList), 2, 300);
        ShowWindow(window.hwnd(), SW_MAXIMIZE);
    }
    MainWindow again(w.app, nullptr, false);
    ASSERT_TRUE(again.Open(SW_SHOWNORMAL));
    EXPECT_TRUE(IsZoomed(again.hwnd()));
    EXPECT_EQ(ListView_GetColumnWidth(Control(again, MainWindow::kList), 2), 300);
    ShowWindow(again.hwnd(), SW_RESTORE);
    RECT r;
    GetWindowRect(again.hwnd(), &r);
    EXPECT_EQ(r.left * 10000 + r.top, 40 * 10000 + 50);
    EXPECT_EQ((r.right - r.left) * 10000 + (r.bottom - r.top), 900 * 10000 + 640);
}

// Brivolex.exe itself opens its window on an interactive start and ends when it closes.
TEST(MainWindowWine, TheProgramOpensItsWindowAndClosesCleanly) {
    ScratchFolder folder("exe");
    ASSERT_TRUE(testing_support::CopyProgram("Brivolex.exe", folder.path()));
    testing_support::WriteBytes(folder.HostFile("setup.ini"),
                                "[Main]\r\nuserwelcomed=1\r\nwasfirstrun=1\r\nrunautomatically=0\r\n");
    std::wstring command = L"\"" + win::Wide(folder.File("Brivolex.exe")) + L"\"";
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION info{};
    ASSERT_TRUE(CreateProcessW(nullptr, command.data(), nullptr, nullptr, FALSE, 0, nullptr,
                               win::Wide(folder.path()).c_str(), &startup, &info));
    HWND main = nullptr;
    for (int i = 0; i < 200 && !main; ++i) {
        Sleep(100);
        for (HWND w = FindWindowW(L"BrivolexMainWindow", nullptr); w && !main;
             w = FindWindowExW(nullptr, w, L"BrivolexMainWindow", nullptr)) {
            DWORD process = 0;
            GetWindowThreadProcessId(w, &process);
            if (process == info.dwProcessId) main = w;
        }
    }
    ASSERT_NE(main, nullptr);
    PostMessageW(main, WM_CLOSE, 0, 0);
    EXPECT_EQ(WaitForSingleObject(info.hProcess, 20000), WAIT_OBJECT_0);
    DWORD code = 99;
    GetExitCodeProcess(info.hProcess, &code);
    CloseHandle(info.hProcess);
    CloseHandle(info.hThread);
    EXPECT_EQ(code, 0u);
    std::vector<std::string> trace = testing_support::ReadLines(folder.HostFile("app2.log"));
    EXPECT_NE(std::find(trace.begin(), trace.end(), "Form1.Load"), trace.end());
    EXPECT_NE(std::find(trace.begin(), trace.end(), "Form1.Unload"), trace.end());
}

}  // namespace
