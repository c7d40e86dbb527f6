// The repair engine on the real things under Wine: the registry below a scratch key of
// HKEY_CURRENT_USER, backed up by REG EXPORT and read back, a file sent to Wine's
// trash, a shortcut retargeted by the shell's link object and read back, and a run
// cancelled on the third of five problems.
#include <windows.h>

#include <shlguid.h>
#include <shobjidl.h>

#include <gtest/gtest.h>

#include <cstdlib>

#include "platform/portable/InMemoryRegistry.h"
#include "platform/portable/RegFile.h"
#include "platform/win32/ComPtr.h"
#include "platform/win32/SystemPlatform.h"
#include "platform/win32/Win32Processes.h"
#include "platform/win32/Win32RecycleBin.h"
#include "platform/win32/WinText.h"
#include "repair/Backup.h"
#include "repair/RepairRun.h"
#include "repair/RepairUi.h"
#include "scan/RegistryRead.h"
#include "tests/TestSupport.h"

using namespace testing_support;
namespace fs = std::filesystem;

namespace {

void SaveLink(const std::string& file, const std::string& target) {
    win::ComApartment com;
    ASSERT_TRUE(SUCCEEDED(com.Enter()));
    win::ComPtr<IShellLinkW> link;
    ASSERT_EQ(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkW, link.put()), S_OK);
    ASSERT_TRUE(SUCCEEDED(link->SetPath(win::Wide(target).c_str())));
    win::ComPtr<IPersistFile> persist;
    ASSERT_EQ(link->QueryInterface(IID_IPersistFile, persist.put()), S_OK);
    ASSERT_EQ(persist->Save(win::Wide(file).c_str(), TRUE), S_OK);
}

// Presses Cancel once the given problem comes up: the run finishes it and stops.
struct CancellingUi : RepairUi {
    bool ShowDeleteError(const std::string& message, const std::string&) override {
        errors.push_back(message);
        return false;
    }
    std::string SelectPath(const std::string&, const std::vector<std::string>& candidates) override {
        return candidates.front();
    }
    void ShowRepairItem(const std::string&) override {
        if (++shown == cancelAt) running = false;
    }
    void ShowRepairStatus(const std::string&) override {}
    void AdvanceBar(int) override {}
    int shown = 0, cancelAt = 0;
    bool running = true;
    std::vector<std::string> errors;
};

// A scratch key of HKEY_CURRENT_USER, gone with everything below it afterwards.
struct ScratchKey {
    ScratchKey() : path("Software\\Brivolex-test-" + std::to_string(GetCurrentProcessId())) {}
    ~ScratchKey() { RegDeleteTreeW(HKEY_CURRENT_USER, win::Wide(path).c_str()); }
    void Put(const std::string& key, const std::string& name, const std::string& data) {
        HKEY opened = nullptr;
        ASSERT_EQ(RegCreateKeyExW(HKEY_CURRENT_USER, win::Wide(path + "\\" + key).c_str(), 0, nullptr, 0,
                                  KEY_ALL_ACCESS, nullptr, &opened, nullptr),
                  ERROR_SUCCESS);
        std::wstring wide = win::Wide(data);
        RegSetValueExW(opened, win::Wide(name).c_str(), 0, REG_SZ, reinterpret_cast<const BYTE*>(wide.c_str()),
                       static_cast<DWORD>((wide.size() + 1) * sizeof(wchar_t)));
        RegCloseKey(opened);
    }
    std::string path;
};

