// ExportRegFile against the system's own REG EXPORT: the same bytes from the real
// registry, and again from an in-memory registry loaded from REG EXPORT's file. (The
// layout of every kind of value, as REG EXPORT writes it, is RegFileTest's golden file.)
#include <windows.h>

#include <gtest/gtest.h>

#include <chrono>

#include "platform/Text.h"
#include "platform/portable/InMemoryRegistry.h"
#include "platform/portable/RegFile.h"
#include "platform/win32/Win32Registry.h"
#include "platform/win32/WinText.h"
#include "tests/TestSupport.h"

using testing_support::ReadBytes;
using testing_support::ScratchFolder;

namespace {

// Runs a command line and waits for it; its exit code, or -1 when it did not start.
long Run(const std::wstring& commandLine) {
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process{};
    std::wstring line = commandLine;
    if (!CreateProcessW(nullptr, line.data(), nullptr, nullptr, FALSE, CREATE_NO_WINDOW, nullptr,
                        nullptr, &startup, &process))
        return -1;
    WaitForSingleObject(process.hProcess, 60000);
    DWORD code = 0;
    GetExitCodeProcess(process.hProcess, &code);
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    return static_cast<long>(code);
}

// The REG EXPORT file of hive\path (hive as REG names it), "" when it failed.
std::string RunRegExport(const ScratchFolder& folder, const std::string& key) {
    std::string file = folder.File("export.reg");
    if (Run(L"reg.exe export \"" + win::Wide(key) + L"\" \"" + win::Wide(file) + L"\" /y") != 0)
        return "";
    return ReadBytes(folder.HostFile("export.reg"));
}

class RegExport : public ::testing::Test {
  protected:
    void SetUp() override {
        path = "Software\\BrivolexRegExport-" +
               std::to_string(std::chrono::steady_clock::now().time_since_epoch().count());
        ASSERT_EQ(RegCreateKeyExW(HKEY_CURRENT_USER, win::Wide(path).c_str(), 0, nullptr, 0,
                                  KEY_ALL_ACCESS, nullptr, &key, nullptr),
                  ERROR_SUCCESS);
    }
    void TearDown() override {
        if (key) RegCloseKey(key);
        RegDeleteTreeW(HKEY_CURRENT_USER, win::Wide(path).c_str());
        RegDeleteKeyW(HKEY_CURRENT_USER, win::Wide(path).c_str());
    }
    HKEY Create(const wchar_t* sub) {
        HKEY created = nullptr;
        RegCreateKeyExW(key, sub, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &created, nullptr);
        return created;
    }

    ScratchFolder folder{"regx"};
    std::string path;
    HKEY key = nullptr;
};

// The spelling a key path is given in, a whole hive, and the thousands of keys of the
// system's own interfaces that nobody here wrote and no other test changes.
TEST_F(RegExport, KeysAndHivesExportAsRegExportWritesThemAndReloadUnchanged) {
    RegCloseKey(Create(L"Lower"));
    std::string lower = text::ToLower(path);
    struct Case {
        std::string
            forReg;  // (A "\" before the closing quote would escape it on REG's command line.)
        RegKey hive;
        std::string path;
    } cases[] = {{"hkcu\\" + lower + "\\LOWER", HKCU, lower + "\\LOWER\\"},
                 {"HKCC", HKCC, ""},
                 {"HKEY_CLASSES_ROOT\\Interface", HKCR, "Interface"}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.forReg);
        std::string expected = RunRegExport(folder, c.forReg);
        ASSERT_FALSE(expected.empty());
        Win32Registry real;
        EXPECT_EQ(ExportRegFile(real, c.hive, c.path), expected);
        InMemoryRegistry loaded;
        std::string error;
        ASSERT_TRUE(ImportRegFile(loaded, expected, error)) << error;
        EXPECT_EQ(ExportRegFile(loaded, c.hive, c.path), expected);
    }
}

}  // namespace
