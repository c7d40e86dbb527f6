// Under Wine: the "Save results..." button with the real save dialog, the RunOnce
// entries in the real registry, and DUzovoz.exe itself, started by hand and by the
// Options dialog's "Update now".
#include <windows.h>

#include <gtest/gtest.h>

#include <filesystem>
#include <functional>

#include "core/Options.h"
#include "core/Updater.h"
#include "platform/Text.h"
#include "platform/win32/Win32Registry.h"
#include "platform/win32/WinText.h"
#include "problems/clsItem.h"
#include "scan/RegistryRead.h"
#include "tests/TestSupport.h"
#include "tests/win32/ProgramRunner.h"
#include "ui/MainCommands.h"
#include "ui/MainForm.h"
#include "ui/SaveResults.h"
#include "ui/win32/MainWindow.h"
#include "ui/win32/Resources.h"
#include "updater/Sha256.h"

using testing_support::ReadBytes;
using testing_support::ReadLines;
using testing_support::ScratchFolder;
using testing_support::WriteBytes;
namespace fs = std::filesystem;

namespace {

constexpr char kRunOnce[] = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\RunOnce";
const fs::path kProgramDir = hostpath::FromUtf8(BRIVOLEX_PROGRAM_DIR);

std::shared_ptr<clsItem> Problem(const std::string& name, const std::string& description) {
    auto item = std::make_shared<clsItem>();
    item->pType(kTypeShortcut);
    item->pName(name);
    item->pDescription = description;
    return item;
}

// The shell's "open" is recorded instead of done; the save dialog is the real one.
struct RecordingShell : Win32Shell {
    bool OpenDocument(const std::string& path) override {
        opened.push_back(path);
        return true;
    }
    std::vector<std::string> opened;
};

// Types `name` into the save dialog the next click opens and presses Save, from a timer
// that fires inside the dialog's own loop until the dialog is there.
std::wstring typedName;
void CALLBACK AnswerSaveDialog(HWND owner, UINT, UINT_PTR timer, DWORD) {
    HWND dialog = GetLastActivePopup(owner);
    if (dialog == owner) return;
    HWND name = GetDlgItem(dialog, 0x47c);        // cmb13, the file name's combo box
    if (!name) name = GetDlgItem(dialog, 0x480);  // edt1
    if (!name) return;
    KillTimer(owner, timer);
    SetWindowTextW(name, typedName.c_str());
    PostMessageW(dialog, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED),
                 reinterpret_cast<LPARAM>(GetDlgItem(dialog, IDOK)));
}

TEST(MainWindowWine, SaveResultsWritesTheReportWhereTheRealDialogSaysAndAsksToOpenIt) {
    testing_support::TestApp t;
    fs::copy(kProgramDir / "languages", t.folder.host() / "languages", fs::copy_options::recursive);
    SaveOptionB(t.app, "userwelcomed", true);
    t.app.Problems.Add(Problem("C:\\a<b&c.lnk", "Links to nonexisting file C:\\x.exe"));
    t.app.Problems.Add(
        Problem("C:\\\xC5\x81\xC3\xB3"
                "d\xC5\xBA \xC4\x81.lnk",
                "caf\xC3\xA9"));  // Łódź ā, café
    RecordingShell shell;
    MainWindow window(t.app, nullptr, false, &shell);
    ASSERT_TRUE(window.Open(SW_SHOWNORMAL));
    typedName = L"results";  // no extension: the dialog adds ".htm"
    SetTimer(window.hwnd(), 8, 100, AnswerSaveDialog);
    SendMessageW(GetDlgItem(window.hwnd(), MainWindow::kSaveResults), BM_CLICK, 0, 0);

    std::string file = t.folder.File("results.htm");
    EXPECT_EQ(shell.opened, std::vector<std::string>{file});
    std::vector<std::string> expected = ReportLines(t.app),
                             written = ReadLines(t.folder.HostFile("results.htm"));
    ASSERT_EQ(written.size(), expected.size());
    EXPECT_EQ(written[1], "<h1>Brivolex scan results</h1>");
    EXPECT_EQ(written[4], expected[4]);
    // What the ANSI code page has stays; for what it lacks Windows writes its best fit
    // (L, z, a), Wine 8 has none and writes '?'.
    std::string inCodePage = expected[10];
    for (const char* lacking : {"\xC5\x81", "\xC5\xBA", "\xC4\x81"})
        inCodePage = text::ReplaceAll(inCodePage, lacking, "?");
    EXPECT_EQ(written[10], inCodePage);
    EXPECT_EQ(written[11], "caf\xC3\xA9");
    EXPECT_EQ(ReadLines(t.folder.HostFile("app2.log")).back(), "Results saved to " + file);
}