TEST(RealRepairWine, BackedUpChangedRetargetedRecycledAndCancelledOnTheThird) {
    ScratchFolder app("app"), disk("disk");
    fs::create_directories(app.host() / "backup");
    fs::create_directories(disk.host() / "Windows");
    fs::create_directories(disk.host() / "Program Files" / "Tool");
    ScratchKey scratch;
    scratch.Put("Run", "Gone", "C:\\nowhere\\gone.exe");
    scratch.Put("Run", "Kept", "C:\\windows\\notepad.exe");
    scratch.Put("Classes\\Old.Plugin", "", "Old plugin");
    scratch.Put("Classes\\Old.Plugin\\CLSID", "", "{00000000-0000-0000-0000-000000000001}");
    scratch.Put("Help", "gone.hlp", "C:\\nowhere");

    // The shortcut's target moved into Program Files; the old file waits for the bin.
    const std::string oldTarget = disk.File("tool.exe"), moved = disk.File("Program Files\\Tool\\tool.exe");
    WriteBytes(disk.HostFile("tool.exe"), "MZ");
    SaveLink(disk.File("Tool.lnk"), oldTarget);
    fs::rename(disk.HostFile("tool.exe"), disk.HostFile("Program Files/Tool/tool.exe"));
    const std::string stale = "stale-" + std::to_string(GetCurrentProcessId()) + ".tmp";
    WriteBytes(disk.HostFile(stale), "old");

    SystemPlatform system;
    App a(system.platform, app.path());
    a.WindowsFolder = disk.File("Windows");
    a.ProgramFilesFolder = disk.File("Program Files");
    auto problem = [&](int32_t type, int32_t check, const std::string& key, const std::string& value,
                       const std::string& file, const std::string& missing) {
        auto p = std::make_shared<clsItem>();
        p->pType(type);
        p->pInternalType = check;
        p->pCureKeyRoot = static_cast<int32_t>(HKCU);
        p->pCureKeyName = key.empty() ? "" : scratch.path + "\\" + key;
        p->pCureKeyValueName = value;
        p->pCureFilename = file;
        p->pCureMissingfile = missing;
        p->pName(file.empty() ? p->pCureKeyName + "\\" + value : file);
        a.Problems.Add(p);
    };
    problem(kTypeRegistry, kCheckRunUser, "Run", "Gone", "", "C:\\nowhere\\gone.exe");
    problem(kTypeFile, kCheckNone, "", "", disk.File(stale), "");
    problem(kTypeShortcut, kCheckNone, "", "", disk.File("Tool.lnk"), oldTarget);
    problem(kTypeRegistry, kCheckProgId, "Classes\\Old.Plugin", "", "", "");
    problem(kTypeRegistry, kCheckHelpFiles, "Help", "gone.hlp", "", "C:\\nowhere\\gone.hlp");
    a.Problems.Item(2)->pSTATUS = kStatusUnusedFile;

    // The backup: REG's files, complete before anything changes, hold the keys as they are.
    Win32Processes reg;
    std::vector<BackupFile> files = BackupRegistry(a, reg);
    ASSERT_EQ(files.size(), 3u);
    EXPECT_EQ(UnsavedKeys(a, reg, files), std::vector<std::string>{});
    InMemoryRegistry saved;
    for (const BackupFile& f : files) {
        std::string error;
        ASSERT_TRUE(ImportRegFile(saved, ReadBytes(hostpath::FromUtf8(f.file)), error)) << f.file << ": " << error;
    }
    RegValue value;
    ScopedRegKey run(saved);
    ASSERT_EQ(run.Open(HKCU, scratch.path + "\\Run", KEY_QUERY_VALUE_), kRegSuccess);
    ASSERT_EQ(saved.QueryValue(run.Get(), "Gone", 1024, value), kRegSuccess);
    EXPECT_EQ(value.data, std::string("C:\\nowhere\\gone.exe") + '\0');
    EXPECT_TRUE(RegistryKeyExists(a, HKCU, scratch.path + "\\Classes\\Old.Plugin\\CLSID"));

    a.Repair.RepairMethod = kMethodConservative;
    Win32RecycleBin bin;
    CancellingUi ui;
    ui.cancelAt = 3;
    RepairContext c{a, bin, ui};
    std::vector<RepairRow> rows;
    for (int i = 1; i <= 5; ++i) rows.push_back({true, std::to_string(i)});
    RunRepair(c, rows, ui.running);

    EXPECT_EQ(ui.shown, 3);
    EXPECT_TRUE(ui.errors.empty());
    // 1: the value is gone, its neighbour kept.
    EXPECT_FALSE(RegistryValueExists(a, HKCU, scratch.path + "\\Run", "Gone"));
    EXPECT_TRUE(RegistryValueExists(a, HKCU, scratch.path + "\\Run", "Kept"));
    // 2: the file left its folder for Wine's trash.
    EXPECT_FALSE(fs::exists(disk.HostFile(stale)));
    // Wine's trash is the Unix user's, in the home Wine names as \??\Z:\... (or where
    // XDG_DATA_HOME, passed on from the Unix side, says).
    const char* data = std::getenv("XDG_DATA_HOME");
    const char* home = std::getenv("WINEHOMEDIR");
    ASSERT_TRUE(data || home);
    fs::path trash = data ? fs::path("Z:" + std::string(data))
                          : fs::path(std::string(home).substr(std::string(home).find(':') - 1)) / ".local/share";
    trash /= "Trash/files";
    EXPECT_TRUE(fs::exists(trash / stale)) << trash;
    fs::remove(trash / stale);
    fs::remove(trash.parent_path() / "info" / (stale + ".trashinfo"));
    // 3: the shell reads the shortcut's new target.
    ShellLinkInfo info;
    ShellLinkError error;
    ASSERT_TRUE(system.links.Read(disk.File("Tool.lnk"), info, error)) << error.description;
    EXPECT_TRUE(text::EqualsNoCase(info.target, moved)) << info.target;
    // 4 and 5: not reached.
    EXPECT_TRUE(RegistryKeyExists(a, HKCU, scratch.path + "\\Classes\\Old.Plugin\\CLSID"));
    EXPECT_TRUE(RegistryValueExists(a, HKCU, scratch.path + "\\Help", "gone.hlp"));
    for (int i = 1; i <= 5; ++i) EXPECT_EQ(a.Problems.Item(i)->pType(), i <= 3 ? kTypeCured : kTypeRegistry) << i;
}

}  // namespace
