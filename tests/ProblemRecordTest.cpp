#include <gtest/gtest.h>

#include "problems/clsItem.h"
#include "tests/TestSupport.h"

using testing_support::TestApp;

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

}  // namespace