TEST(UpdaterWine, TheFirstStartAndTheFirstScanLeaveTheirRunOnceEntries) {
    // Brivolex.exe's first start, a scheduled one that is not due.
    ScratchFolder folder("exe");
    ASSERT_TRUE(testing_support::CopyProgram("Brivolex.exe", folder.path()));
    WriteBytes(folder.HostFile("setup.ini"), "[Main]\r\nrunautomatically=0\r\n");
    auto run = testing_support::RunProgram(folder.path(), "Brivolex.exe", "/SCHEDULED");
    ASSERT_TRUE(run.finished);
    Win32Registry real;
    testing_support::TestApp t;
    Platform platform = testing_support::Using(t.world.platform, real);
    App app(platform, folder.path());
    EXPECT_EQ(GetRegistryValue(app, HKLM, kRunOnce, "update_lustrant2"),
              "\"" + folder.File("DUzovoz.exe") + "\" /FIRSTRUN");
    EXPECT_EQ(GetOptionS(app, "wasfirstrun", ""), "1");

    // The first scan, with 2 problems.
    struct Host : MainWindowHost {
        explicit Host(App& app) : app(app) {}
        void ShowProgressWindow() override {
            app.Problems.Add(Problem("C:\\a.lnk", ""));
            app.Problems.Add(Problem("C:\\b.lnk", ""));
        }
        void ShowOptionsDialog() override {}
        void ShowNow() override {}
        App& app;
    } host(app);
    MainFormModel model;
    MainForm form(app, model, ScreenMetrics{});
    ScanCommand(app, form, host);
    EXPECT_EQ(GetRegistryValue(app, HKLM, kRunOnce, "update_lustrant3"),
              "\"" + folder.File("DUzovoz.exe") + "\" /FIRSTERRORS_2");
    for (const wchar_t* name : {L"update_lustrant2", L"update_lustrant3"})
        RegDeleteKeyValueW(HKEY_LOCAL_MACHINE, win::Wide(kRunOnce).c_str(), name);
}

// An installed program (Brivolex.exe, DUzovoz.exe, the languages and the user's files)
// and an update source beside it.
struct Installation {
    Installation() {
        for (const char* program : {"Brivolex.exe", "DUzovoz.exe"})
            EXPECT_TRUE(testing_support::CopyProgram(program, app.path()));
        fs::copy(kProgramDir / "languages", app.host() / "languages", fs::copy_options::recursive);
        for (const auto& [name, bytes] : userFiles) {
            fs::create_directories(app.HostFile(name).parent_path());
            WriteBytes(app.HostFile(name), bytes);
        }
    }
    // latest.ini of `version` with the files of `files` (name, bytes); the file named
    // `damaged` changes after its digest was taken.
    void Source(const std::string& version,
                const std::vector<std::pair<std::string, std::string>>& files,
                const std::string& damaged = "") {
        std::string latest = "version=" + version + "\r\n";
        for (const auto& [name, bytes] : files) {
            fs::create_directories(source.HostFile(name).parent_path());
            WriteBytes(source.HostFile(name), bytes);
            latest += "file=" + FileSha256(win::Wide(source.File(name))) + " " + name + "\r\n";
            if (name == damaged) WriteBytes(source.HostFile(name), bytes + "!");
        }
        WriteBytes(source.HostFile("latest.ini"), latest);
        WriteBytes(app.HostFile("updatesetup.ini"),
                   "update_source=" + source.path() + "\r\nlast_version=1.0.0.0\r\n");
    }
    std::string Log() {
        std::vector<std::string> lines = ReadLines(app.HostFile("update.log"));
        return lines.empty() ? "" : lines.back().substr(20);  // without the time stamp
    }
    // The user's files, which an update keeps.
    const std::vector<std::pair<std::string, std::string>> userFiles = {
        {"setup.ini", "[Main]\r\nuserwelcomed=1\r\nwasfirstrun=1\r\nrunautomatically=0\r\n"},
        {"app.log", "an old line\r\n"},
        {"backup\\HKCR.reg", "REGEDIT4\r\n"},
        {"languages\\_missing.txt", "[Lang_eng]\r\n"},
    };
    ScratchFolder app{"installed"}, source{"source"};
};

