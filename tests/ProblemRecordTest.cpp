// The problem record, and the admission of each record found into the collection.
#include <gtest/gtest.h>

#include "problems/Admission.h"
#include "problems/clsItem.h"
#include "tests/ScanSupport.h"

using namespace testing_support;

namespace {

TEST(ProblemRecord, UidIsRebuiltOnEveryWriteOfTypeNameOrKey) {
    clsItem item;
    EXPECT_EQ(item.UID(), "");
    item.pType(kTypeRegistry);
    item.pName("HKLM\\Software\\X");
    item.pKey("Path");
    item.pCureMissingfile = "C:\\x.exe";  // not part of the identity
    EXPECT_EQ(item.UID(), "registry_HKLM\\Software\\X_Path");
    const std::pair<int32_t, const char*> types[] = {{kTypeShortcut, "shortcut_Path_HKLM\\Software\\X"},
                                                     {kTypeFile, "file_HKLM\\Software\\X_Path"},
                                                     {kTypeCured, "unknown_"}, {7, "unknown_"}};
    for (const auto& [type, uid] : types) {
        item.pType(type);
        EXPECT_EQ(item.UID(), uid) << type;
    }
}

TEST(ProblemRecord, TypeAndStatusNamesComeFromTheLanguageFile) {
    TestApp t;
    const char* names[][2] = {{"", ""},
                              {"Registry", "Broken link"},
                              {"Shortcut", "Unused file"},
                              {"File", "Wrong uninstall info"},
                              {"", "Broken help link"},
                              {"", "Unused file suffix"},
                              {"", "ActiveX/COM"},
                              {"", ""}};
    clsItem item;
    for (int32_t code = -1; code <= 6; ++code) {
        item.pType(code);
        item.pSTATUS = code;
        EXPECT_EQ(item.pTypeName(t.app), names[code + 1][0]) << code;
        EXPECT_EQ(item.pStatusName(t.app), names[code + 1][1]) << code;
    }
    std::filesystem::create_directory(t.folder.HostFile("languages"));
    testing_support::WriteBytes(
        t.folder.HostFile("languages/deu.txt"),
        "[Lang]\r\ntype_shortcut=Verkn\xFCpfung\r\nstatus_brokenlink=Defekt\r\n");
    t.app.LanguageCode = "deu";
    item.pType(kTypeShortcut);
    item.pSTATUS = kStatusBrokenLink;
    EXPECT_EQ(item.pTypeName(t.app), "Verkn\xC3\xBCpfung");
    EXPECT_EQ(item.pStatusName(t.app), "Defekt");
}

TEST(ProblemRecord, FriendlyDescriptions) {
    // Shortcut and registry records: ShortcutScannersTest, PathTestsTest.
    TestApp t;
    clsItem cured;
    cured.pType(kTypeCured);
    cured.pSTATUS = 9;
    EXPECT_EQ(cured.FriendlyDescription(t.app), " :  |  : \\\\ | ");
    // A freshly made record is a registry record of type REG_NONE.
    EXPECT_EQ(clsItem().FriendlyDescription(t.app),
              "Registry : Broken link |  : REG_NONE ; \\\\ | ");
}

TEST(ProblemRecord, HiveAndValueTypeNames) {
    const std::pair<uint32_t, const char*> hives[] = {
        {0x80000000, "HKCR"}, {0x80000001, "HKCU"}, {0x80000002, "HKLM"}, {0x80000003, "HKU"},
        {0x80000004, ""},     {0x80000005, "HKCC"}, {0x80000006, ""},     {0, ""}};
    for (const auto& [hive, name] : hives)
        EXPECT_EQ(HiveName(static_cast<int32_t>(hive)), name) << hive;
    const std::pair<int32_t, const char*> types[] = {
        {0, "REG_NONE"}, {2, "REG_EXPAND_SZ"}, {7, "REG_MULTI_SZ"},
        {10, "REG_RESOURCE_REQUIREMENTS_LIST"}, {11, ""}, {-1, ""}};
    for (const auto& [type, name] : types) EXPECT_EQ(RegTypeName(type), name) << type;
}

ProblemRef Record(int32_t type, int32_t status, int32_t check, int32_t valueType,
                  const std::string& missing) {
    auto item = std::make_shared<clsItem>();
    item->pType(type);
    item->pSTATUS = status;
    item->pInternalType = check;
    item->pName("N");
    item->pCureValueType = valueType;
    item->pCureMissingfile = missing;
    return item;
}

TEST(Admission, FiltersAndTheirProblemLogLines) {
    // The problem-log lines a record gives, before its description: "P" for admitted,
    // "T" for the value-type filter, a digit for the drive filter with that drive type.
    const std::string valueType = "Problem skipped (becuse of unsupported registry value type) : ";
    auto prefix = [&](char line) -> std::string {
        if (line == 'P') return "Problem: ";
        if (line == 'T') return valueType;
        return std::string("Problem skipped (pointing to unsupported drive ") + line + " ) : ";
    };
    struct Case {
        const char* what;
        int32_t type, status, check, valueType;
        std::string missing, lines;
    } cases[] = {
        {"registry, fixed", 0, 0, 5, 1, "C:\\gone.exe", "P"},
        {"expandable value", 0, 0, 5, 2, "C:\\gone.exe", "T"},
        {"multi-string value", 0, 0, 5, 7, "C:\\gone.exe", "T"},
        {"multi-string on a CD-ROM", 0, 0, 5, 7, "D:\\gone.exe", "T5"},
        {"shortcut with type field 2", 1, 0, 0, 2, "C:\\gone.exe", "P"},
        {"file with type field 7", 2, 1, 0, 7, "", "P"},
        {"floppy", 1, 0, 0, 0, "A:\\gone.exe", "2"},
        {"floppy, unused file", 2, 1, 0, 0, "A:\\old.tmp", "P"},
        {"floppy, MenuOrder entry", 0, 0, 13, 0, "A:\\x.lnk", "P"},
        {"missing drive", 0, 0, 5, 0, "Q:\\gone.exe", "1"},
        {"missing drive, MenuOrder entry", 0, 0, 13, 0, "Q:\\x.lnk", "P"},
        {"network drive", 0, 0, 5, 0, "N:\\gone.exe", "4"},
        {"CD-ROM", 0, 0, 5, 0, "d:\\gone.exe", "5"},
        {"RAM disk", 0, 0, 5, 0, "R:\\gone.exe", "P"},
        {"empty path", 0, 5, 18, 0, "", "P"},
        {"two characters", 0, 0, 5, 0, "Q:", "P"},
        {"drive-relative", 0, 0, 5, 0, "Q:x.exe", "P"},
        {"network share", 1, 0, 0, 0, "\\\\server\\share\\x.exe", "P"},
        {"relative name", 0, 0, 5, 0, "gone.exe", "P"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        ScanWorld w;
        ProblemRef item = Record(c.type, c.status, c.check, c.valueType, c.missing);
        addProblem(w.app, item);
        bool admitted = c.lines == "P";
        EXPECT_EQ(w.app.Problems.Count(), admitted ? 1 : 0);
        EXPECT_TRUE(!admitted || w.app.Problems.Item(1) == item);
        std::vector<std::string> expected;
        for (char line : c.lines)
            expected.push_back(kProblemLogStamp + prefix(line) + item->FriendlyDescription(w.app));
        EXPECT_EQ(w.Lines("app3.log"), expected);
        EXPECT_EQ(w.Lines("app2.log"), std::vector<std::string>{"addProblem"});
    }
}

TEST(Admission, AFailureIsLoggedAndNothingIsAdded) {
    ScanWorld w;
    addProblem(w.app, nullptr);
    EXPECT_EQ(w.app.Problems.Count(), 0);
    EXPECT_EQ(w.Lines("app.log"), std::vector<std::string>{"Error in addProblem, error 91"});
    EXPECT_EQ(w.Lines("app2.log"), std::vector<std::string>{"addProblem"});
    EXPECT_TRUE(w.Lines("app3.log").empty());
}

}  // namespace
