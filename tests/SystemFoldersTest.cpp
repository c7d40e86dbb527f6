// Special and system folders, path forms and versions, against offline images and
// scripted system answers.
#include <gtest/gtest.h>

#include <new>

#include "core/SystemFolders.h"
#include "tests/ScriptedSystemInfo.h"
#include "tests/TestSupport.h"

using namespace testing_support;

namespace {

const std::string kShellFolders =
    "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Shell Folders";
const std::string kNt = "SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion";
const std::string kCv = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion";
const std::string kAnna = "C:\\Documents and Settings\\Anna\\";

// Finds the system, Windows and Program Files folders; all four folders, "|" between.
std::string Folders(App& app) {
    GWSF(app);
    GWF(app);
    GetProgramFilesFolder(app);
    return app.SystemFolder + "|" + app.WindowsFolder + "|" + app.ProgramFilesFolder + "|" +
           app.TempFolder;
}

TEST(SystemFolders, SpecialFoldersComeFromTheirHivesShellFoldersAsStored) {
    // The same names under the other hive must not be taken.
    const std::vector<RegEntry> xp = {{HKCU, kShellFolders, "Desktop", kAnna + "Desktop"},
                                      {HKLM, kShellFolders, "Desktop", "C:\\wrong"},
                                      {HKLM, kShellFolders, "Common Desktop", "C:\\All\\Desktop"},
                                      {HKCU, kShellFolders, "Common Desktop", "C:\\wrong"}};
    struct Case {
        const char* what;
        std::vector<RegEntry> image;
        bool allUsers, readOnly;
        const char* name;
        std::string expected;
    } cases[] = {
        {"user", xp, false, false, "Desktop", kAnna + "Desktop"},
        {"all users", xp, true, false, "Common Desktop", "C:\\All\\Desktop"},
        {"an all-users key that refuses full access", xp, true, true, "Common Desktop", ""},
        {"references are not expanded",
         {{HKCU, kShellFolders, "Desktop", "%USERPROFILE%\\Desktop", REG_EXPAND_SZ_}}, false,
         false, "Desktop", "%USERPROFILE%\\Desktop"},
        {"a value over 1024 bytes", {{HKCU, kShellFolders, "Desktop", std::string(1100, 'x')}},
         false, false, "Desktop", ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        TestApp t;
        PutAll(t.world.registry, c.image);
        t.world.registry.SetReadOnly(HKLM, kShellFolders, c.readOnly);
        std::string folder =
            c.allUsers ? GetSpecialFolderAllusers(t.app, c.name) : GetSpecialFolder(t.app, c.name);
        EXPECT_EQ(folder, c.expected);
        EXPECT_EQ(t.world.registry.OpenHandleCount(), 0u);
    }
}

TEST(SystemFolders, PathFormsTakeCountsFrom1To259AndGiveBackTheInputOtherwise) {
    for (uint32_t count : {0u, 1u, 19u, 259u, 260u, 261u, 100000u}) {
        SCOPED_TRACE(count);
        ScriptedApp s;
        uint32_t capacitySeen = 0;
        auto answer = [&](const std::string&, uint32_t capacity, std::string& result) {
            capacitySeen = capacity;
            if (count >= 1 && count < capacity) result = "C:\\Long Name";
            return count;
        };
        s.system.longPathName = s.system.shortPathName = answer;
        std::string expected = count >= 1 && count <= 259 ? "C:\\Long Name" : "C:\\LONGNA~1";
        EXPECT_EQ(LongPathName(s.app, "C:\\LONGNA~1"), expected);
        EXPECT_EQ(capacitySeen, 260u);
        EXPECT_EQ(ShortPathName(s.app, "C:\\LONGNA~1"), expected);
        EXPECT_EQ(s.Lines("app2.log"), (Lines{"LongPathName", "ShortPathName"}));
    }
    // A path that does not exist, and a call that fails, give the input back.
    TestApp t;
    std::string missing = t.folder.File("no such folder") + "\\file.txt";
    EXPECT_EQ(LongPathName(t.app, missing), missing);
    EXPECT_EQ(ShortPathName(t.app, missing), missing);
    ScriptedApp s;
    s.system.longPathName = [](const std::string&, uint32_t, std::string&) -> uint32_t {
        throw std::bad_alloc();
    };
    EXPECT_EQ(LongPathName(s.app, "C:\\PROGRA~1"), "C:\\PROGRA~1");
}

TEST(SystemFolders, FoldersOfAnImageAndItsTemporaryFolder) {
    const std::string env = "Environment",
                      session = "SYSTEM\\CurrentControlSet\\Control\\Session Manager\\Environment";
    const std::pair<std::vector<RegEntry>, std::string> cases[] = {
        // The user's TEMP with the profile of the logon session.
        {{{HKCU, env, "TEMP", "%USERPROFILE%\\Temp", REG_EXPAND_SZ_},
          {HKCU, "Volatile Environment", "USERPROFILE", "D:\\Anna"}},
         "D:\\Anna\\Temp\\"},
        // TMP before TEMP; the user's variables before the system's.
        {{{HKCU, env, "TEMP", "D:\\temp"},
          {HKCU, env, "TMP", "D:\\tmp\\"},
          {HKLM, session, "TMP", "D:\\s"}},
         "D:\\tmp\\"},
        // The system's TEMP under the image's Windows folder.
        {{{HKLM, session, "TEMP", "%SystemRoot%\\TEMP", REG_EXPAND_SZ_}}, "D:\\WINNT\\TEMP\\"},
        // References in a circle end; unknown ones stay.
        {{{HKCU, env, "TEMP", "%A%\\%NOWHERE%"}, {HKCU, env, "A", "x%B%"}, {HKCU, env, "B", "%A%"}},
         "xxxx%A%\\%NOWHERE%\\"},
    };
    for (const auto& [image, temp] : cases) {
        SCOPED_TRACE(temp);
        TestApp t;
        PutAll(t.world.registry, image);
        PutAll(t.world.registry,
               {{HKLM, kNt, "SystemRoot", "D:\\WINNT"}, {HKLM, kCv, "ProgramFilesDir", "D:\\PF"}});
        EXPECT_EQ(Folders(t.app), "D:\\WINNT\\system32|D:\\WINNT|D:\\PF|" + temp);
    }
    // An image that names nothing: the folders of a default installation.
    TestApp t;
    EXPECT_EQ(Folders(t.app),
              "C:\\Windows\\system32|C:\\Windows|C:\\Program Files|C:\\Windows\\Temp\\");
}

TEST(SystemFolders, TheTemporaryFolderIsKeptInItsLongFormAndFailuresKeepWhatWasReached) {
    ScriptedApp s;
    const std::string shortForm = "C:\\DOCUME~1\\ANNA~1\\LOCALS~1\\Temp\\";
    s.system.tempPath = [&] { return shortForm; };
    s.system.longPathName = [&](const std::string& path, uint32_t, std::string& result) {
        if (path != shortForm) return 0u;
        result = kAnna + "Local Settings\\Temp\\";
        return static_cast<uint32_t>(result.size());
    };
    GWF(s.app);
    EXPECT_EQ(s.app.TempFolder, kAnna + "Local Settings\\Temp\\");

    ScriptedApp f;
    f.app.SystemFolder = f.app.WindowsFolder = "old";
    f.system.systemDirectory = f.system.windowsDirectory =
        f.system.programFiles = []() -> std::string { throw std::bad_alloc(); };
    f.system.tempPath = [] { return std::string("C:\\T\\"); };
    EXPECT_EQ(Folders(f.app), "|||C:\\T\\");
}

TEST(SystemFolders, WindowsVersionTableInItsTestingOrder) {
    struct Case {
        uint32_t major, minor, platform;
        int32_t number;
        const char* name;
    } cases[] = {
        // clang-format off
        {4, 0, 1, 1, "Windows 95"}, {4, 0, 2, 3, "Windows NT"}, {4, 10, 2, 2, "Windows 98"},
        {4, 90, 1, 6, "Windows ME"}, {5, 0, 2, 4, "Windows 2000"}, {5, 1, 2, 5, "Windows XP"},
        {6, 0, 2, 7, "Windows Vista"}, {5, 2, 2, 0, ""}, {6, 1, 2, 0, ""}, {4, 1, 1, 0, ""},
        // clang-format on
    };
    for (const Case& c : cases) {
        ScriptedApp s;
        s.system.getVersion = [&](OsVersionInfo& v) {
            v = OsVersionInfo{c.major, c.minor, 1234, c.platform};
            return true;
        };
        int32_t number = GetInternalWindowsVersion(s.app);
        EXPECT_EQ(number, c.number) << c.major << "." << c.minor << "/" << c.platform;
        EXPECT_EQ(GetWindowsVersionName(number), c.name);
    }
    // A failed call, or a failure inside, is reported and gives 0.
    ScriptedApp s;
    s.system.getVersion = [](OsVersionInfo&) { return false; };
    EXPECT_EQ(GetInternalWindowsVersion(s.app), 0);
    s.system.getVersion = [](OsVersionInfo&) -> bool { throw std::bad_alloc(); };
    EXPECT_EQ(GetInternalWindowsVersion(s.app), 0);
    EXPECT_EQ(s.Lines("app.log").size(), 2u);
}

TEST(SystemFolders, AnImageNamesItsWindowsVersion) {
    const std::pair<std::vector<RegEntry>, int32_t> cases[] = {
        {{{HKLM, kNt, "CurrentVersion", "5.1"}}, 5},
        {{{HKLM, kCv, "VersionNumber", "4.90.3000"}}, 6},  // Windows 95, 98 and ME
        {{{HKLM, kNt, "CurrentVersion", "4.0"}}, 3},
        {{{HKLM, kNt, "CurrentVersion", "six"}}, -1},
        {{}, -1},
        // Windows 10 keeps 6.3 beside its true numbers.
        {{{HKLM, kNt, "CurrentVersion", "6.3"}, {HKLM, kNt, "CurrentMajorVersionNumber", "10"}}, 0},
    };
    for (const auto& [image, number] : cases) {
        TestApp t;
        PutAll(t.world.registry, image);
        EXPECT_EQ(GetInternalWindowsVersion(t.app), std::max(number, 0)) << number;
        EXPECT_EQ(t.Lines("app.log").size(), number < 0 ? 1u : 0u) << number;
    }
}

TEST(SystemFolders, FileVersionTexts) {
    const std::pair<FileVersionParts, const char*> cases[] = {
        {{6, 1, 7601, 17514}, "6.01.7601.17514"}, {{5, 1, 0, 2600}, "5.01.2600"},
        {{10, 12, 1, 3}, "10.12.0001.03"}, {{0, 0, 0, 0}, "0.00.0000"},
    };
    for (const auto& [parts, text] : cases) {
        ScriptedApp s;
        s.system.fileVersion = [&](const std::string&, uint32_t& size, FileVersionParts& v) {
            size = 1772;
            v = parts;
            return true;
        };
        EXPECT_EQ(FileVersionNo(s.app, "C:\\x.dll"), text);
    }
    // No resource (size 0), no root block, a failure: empty, the failure traced.
    ScriptedApp s;
    for (uint32_t resource : {0u, 600u}) {
        s.system.fileVersion = [=](const std::string&, uint32_t& size, FileVersionParts& v) {
            size = resource;
            v = {1, 2, 3, 4};
            return resource == 0;
        };
        EXPECT_EQ(FileVersionNo(s.app, "C:\\a.dll"), "") << resource;
    }
    s.system.fileVersion = [](const std::string&, uint32_t&, FileVersionParts&) -> bool {
        throw std::bad_alloc();
    };
    EXPECT_EQ(FileVersionNo(s.app, "C:\\c.dll"), "");
    EXPECT_EQ(s.Lines("app2.log"), (Lines{"FileVersionNo: Error 7, Out of memory"}));
}

}  // namespace