// The built program's version, and one newer.
std::string Version(int tweak) {
    return std::to_string(BRIVOLEX_VERSION_MAJOR) + "." + std::to_string(BRIVOLEX_VERSION_MINOR) +
           "." + std::to_string(BRIVOLEX_VERSION_PATCH) + "." + std::to_string(tweak);
}
std::string InstalledVersion() {
    return Version(BRIVOLEX_VERSION_TWEAK);
}
std::string NewerVersion() {
    return Version(BRIVOLEX_VERSION_TWEAK + 1);
}

TEST(UpdaterWine, DUzovozRecordsThePingsAndRefusesWhatItCannotInstall) {
    ScratchFolder hashed("sha");
    WriteBytes(hashed.HostFile("abc"), "abc");
    ASSERT_EQ(FileSha256(win::Wide(hashed.File("abc"))),
              "ba7816bf8f01cfea414140de5dae2223b00361a396177a9cb410ff61f20015ad");
    struct Case {
        std::string arguments;
        std::function<void(Installation&)> prepare;
        DWORD exitCode;
        std::string box;  // the start of the one message box's text, "" for none
        std::string log;
    } cases[] = {
        {"/FIRSTRUN", nullptr, 0, "", "/FIRSTRUN"},
        {"/firsterrors_12", nullptr, 0, "", "/FIRSTERRORS_12"},
        {"/FIRSTERRORS_C", nullptr, 0, "", "/FIRSTERRORS_C"},
        {"/FIRSTERRORS_x", nullptr, 2, "", "Unknown arguments: /FIRSTERRORS_x"},
        {"", nullptr, 1, "The update settings cannot be read.",
         "Update failed: " + std::string() + "%APP%\\updatesetup.ini cannot be read"},
        {"",
         [](Installation& i) {
             i.Source(InstalledVersion(), {{"new.txt", "new"}});
         },
         0, "Brivolex is up to date. (" + InstalledVersion() + ")", "Update: up to date"},
        {"",
         [](Installation& i) {
             i.Source(NewerVersion(),
                      {{"Brivolex.exe", ReadBytes(kProgramDir / "Brivolex.exe")},
                       {"new.txt", "new"},
                       {"languages\\eng.txt", "[Lang]\r\n"}},
                      "languages\\eng.txt");
         },
         1, "A file of the update is damaged. Nothing was changed.",
         "Update failed: SHA-256 of languages\\eng.txt does not match latest.ini"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.arguments + " " + c.log);
        Installation i;
        if (c.prepare) c.prepare(i);
        std::string before = ReadBytes(i.app.HostFile("languages\\eng.txt"));
        auto run = testing_support::RunProgram(i.app.path(), "DUzovoz.exe", c.arguments);
        ASSERT_TRUE(run.finished);
        EXPECT_EQ(run.exitCode, c.exitCode);
        ASSERT_EQ(run.messageBoxTexts.size(), c.box.empty() ? 0u : 1u);
        if (!c.box.empty()) {
            EXPECT_TRUE(run.messageBoxTexts[0].starts_with(c.box)) << run.messageBoxTexts[0];
        }
        std::string log = c.log;
        if (log.find("%APP%") != std::string::npos) log.replace(log.find("%APP%"), 5, i.app.path());
        EXPECT_EQ(i.Log(), log);
        // Nothing was installed.
        EXPECT_EQ(ReadBytes(i.app.HostFile("Brivolex.exe")),
                  ReadBytes(kProgramDir / "Brivolex.exe"));
        EXPECT_EQ(ReadBytes(i.app.HostFile("languages\\eng.txt")), before);
        EXPECT_FALSE(fs::exists(i.app.HostFile("new.txt")) ||
                     fs::exists(i.app.HostFile("update.staging")));
    }
}

