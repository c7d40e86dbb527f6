#include <gtest/gtest.h>

#include "core/Errors.h"
#include "problems/clsItem.h"
#include "scan/PathTests.h"
#include "tests/DriveWorld.h"

using testing_support::DriveWorld;
using testing_support::kProblemLogStamp;

namespace {

const std::string kCyrillicFolder =
    "C:\\\xD0\x9F\xD1\x80\xD0\xBE\xD0\xB3\xD1\x80\xD0\xB0\xD0\xBC\xD0\xBC\xD1\x8B";  // Программы

TEST(GetPathFromRegistryValue, EachStepInOrder) {
    DriveWorld w;
    w.app.WindowsFolder = "C:\\WINDOWS";
    w.app.ProgramFilesFolder = "C:\\Program Files";
    struct Case {
        const char* value;
        std::string path;
    } cases[] = {
        // Quotes: leading, trailing, and a quoted path followed by arguments.
        {"\"C:\\Program Files\\App\\app.exe\" /s", "C:\\Program Files\\App\\app.exe"},
        {"\"C:\\App\\app.exe\"", "C:\\App\\app.exe"},
        {"\"C:\\App\\app.exe", "C:\\App\\app.exe"},
        {"C:\\App\\app.exe\"", "C:\\App\\app.exe"},
        {"C:\\a\"b\" c", "C:\\a"},
        {"\"\"", ""},
        {"\"", ""},
        // Arguments after an unquoted path stay.
        {"C:\\Tools\\tool.exe -quiet", "C:\\Tools\\tool.exe -quiet"},
        // The two variables, in exactly this spelling.
        {"%SystemRoot%\\system32\\x.exe", "C:\\WINDOWS\\system32\\x.exe"},
        {"\"%ProgramFiles%\\App\\a.exe\" -x", "C:\\Program Files\\App\\a.exe"},
        {"%ProgramFiles%\\A\\a.exe %SystemRoot%\\b.txt",
         "C:\\Program Files\\A\\a.exe C:\\WINDOWS\\b.txt"},
        {"%systemroot%\\system32\\x.exe", ""},
        {"%SYSTEMROOT%\\system32\\x.exe", ""},
        {"%programfiles%\\App\\a.exe", ""},
        {"%windir%\\x.exe", ""},
        // Installer and control-panel command lines, in any case.
        {"MsiExec.exe /X{11111111-2222-3333-4444-555555555555}", ""},
        {"MSIEXEC.EXE /I x", ""},
        {"msiexec.exe", ""},
        {"RUNDLL32 shell32.dll,Control_RunDLL", ""},
        {"rundll32.exe x.dll,Entry", ""},
        {"RunDll32", ""},
        // Relative names, network paths, a leading space.
        {"notepad.exe", ""},
        {"\\\\server\\share\\x.exe", ""},
        {" C:\\App\\app.exe", ""},
        {"C:\\App\\app.exe   ", "C:\\App\\app.exe"},
        // Short texts: one character passes, "X:" and "X:name" are not drive-tested.
        {"x", "x"},
        {" ", ""},
        {"C:", "C:"},
        {"Q:", "Q:"},
        {"C:a.exe", "C:a.exe"},
        {"Q:a.exe", "Q:a.exe"},
        // Drive roots: only fixed disks are tested.
        {"C:\\x.exe", "C:\\x.exe"},
        {"c:\\x.exe", "c:\\x.exe"},
        {"A:\\setup.exe", ""},
        {"D:\\setup.exe", ""},
        {"N:\\tools\\x.exe", ""},
        {"R:\\x.exe", ""},
        {"Q:\\x.exe", ""},
        // Characters, not bytes: a non-ASCII first character, and non-ASCII folders.
        {"\xC3\xA9:", "\xC3\xA9:"},
        {"\xC3\xA9:\\x.exe", ""},
        {"\xD0\x96x", ""},
    };
    for (const Case& c : cases)
        EXPECT_EQ(GetPathFromRegistryValue(w.app, c.value), c.path) << "value: [" << c.value << "]";

    std::string cyrillic = kCyrillicFolder + "\\app.exe";
    EXPECT_EQ(GetPathFromRegistryValue(w.app, "\"" + cyrillic + "\" /x"), cyrillic);

    // A folder variable that is itself non-ASCII is substituted whole.
    w.app.ProgramFilesFolder = kCyrillicFolder;
    EXPECT_EQ(GetPathFromRegistryValue(w.app, "%ProgramFiles%\\a.exe"),
              kCyrillicFolder + "\\a.exe");
    EXPECT_TRUE(w.Lines("app.log").empty());
}

// A file system that cannot tell drive types.
class DriveTypeFails : public PortableFileSystem {
public:
    uint32_t QueryDriveType(const std::string&) override { throw RuntimeError(kErrInvalidCall); }
};

TEST(MyGetDriveType, AFailureIsReportedAndGivesUnknown) {
    testing_support::ScratchFolder folder{"app"};
    PortableWorld world;
    DriveTypeFails files;
    Platform platform{world.registry, files,        world.profile,        world.clock,
                      world.locale,   world.system, world.scriptedPrompts, world.links};
    App app(platform, folder.path());

    EXPECT_EQ(MyGetDriveType(app, "C:\\"), 0u);
    // An unknown drive type is not a fixed disk: the path is not tested.
    EXPECT_EQ(GetPathFromRegistryValue(app, "C:\\x.exe"), "");
    EXPECT_EQ(testing_support::ReadLines(folder.HostFile("app.log")),
              (std::vector<std::string>(
                  2, "Error in MyGetDriveType, error 5, Invalid procedure call or argument")));
}

constexpr const char* kRunKey = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Run";

struct Probe {
    const char* name;
    std::string value;
    bool broken;
};

TEST(TestBrokenRegistryPath, CutsAtSpacesToFindAnExistingProgram) {
    DriveWorld w;
    w.CreateFile("C:\\Tools\\tool.exe");
    w.CreateFile("C:\\My App\\run.exe");
    w.CreateFile(kCyrillicFolder + "\\app.exe");
    w.CreateFolder("C:\\Data Folder");
    const Probe probes[] = {
        {"args", "C:\\Tools\\tool.exe -quiet -log C:\\x.txt", false},
        // Found at the first cut; the later cut "C:\My" finds nothing and changes nothing.
        {"spaced", "C:\\My App\\run.exe -x", false},
        {"whole", "C:\\My App\\run.exe", false},
        {"folder", "C:\\Data Folder", false},
        {"folderargs", "C:\\Data Folder /open", false},
        {"cyrillic", kCyrillicFolder + "\\app.exe /q", false},
        {"emptycut", "C:\\Tools\\tool.exe    ", false},
        {"untested", "notepad.exe", false},
        {"cdrom", "D:\\gone.exe", false},
        {"missing", "C:\\Old\\app.exe -start", true},
        {"missingspaced", "C:\\My App\\gone.exe /x", true},
        {"missingcyrillic", kCyrillicFolder + "\\gone.exe", true},
        {"empty", "", false},
    };
    for (const Probe& p : probes) {
        w.world.registry.PutValue(HKLM, kRunKey, p.name, RegString(p.value));
        TestBrokenRegistryPath(w.app, p.value, std::string("HKLM\\") + kRunKey + "\\" + p.name, 0,
                               HKLM, kRunKey, p.name, 5, 0);
    }
    std::vector<std::string> reported;
    for (const ProblemRef& item : w.app.Problems) reported.push_back(item->pCureKeyValueName);
    std::vector<std::string> expected;
    for (const Probe& p : probes)
        if (p.broken) expected.push_back(p.name);
    EXPECT_EQ(reported, expected);
    EXPECT_TRUE(w.Lines("app.log").empty());
}

TEST(TestBrokenRegistryPath, AMissingProgramKeepsTheWholeTextAndEveryField) {
    DriveWorld w;
    const std::string key = "Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Old";
    w.world.registry.PutValue(HKLM, key, "UninstallString", RegString("C:\\Old\\app.exe -start"));
    TestBrokenRegistryPath(w.app, "C:\\Old\\app.exe -start", "HKLM\\" + key, 2, HKLM, key,
                           "UninstallString", 4, 1);

    ASSERT_EQ(w.app.Problems.Count(), 1);
    const clsItem& item = *w.app.Problems.Item(1);
    EXPECT_EQ(item.pType(), 0);
    EXPECT_EQ(item.pSTATUS, 2);
    EXPECT_EQ(item.pInternalType, 4);
    EXPECT_EQ(item.pName(), "HKLM\\" + key);
    EXPECT_EQ(item.UID(), "registry_HKLM\\" + key + "_UninstallString");
    EXPECT_EQ(item.pDescription, "Links to nonexisting file C:\\Old\\app.exe -start");
    EXPECT_EQ(item.pCureKeyRoot, static_cast<int32_t>(HKLM));
    EXPECT_EQ(item.pCureKeyName, key);
    EXPECT_EQ(item.pCureKeyValueName, "UninstallString");
    EXPECT_EQ(item.pCureMissingfile, "C:\\Old\\app.exe -start");
    EXPECT_EQ(item.pCureFilename, "");
    EXPECT_EQ(item.pCureMethod, 1);
    EXPECT_EQ(item.pCureValueType, 1);
    EXPECT_EQ(w.Lines("app3.log"),
              std::vector<std::string>{kProblemLogStamp +
                                       "Problem: Registry : Wrong uninstall info | "
                                       " : REG_SZ ; HKLM\\" +
                                       key + "\\UninstallString | C:\\Old\\app.exe -start"});
}

TEST(TestBrokenRegistryPath, TheValueTypeComesFromTheRegistryAndAdmissionFiltersIt) {
    DriveWorld w;
    w.world.registry.PutValue(HKCU, kRunKey, "expand", RegString("%TEMP%\\x.exe", REG_EXPAND_SZ_));
    w.world.registry.PutValue(HKCU, kRunKey, "counter", RegDword(3));
    // The text tested is the caller's, whatever the registry holds.
    TestBrokenRegistryPath(w.app, "C:\\gone\\x.exe", "x", 0, HKCU, kRunKey, "expand", 6, 0);
    TestBrokenRegistryPath(w.app, "C:\\gone\\y.dll", "y", 0, HKCU, kRunKey, "counter", 9, 0);
    TestBrokenRegistryPath(w.app, "C:\\gone\\z.exe", "z", 0, HKCU, kRunKey, "novalue", 6, 0);

    ASSERT_EQ(w.app.Problems.Count(), 2);
    EXPECT_EQ(w.app.Problems.Item(1)->pCureValueType, 4);
    EXPECT_EQ(w.app.Problems.Item(2)->pCureValueType, 0);
    std::vector<std::string> log = w.Lines("app3.log");
    ASSERT_EQ(log.size(), 3u);
    EXPECT_EQ(log[0],
              kProblemLogStamp +
                  "Problem skipped (becuse of unsupported registry value type) : Registry : "
                  "Broken link |  : REG_EXPAND_SZ ; HKCU\\" +
                  kRunKey + "\\expand | C:\\gone\\x.exe");
}

// A profile that fails when the problem description is looked up.
class DescriptionLookupFails : public PortableProfile {
public:
    using PortableProfile::PortableProfile;
    std::string GetString(const std::string& section, const std::string& key,
                          const std::string& defaultValue, const std::string& path,
                          uint32_t capacity) override {
        if (key == "description_wronglink") throw RuntimeError(kErrOutOfMemory);
        return PortableProfile::GetString(section, key, defaultValue, path, capacity);
    }
};

TEST(TestBrokenRegistryPath, AFailureIsLoggedAndAdmitsNothing) {
    testing_support::ScratchFolder folder{"app"};
    PortableWorld world;
    DescriptionLookupFails profile(world.files);
    Platform platform{world.registry, world.files,          profile, world.clock, world.locale,
                      world.system,   world.scriptedPrompts, world.links};
    App app(platform, folder.path());
    world.files.MapDrive('F', folder.path());

    TestBrokenRegistryPath(app, "F:\\gone.exe", "n", 0, HKLM, kRunKey, "v", 5, 0);
    EXPECT_EQ(app.Problems.Count(), 0);
    EXPECT_EQ(testing_support::ReadLines(folder.HostFile("app.log")),
              std::vector<std::string>{"Error in TestBrokenRegistryPath, error 7"});
}

}  // namespace
