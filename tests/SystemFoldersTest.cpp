// Special and system folders, path forms and versions, against offline images and
// scripted system answers.
#include <gtest/gtest.h>

#include <functional>
#include <new>

#include "core/SystemFolders.h"
#include "tests/ScriptedSystemInfo.h"
#include "tests/TestSupport.h"

using testing_support::ScriptedApp;
using testing_support::TestApp;

namespace {

using Lines = std::vector<std::string>;

const char kShellFolders[] =
    "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Shell Folders";
const char kNtCurrentVersion[] = "SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion";

void PutShellFolder(InMemoryRegistry& r, RegKey hive, const std::string& name,
                    const std::string& path, uint32_t type = REG_SZ_) {
    r.PutValue(hive, kShellFolders, name, RegString(path, type));
}

// The Shell Folders of an XP machine: Desktop, Programs and Cache for the user,
// Common Desktop and Common Programs for all users.
void PutXpShellFolders(InMemoryRegistry& r) {
    PutShellFolder(r, HKCU, "Desktop", "C:\\Documents and Settings\\Anna\\Desktop");
    PutShellFolder(r, HKCU, "Programs", "C:\\Documents and Settings\\Anna\\Start Menu\\Programs");
    PutShellFolder(r, HKCU, "Cache",
                   "C:\\Documents and Settings\\Anna\\Local Settings\\Temporary Internet Files");
    PutShellFolder(r, HKLM, "Common Desktop", "C:\\Documents and Settings\\All Users\\Desktop");
    PutShellFolder(r, HKLM, "Common Programs",
                   "C:\\Documents and Settings\\All Users\\Start Menu\\Programs");
}

TEST(SystemFolders, SpecialFoldersComeFromEachHivesShellFolders) {
    TestApp t;
    PutXpShellFolders(t.world.registry);
    // The same names under the other hive must not be taken.
    PutShellFolder(t.world.registry, HKLM, "Desktop", "C:\\wrong");
    PutShellFolder(t.world.registry, HKCU, "Common Desktop", "C:\\wrong");

    EXPECT_EQ(GetSpecialFolder(t.app, "Desktop"), "C:\\Documents and Settings\\Anna\\Desktop");
    EXPECT_EQ(GetSpecialFolderAllusers(t.app, "Common Desktop"),
              "C:\\Documents and Settings\\All Users\\Desktop");
    EXPECT_EQ(GetSpecialFolder(t.app, "Common Desktop"), "C:\\wrong");
    EXPECT_EQ(
        t.Lines("app2.log"),
        (Lines{"GetSpecialFolder",
               "GetSpecialFolderreturn: C:\\Documents and Settings\\Anna\\Desktop",
               "GetSpecialFolderAllusers",
               "GetSpecialFolderAllusers return: C:\\Documents and Settings\\All Users\\Desktop",
               "GetSpecialFolder", "GetSpecialFolderreturn: C:\\wrong"}));
    EXPECT_EQ(t.world.registry.OpenHandleCount(), 0u);
}

TEST(SystemFolders, MissingOrUnreadableShellFoldersGiveEmptyFolders) {
    struct Case {
        const char* name;
        std::function<void(InMemoryRegistry&)> image;
        bool allUsers;
        const char* valueName;
        std::string expected;
    } cases[] = {
        {"Cache of an XP user", PutXpShellFolders, false, "Cache",
         "C:\\Documents and Settings\\Anna\\Local Settings\\Temporary Internet Files"},
        {"user without Cache",
         [](InMemoryRegistry& r) { PutShellFolder(r, HKCU, "Desktop", "C:\\D"); }, false, "Cache",
         ""},
        {"no Shell Folders key at all", [](InMemoryRegistry&) {}, false, "Desktop", ""},
        {"all-users key refuses full access",
         [](InMemoryRegistry& r) {
             PutXpShellFolders(r);
             r.SetReadOnly(HKLM, kShellFolders, true);
         },
         true, "Common Programs", ""},
        {"per-user read unaffected by a read-only all-users key",
         [](InMemoryRegistry& r) {
             PutXpShellFolders(r);
             r.SetReadOnly(HKLM, kShellFolders, true);
         },
         false, "Desktop", "C:\\Documents and Settings\\Anna\\Desktop"},
        {"references are not expanded",
         [](InMemoryRegistry& r) {
             PutShellFolder(r, HKCU, "Desktop", "%USERPROFILE%\\Desktop", REG_EXPAND_SZ_);
             r.PutValue(HKCU, "Volatile Environment", "USERPROFILE", RegString("C:\\Users\\a"));
         },
         false, "Desktop", "%USERPROFILE%\\Desktop"},
        {"a value over 1024 bytes reads as missing",
         [](InMemoryRegistry& r) { PutShellFolder(r, HKCU, "Desktop", std::string(1100, 'x')); },
         false, "Desktop", ""},
    };
    for (const Case& c : cases) {
        TestApp t;
        c.image(t.world.registry);
        std::string folder = c.allUsers ? GetSpecialFolderAllusers(t.app, c.valueName)
                                        : GetSpecialFolder(t.app, c.valueName);
        EXPECT_EQ(folder, c.expected) << c.name;
        Lines expectedTrace =
            c.allUsers ? Lines{"GetSpecialFolderAllusers",
                               "GetSpecialFolderAllusers return: " + c.expected}
                       : Lines{"GetSpecialFolder", "GetSpecialFolderreturn: " + c.expected};
        EXPECT_EQ(t.Lines("app2.log"), expectedTrace) << c.name;
        EXPECT_EQ(t.world.registry.OpenHandleCount(), 0u) << c.name;
    }
}

TEST(SystemFolders, PathFormsTakeCountsFrom1To259AndGiveBackTheInputOtherwise) {
    struct Case {
        uint32_t count;
        bool converted;
    } cases[] = {{0, false},   {1, true},    {19, true},     {259, true},
                 {260, false}, {261, false}, {100000, false}};
    for (const Case& c : cases) {
        ScriptedApp s;
        uint32_t capacitySeen = 0;
        auto answer = [&](const std::string&, uint32_t capacity, std::string& result) {
            capacitySeen = capacity;
            if (c.count >= 1 && c.count < capacity) result = "C:\\Long Name";
            return c.count;
        };
        s.system.longPathName = answer;
        s.system.shortPathName = answer;
        std::string expected = c.converted ? "C:\\Long Name" : "C:\\LONGNA~1";
        EXPECT_EQ(LongPathName(s.app, "C:\\LONGNA~1"), expected) << c.count;
        EXPECT_EQ(capacitySeen, 260u);
        EXPECT_EQ(ShortPathName(s.app, "C:\\LONGNA~1"), expected) << c.count;
        EXPECT_EQ(s.Lines("app2.log"), (Lines{"LongPathName", "ShortPathName"})) << c.count;
    }
}

TEST(SystemFolders, PathFormsOfAMissingPathOrAFailingCallAreTheInput) {
    TestApp t;
    std::string missing = t.folder.File("no such folder") + "\\file.txt";
    EXPECT_EQ(LongPathName(t.app, missing), missing);
    EXPECT_EQ(ShortPathName(t.app, missing), missing);
    EXPECT_EQ(LongPathName(t.app, ""), "");

    ScriptedApp s;
    s.system.longPathName = [](const std::string&, uint32_t, std::string&) -> uint32_t {
        throw std::bad_alloc();
    };
    EXPECT_EQ(LongPathName(s.app, "C:\\PROGRA~1"), "C:\\PROGRA~1");
}

TEST(SystemFolders, ImageDefaultsForSystemTemporaryWindowsAndProgramFolders) {
    TestApp t;
    GWSF(t.app);
    GWF(t.app);
    GetProgramFilesFolder(t.app);
    EXPECT_EQ(t.app.SystemFolder, "C:\\Windows\\system32");
    EXPECT_EQ(t.app.TempFolder, "C:\\Windows\\Temp\\");
    EXPECT_EQ(t.app.WindowsFolder, "C:\\Windows");
    EXPECT_EQ(t.app.ProgramFilesFolder, "C:\\Program Files");
    EXPECT_EQ(t.Lines("app2.log"), (Lines{"GWSF", "GWSF return: C:\\Windows\\system32", "GWF",
                                          "LongPathName", "GWF return 1: C:\\Windows\\Temp\\",
                                          "GWF return 2: C:\\Windows", "GetProgramFilesFolder"}));
}

TEST(SystemFolders, ImageFoldersAndTheExpandedTemporaryFolder) {
    struct Case {
        const char* name;
        std::function<void(InMemoryRegistry&)> image;
        std::string temp;
    } cases[] = {
        {"user TEMP with the profile from the logon session",
         [](InMemoryRegistry& r) {
             r.PutValue(HKCU, "Environment", "TEMP",
                        RegString("%USERPROFILE%\\Local Settings\\Temp", REG_EXPAND_SZ_));
             r.PutValue(HKCU, "Volatile Environment", "USERPROFILE",
                        RegString("D:\\Documents and Settings\\Anna"));
         },
         "D:\\Documents and Settings\\Anna\\Local Settings\\Temp\\"},
        {"TMP comes before TEMP",
         [](InMemoryRegistry& r) {
             r.PutValue(HKCU, "Environment", "TEMP", RegString("D:\\temp"));
             r.PutValue(HKCU, "Environment", "TMP", RegString("D:\\tmp\\"));
         },
         "D:\\tmp\\"},
        {"system TEMP under the image's Windows folder",
         [](InMemoryRegistry& r) {
             r.PutValue(HKLM, "SYSTEM\\CurrentControlSet\\Control\\Session Manager\\Environment",
                        "TEMP", RegString("%SystemRoot%\\TEMP", REG_EXPAND_SZ_));
         },
         "D:\\WINNT\\TEMP\\"},
        {"the user's variable wins over the system's",
         [](InMemoryRegistry& r) {
             r.PutValue(HKLM, "SYSTEM\\CurrentControlSet\\Control\\Session Manager\\Environment",
                        "TEMP", RegString("D:\\system"));
             r.PutValue(HKCU, "Environment", "TEMP", RegString("D:\\user"));
         },
         "D:\\user\\"},
        {"an unknown reference stays",
         [](InMemoryRegistry& r) {
             r.PutValue(HKCU, "Environment", "TEMP", RegString("%NOWHERE%\\Temp"));
         },
         "%NOWHERE%\\Temp\\"},
        {"references in a circle end",
         [](InMemoryRegistry& r) {
             r.PutValue(HKCU, "Environment", "TEMP", RegString("%A%"));
             r.PutValue(HKCU, "Environment", "A", RegString("x%B%"));
             r.PutValue(HKCU, "Environment", "B", RegString("%A%"));
         },
         "xxxx%A%\\"},
    };
    for (const Case& c : cases) {
        TestApp t;
        t.world.registry.PutValue(HKLM, kNtCurrentVersion, "SystemRoot", RegString("D:\\WINNT"));
        t.world.registry.PutValue(HKLM, "SOFTWARE\\Microsoft\\Windows\\CurrentVersion",
                                  "ProgramFilesDir", RegString("D:\\Programme"));
        c.image(t.world.registry);
        GWSF(t.app);
        GWF(t.app);
        GetProgramFilesFolder(t.app);
        EXPECT_EQ(t.app.SystemFolder, "D:\\WINNT\\system32") << c.name;
        EXPECT_EQ(t.app.WindowsFolder, "D:\\WINNT") << c.name;
        EXPECT_EQ(t.app.ProgramFilesFolder, "D:\\Programme") << c.name;
        EXPECT_EQ(t.app.TempFolder, c.temp) << c.name;
    }
}

TEST(SystemFolders, TemporaryFolderIsKeptInItsLongForm) {
    ScriptedApp s;
    s.system.tempPath = [] { return std::string("C:\\DOCUME~1\\ANNA~1\\LOCALS~1\\Temp\\"); };
    s.system.longPathName = [](const std::string& path, uint32_t, std::string& result) {
        if (path != "C:\\DOCUME~1\\ANNA~1\\LOCALS~1\\Temp\\") return 0u;
        result = "C:\\Documents and Settings\\Anna\\Local Settings\\Temp\\";
        return static_cast<uint32_t>(result.size());
    };
    GWF(s.app);
    EXPECT_EQ(s.app.TempFolder, "C:\\Documents and Settings\\Anna\\Local Settings\\Temp\\");
    EXPECT_EQ(s.Lines("app2.log")[2],
              "GWF return 1: C:\\Documents and Settings\\Anna\\Local Settings\\Temp\\");
}

TEST(SystemFolders, FailingFolderCallsLeaveWhatTheyReached) {
    ScriptedApp s;
    s.app.SystemFolder = "old";
    s.app.WindowsFolder = "old";
    s.system.systemDirectory = []() -> std::string { throw std::bad_alloc(); };
    s.system.tempPath = [] { return std::string("C:\\T\\"); };
    s.system.windowsDirectory = []() -> std::string { throw std::bad_alloc(); };
    s.system.programFiles = []() -> std::string { throw std::bad_alloc(); };
    GWSF(s.app);
    GWF(s.app);
    GetProgramFilesFolder(s.app);
    EXPECT_EQ(s.app.SystemFolder, "");
    EXPECT_EQ(s.app.TempFolder, "C:\\T\\");
    EXPECT_EQ(s.app.WindowsFolder, "");
    EXPECT_EQ(s.app.ProgramFilesFolder, "");
    EXPECT_EQ(s.Lines("app2.log"), (Lines{"GWSF", "GWF", "LongPathName", "GWF return 1: C:\\T\\",
                                          "GetProgramFilesFolder"}));
}

TEST(SystemFolders, WindowsVersionTableInItsTestingOrder) {
    struct Case {
        uint32_t major, minor, platform;
        int32_t number;
        const char* name;
    } cases[] = {
        {4, 0, 1, 1, "Windows 95"},
        {4, 0, 2, 3, "Windows NT"},
        {4, 0, 0, 3, "Windows NT"},
        {4, 10, 1, 2, "Windows 98"},
        {4, 10, 2, 2, "Windows 98"},
        {4, 90, 1, 6, "Windows ME"},
        {5, 0, 2, 4, "Windows 2000"},
        {5, 1, 2, 5, "Windows XP"},
        {6, 0, 2, 7, "Windows Vista"},
        {5, 2, 2, 0, ""},
        {6, 1, 2, 0, ""},
        {6, 2, 2, 0, ""},
        {10, 0, 2, 0, ""},
        {3, 51, 2, 0, ""},
        {4, 1, 1, 0, ""},
        {0, 0, 0, 0, ""},
    };
    for (const Case& c : cases) {
        ScriptedApp s;
        s.system.getVersion = [&](OsVersionInfo& v) {
            v = OsVersionInfo{c.major, c.minor, 1234, c.platform};
            return true;
        };
        int32_t number = GetInternalWindowsVersion(s.app);
        EXPECT_EQ(number, c.number) << c.major << "." << c.minor << " platform " << c.platform;
        EXPECT_EQ(GetWindowsVersionName(number), c.name) << c.major << "." << c.minor;
        EXPECT_FALSE(testing_support::Exists(s.folder.HostFile("app.log")));
    }
    EXPECT_EQ(GetWindowsVersionName(8), "");
    EXPECT_EQ(GetWindowsVersionName(-1), "");
}

TEST(SystemFolders, AFailedVersionCallIsReportedAndGivesZero) {
    ScriptedApp s;
    s.system.getVersion = [](OsVersionInfo&) { return false; };
    EXPECT_EQ(GetInternalWindowsVersion(s.app), 0);
    s.system.getVersion = [](OsVersionInfo&) -> bool { throw std::bad_alloc(); };
    EXPECT_EQ(GetInternalWindowsVersion(s.app), 0);
    EXPECT_EQ(
        s.Lines("app.log"),
        (Lines{"Error in GetInternalWindowsVersion, error 5, Invalid procedure call or argument",
               "Error in GetInternalWindowsVersion, error 7, Out of memory"}));
}

TEST(SystemFolders, AnImageNamesItsWindowsVersion) {
    struct Case {
        const char* name;
        std::function<void(InMemoryRegistry&)> image;
        int32_t number;
    } cases[] = {
        {"XP", [](InMemoryRegistry& r) { testing_support::PutWindowsVersion(r, "5.1"); }, 5},
        {"2000", [](InMemoryRegistry& r) { testing_support::PutWindowsVersion(r, "5.0"); }, 4},
        {"NT 4", [](InMemoryRegistry& r) { testing_support::PutWindowsVersion(r, "4.0"); }, 3},
        {"Windows 10 keeps 6.3 beside its true numbers",
         [](InMemoryRegistry& r) {
             testing_support::PutWindowsVersion(r, "6.3");
             r.PutValue(HKLM, kNtCurrentVersion, "CurrentMajorVersionNumber", RegDword(10));
             r.PutValue(HKLM, kNtCurrentVersion, "CurrentMinorVersionNumber", RegDword(0));
         },
         0},
        {"Vista", [](InMemoryRegistry& r) { testing_support::PutWindowsVersion(r, "6.0"); }, 7},
        {"95",
         [](InMemoryRegistry& r) {
             r.PutValue(HKLM, "SOFTWARE\\Microsoft\\Windows\\CurrentVersion", "VersionNumber",
                        RegString("4.00.950"));
         },
         1},
        {"ME",
         [](InMemoryRegistry& r) {
             r.PutValue(HKLM, "SOFTWARE\\Microsoft\\Windows\\CurrentVersion", "VersionNumber",
                        RegString("4.90.3000"));
         },
         6},
    };
    for (const Case& c : cases) {
        TestApp t;
        c.image(t.world.registry);
        EXPECT_EQ(GetInternalWindowsVersion(t.app), c.number) << c.name;
        EXPECT_FALSE(testing_support::Exists(t.folder.HostFile("app.log"))) << c.name;
    }
    for (const char* unreadable : {"", "six", "6", ".1", "6."}) {
        TestApp t;
        if (*unreadable) testing_support::PutWindowsVersion(t.world.registry, unreadable);
        EXPECT_EQ(GetInternalWindowsVersion(t.app), 0) << unreadable;
        EXPECT_EQ(t.Lines("app.log").size(), 1u) << unreadable;
    }
}

TEST(SystemFolders, FileVersionTexts) {
    struct Case {
        FileVersionParts parts;
        const char* text;
    } cases[] = {
        {{6, 1, 7601, 17514}, "6.01.7601.17514"},
        {{5, 1, 0, 2600}, "5.01.2600"},
        {{2, 0, 0, 1}, "2.00.0001"},
        {{10, 12, 1, 3}, "10.12.0001.03"},
        {{1, 0, 0, 12345}, "1.00.12345"},
        {{0, 0, 0, 0}, "0.00.0000"},
        {{65535, 65535, 65535, 65535}, "65535.65535.65535.65535"},
        {{6, 0, 6001, 18000}, "6.00.6001.18000"},
    };
    for (const Case& c : cases) {
        ScriptedApp s;
        s.system.fileVersion = [&](const std::string&, uint32_t& size, FileVersionParts& v) {
            size = 1772;
            v = c.parts;
            return true;
        };
        EXPECT_EQ(FileVersionNo(s.app, "C:\\x.dll"), c.text);
        EXPECT_FALSE(testing_support::Exists(s.folder.HostFile("app2.log"))) << c.text;
    }
}

TEST(SystemFolders, FileVersionIsEmptyWithoutAResourceOrRootBlock) {
    ScriptedApp s;
    s.system.fileVersion = [](const std::string&, uint32_t& size, FileVersionParts& v) {
        size = 0;
        v = {1, 2, 3, 4};
        return true;
    };
    EXPECT_EQ(FileVersionNo(s.app, "C:\\a.dll"), "");
    s.system.fileVersion = [](const std::string&, uint32_t& size, FileVersionParts& v) {
        size = 600;
        v = {1, 2, 3, 4};
        return false;
    };
    EXPECT_EQ(FileVersionNo(s.app, "C:\\b.dll"), "");
    s.system.fileVersion = [](const std::string&, uint32_t&, FileVersionParts&) -> bool {
        throw std::bad_alloc();
    };
    EXPECT_EQ(FileVersionNo(s.app, "C:\\c.dll"), "");
    EXPECT_EQ(s.Lines("app2.log"), (Lines{"FileVersionNo: Error 7, Out of memory"}));

    TestApp t;  // an image reads no version resources
    EXPECT_EQ(FileVersionNo(t.app, t.folder.File("missing.dll")), "");
}

TEST(SystemFolders, LogFileVersionLooksInTheSystemFolder) {
    ScriptedApp s;
    std::vector<std::string> asked;
    s.system.fileVersion = [&](const std::string& path, uint32_t& size, FileVersionParts& v) {
        asked.push_back(path);
        size = path.ends_with("OLEAUT32.DLL") ? 1772 : 0;
        v = {2, 40, 4522, 0};
        return size != 0;
    };
    s.app.SystemFolder = "C:\\WINDOWS\\system32";
    LogFileVersion(s.app, "OLEAUT32.DLL");
    LogFileVersion(s.app, "mscomctl.ocx");
    EXPECT_EQ(asked, (Lines{"C:\\WINDOWS\\system32\\OLEAUT32.DLL",
                            "C:\\WINDOWS\\system32\\mscomctl.ocx"}));
    EXPECT_EQ(s.Lines("app2.log"), (Lines{"OLEAUT32.DLL: 2.40.4522.00", "mscomctl.ocx: "}));
}

}  // namespace