HWND WindowOf(const wchar_t* className, DWORD processId) {
    struct Search {
        const wchar_t* className;
        DWORD processId;
        HWND found;
    } search{className, processId, nullptr};
    EnumWindows(
        [](HWND hwnd, LPARAM param) -> BOOL {
            auto* s = reinterpret_cast<Search*>(param);
            DWORD pid = 0;
            GetWindowThreadProcessId(hwnd, &pid);
            wchar_t name[64] = {};
            GetClassNameW(hwnd, name, 64);
            if (pid != s->processId || wcscmp(name, s->className) != 0 || !IsWindowVisible(hwnd))
                return TRUE;
            s->found = hwnd;
            return FALSE;
        },
        reinterpret_cast<LPARAM>(&search));
    return search.found;
}

// Waits up to 30 s for `found` to give a window.
HWND WaitForWindow(const std::function<HWND()>& found) {
    for (int i = 0; i < 300; ++i) {
        if (HWND hwnd = found()) return hwnd;
        Sleep(100);
    }
    return nullptr;
}

TEST(UpdaterWine, UpdateNowInTheOptionsDialogInstallsTheNewVersionAndKeepsTheUsersFiles) {
    Installation i;
    const std::string newLanguage =
        ReadBytes(kProgramDir / "languages" / "eng.txt") + "updated=1\r\n";
    i.Source(NewerVersion(), {{"Brivolex.exe", ReadBytes(kProgramDir / "Brivolex.exe")},
                              {"languages\\eng.txt", newLanguage},
                              {"docs\\new.txt", "new"},
                              {"setup.ini", "[Main]\r\nlanguage=xyz\r\n"}});
    std::wstring command = L"\"" + win::Wide(i.app.File("Brivolex.exe")) + L"\"";
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION info{};
    ASSERT_TRUE(CreateProcessW(nullptr, command.data(), nullptr, nullptr, FALSE, 0, nullptr,
                               win::Wide(i.app.path()).c_str(), &startup, &info));
    CloseHandle(info.hThread);
    HWND main = WaitForWindow([&] { return WindowOf(L"BrivolexMainWindow", info.dwProcessId); });
    ASSERT_NE(main, nullptr);
    PostMessageW(main, WM_COMMAND, MAKEWPARAM(MainWindow::kOptions, BN_CLICKED), 0);
    HWND options = WaitForWindow([&] { return WindowOf(L"#32770", info.dwProcessId); });
    ASSERT_NE(options, nullptr);
    PostMessageW(options, WM_COMMAND, MAKEWPARAM(IDC_UPDATE, BN_CLICKED),
                 reinterpret_cast<LPARAM>(GetDlgItem(options, IDC_UPDATE)));
    // The program closes; the updater installs the new version and starts it.
    EXPECT_EQ(WaitForSingleObject(info.hProcess, 30000), WAIT_OBJECT_0);
    CloseHandle(info.hProcess);
    HWND again = WaitForWindow([&] {
        HWND w = FindWindowW(L"BrivolexMainWindow", nullptr);
        return w && w != main ? w : nullptr;
    });
    ASSERT_NE(again, nullptr) << i.Log();
    DWORD newProcessId = 0;
    GetWindowThreadProcessId(again, &newProcessId);
    HANDLE newProcess = OpenProcess(SYNCHRONIZE, FALSE, newProcessId);
    PostMessageW(again, WM_CLOSE, 0, 0);
    EXPECT_EQ(WaitForSingleObject(newProcess, 30000), WAIT_OBJECT_0);
    CloseHandle(newProcess);

    EXPECT_EQ(i.Log(), "Update: installed " + NewerVersion() + ", 3 files");
    EXPECT_EQ(ReadBytes(i.app.HostFile("languages\\eng.txt")), newLanguage);
    EXPECT_EQ(ReadBytes(i.app.HostFile("docs\\new.txt")), "new");
    for (const auto& [name, bytes] : i.userFiles) {
        // The program adds to its log and, when its window closes, to setup.ini.
        if (name == "app.log" || name == "setup.ini") {
            EXPECT_TRUE(ReadBytes(i.app.HostFile(name)).starts_with(bytes)) << name;
        } else {
            EXPECT_EQ(ReadBytes(i.app.HostFile(name)), bytes) << name;
        }
    }
    // "Update now" took out the old last_version; the updater wrote the new one.
    EXPECT_EQ(ReadBytes(i.app.HostFile("updatesetup.ini")),
              "update_source=" + i.source.path() + "\r\nlast_version=" + NewerVersion() + "\r\n");
    EXPECT_FALSE(fs::exists(i.app.HostFile("update.staging")) ||
                 fs::exists(i.app.HostFile("update.old")));
}

}  // namespace
