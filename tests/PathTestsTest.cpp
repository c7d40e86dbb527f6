#include <gtest/gtest.h>

#include "core/Errors.h"
#include "scan/PathTests.h"
#include "tests/ScanSupport.h"

using namespace testing_support;

namespace {

const std::string kCyrillic =
    "C:\\\xD0\x9F\xD1\x80\xD0\xBE\xD0\xB3\xD1\x80\xD0\xB0\xD0\xBC\xD0\xBC\xD1\x8B";  // Программы
const std::string kRun = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Run";

TEST(GetPathFromRegistryValue, EachStepInOrder) {
    ScanWorld w;
    w.app.WindowsFolder = "C:\\WINDOWS";
    // clang-format off
    const std::pair<std::string, std::string> cases[] = {
        // Quotes: leading, trailing, and a quoted path followed by arguments.
        {"\"C:\\Program Files\\App\\app.exe\" /s", "C:\\Program Files\\App\\app.exe"},
        {"\"C:\\App\\app.exe", "C:\\App\\app.exe"},
        {"C:\\App\\app.exe\"", "C:\\App\\app.exe"}, {"C:\\a\"b\" c", "C:\\a"}, {"\"\"", ""}, {"\"", ""},
        // Arguments after an unquoted path stay.
        {"C:\\Tools\\tool.exe -quiet", "C:\\Tools\\tool.exe -quiet"},
        // The two variables, in exactly this spelling.
        {"%SystemRoot%\\system32\\x.exe", "C:\\WINDOWS\\system32\\x.exe"},
        {"\"%ProgramFiles%\\App\\a.exe\" -x", "C:\\Program Files\\App\\a.exe"},
        {"%ProgramFiles%\\A\\a.exe %SystemRoot%\\b.txt", "C:\\Program Files\\A\\a.exe C:\\WINDOWS\\b.txt"},
        {"%systemroot%\\x.exe", ""}, {"%programfiles%\\a.exe", ""}, {"%windir%\\x.exe", ""},
        // Installer and control-panel command lines, in any case.
        {"MsiExec.exe /X{11111111-2222-3333-4444-555555555555}", ""}, {"MSIEXEC.EXE /I x", ""},
        {"RUNDLL32 shell32.dll,Control_RunDLL", ""}, {"rundll32.exe x.dll,E", ""},
        // Relative names, network paths, a leading space; trailing spaces go.
        {"notepad.exe", ""}, {"\\\\server\\share\\x.exe", ""}, {" C:\\App\\app.exe", ""},
        {"C:\\App\\app.exe   ", "C:\\App\\app.exe"},
        // Short texts: one character passes, "X:" and "X:name" are not drive-tested.
        {"x", "x"}, {" ", ""}, {"C:", "C:"}, {"Q:", "Q:"}, {"C:a.exe", "C:a.exe"}, {"Q:a.exe", "Q:a.exe"},
        // Drive roots: only fixed disks are tested.
        {"C:\\x.exe", "C:\\x.exe"}, {"c:\\x.exe", "c:\\x.exe"}, {"A:\\setup.exe", ""}, {"D:\\setup.exe", ""},
        {"N:\\tools\\x.exe", ""}, {"R:\\x.exe", ""}, {"Q:\\x.exe", ""},
        // Characters, not bytes: a non-ASCII first character, and non-ASCII folders.
        {"\xC3\xA9:", "\xC3\xA9:"}, {"\xC3\xA9:\\x.exe", ""}, {"\xD0\x96x", ""},
        {"\"" + kCyrillic + "\\app.exe\" /x", kCyrillic + "\\app.exe"}};
    // clang-format on
    for (const auto& [value, path] : cases)
        EXPECT_EQ(GetPathFromRegistryValue(w.app, value), path) << "value: [" << value << "]";
    // A folder variable that is itself non-ASCII is substituted whole.
    w.app.ProgramFilesFolder = kCyrillic;
    EXPECT_EQ(GetPathFromRegistryValue(w.app, "%ProgramFiles%\\a.exe"), kCyrillic + "\\a.exe");
    EXPECT_TRUE(w.Lines("app.log").empty());
}

// A file system that cannot tell drive types.
class DriveTypeFails : public PortableFileSystem {
  public:
    uint32_t QueryDriveType(const std::string&) override { throw RuntimeError(kErrInvalidCall); }
};

TEST(MyGetDriveType, AFailureIsReportedAndGivesUnknown) {
    testing_support::TestApp t;
    DriveTypeFails files;
    Platform platform = Using(t.world.platform, files);
    App app(platform, t.folder.path());
    EXPECT_EQ(MyGetDriveType(app, "C:\\"), 0u);
    // An unknown drive type is not a fixed disk: the path is not tested.
    EXPECT_EQ(GetPathFromRegistryValue(app, "C:\\x.exe"), "");
    EXPECT_EQ(t.Lines("app.log"),
              std::vector<std::string>(
                  2, "Error in MyGetDriveType, error 5, Invalid procedure call or argument"));
}

TEST(TestBrokenRegistryPath, CutsAtSpacesToFindAnExistingProgram) {
    ScanWorld w;
    w.CreateFile("C:\\Tools\\tool.exe");
    w.CreateFile("C:\\My App\\run.exe");
    w.CreateFile(kCyrillic + "\\app.exe");
    w.CreateFolder("C:\\Data Folder");
    // clang-format off
    const std::pair<std::string, bool> probes[] = {
        {"C:\\Tools\\tool.exe -quiet -log C:\\x.txt", false},
        // Found at the first cut; the later cut "C:\My" finds nothing and changes nothing.
        {"C:\\My App\\run.exe -x", false}, {"C:\\My App\\run.exe", false}, {"C:\\Data Folder", false},
        {"C:\\Data Folder /open", false}, {kCyrillic + "\\app.exe /q", false}, {"C:\\Tools\\tool.exe    ", false},
        {"notepad.exe", false}, {"D:\\gone.exe", false}, {"", false}, {"C:\\Old\\app.exe -start", true},
        {"C:\\My App\\gone.exe /x", true}, {kCyrillic + "\\gone.exe", true}};
    // clang-format on
    std::vector<std::string> expected;
    for (const auto& [value, broken] : probes) {
        TestBrokenRegistryPath(w.app, value, "HKLM\\" + kRun, 0, HKLM, kRun, value, 5, 0);
        if (broken) expected.push_back(value);
    }
    std::vector<std::string> reported;
    for (const ProblemRef& item : w.app.Problems) reported.push_back(item->pCureMissingfile);
    EXPECT_EQ(reported, expected);
    EXPECT_TRUE(w.Lines("app.log").empty());
}

TEST(TestBrokenRegistryPath, AMissingProgramKeepsTheWholeTextAndEveryField) {
    ScanWorld w;
    const std::string key = "Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Old";
    w.Put(HKLM, key, "UninstallString", "C:\\Old\\app.exe -start");
    TestBrokenRegistryPath(w.app, "C:\\Old\\app.exe -start", "HKLM\\" + key, 2, HKLM, key,
                           "UninstallString", 4, 1);
    ASSERT_EQ(w.app.Problems.Count(), 1);
    EXPECT_EQ(FieldsOf(*w.app.Problems.Item(1)),
              (Fields{0, 2, 4, "HKLM\\" + key, "registry_HKLM\\" + key + "_UninstallString",
                      "Links to nonexisting file C:\\Old\\app.exe -start", HKLM, key,
                      "UninstallString", "C:\\Old\\app.exe -start", "", 1, 1}));
    EXPECT_EQ(
        w.Lines("app3.log"),
        std::vector<std::string>{kProblemLogStamp +
                                 "Problem: Registry : Wrong uninstall info |  : REG_SZ ; HKLM\\" +
                                 key + "\\UninstallString | C:\\Old\\app.exe -start"});
}

TEST(TestBrokenRegistryPath, TheValueTypeComesFromTheRegistry) {
    ScanWorld w;
    w.world.registry.PutValue(HKCU, kRun, "counter", RegDword(3));
    // The text tested is the caller's, whatever the registry holds.
    TestBrokenRegistryPath(w.app, "C:\\gone\\y.dll", "y", 0, HKCU, kRun, "counter", 9, 0);
    TestBrokenRegistryPath(w.app, "C:\\gone\\z.exe", "z", 0, HKCU, kRun, "novalue", 6, 0);
    ASSERT_EQ(w.app.Problems.Count(), 2);
    EXPECT_EQ(w.app.Problems.Item(1)->pCureValueType, 4);
    EXPECT_EQ(w.app.Problems.Item(2)->pCureValueType, 0);
}

}  // namespace
