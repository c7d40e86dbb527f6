#include <gtest/gtest.h>

#include "problems/clsItem.h"
#include "tests/TestSupport.h"

using testing_support::TestApp;

namespace {

TEST(ProblemRecord, UidIsRebuiltOnEveryWriteOfTypeNameOrKey) {
    clsItem item;
    EXPECT_EQ(item.UID(), "");
    item.pType(kTypeRegistry);
    EXPECT_EQ(item.UID(), "registry__");
    item.pName("HKLM\\Software\\X");
    item.pKey("Path");
    EXPECT_EQ(item.UID(), "registry_HKLM\\Software\\X_Path");
    // The other fields are not part of the identity.
    item.pCureMissingfile = "C:\\x.exe";
    item.pSTATUS = 3;
    EXPECT_EQ(item.UID(), "registry_HKLM\\Software\\X_Path");
    item.pType(kTypeShortcut);  // key first, then name
    EXPECT_EQ(item.UID(), "shortcut_Path_HKLM\\Software\\X");
    item.pType(kTypeFile);
    EXPECT_EQ(item.UID(), "file_HKLM\\Software\\X_Path");
    item.pType(kTypeCured);
    EXPECT_EQ(item.UID(), "unknown_");
    item.pType(7);
    item.pName("again");
    EXPECT_EQ(item.UID(), "unknown_");

    clsItem shortcut;  // pKey never written: two underscores in a row
    shortcut.pType(kTypeShortcut);
    shortcut.pName("C:\\Desktop\\Old.lnk");
    EXPECT_EQ(shortcut.UID(), "shortcut__C:\\Desktop\\Old.lnk");
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
    TestApp t;
    clsItem shortcut;
    shortcut.pType(kTypeShortcut);
    shortcut.pCureFilename = "C:\\Users\\u\\Desktop\\Old.lnk";
    shortcut.pCureMissingfile = "C:\\Gone\\app.exe";
    shortcut.pCureValueType = 1;  // not shown for shortcuts
    EXPECT_EQ(shortcut.FriendlyDescription(t.app),
              "Shortcut : Broken link | C:\\Users\\u\\Desktop\\Old.lnk : \\\\ | C:\\Gone\\app.exe");

    clsItem registry;
    registry.pSTATUS = kStatusWrongHelp;
    registry.pCureKeyRoot = static_cast<int32_t>(HKLM);
    registry.pCureKeyName = "Software\\Microsoft\\Windows\\Help";
    registry.pCureKeyValueName = "notes.hlp";
    registry.pCureValueType = 1;
    registry.pCureMissingfile = "C:\\Docs\\notes.hlp";
    EXPECT_EQ(registry.FriendlyDescription(t.app),
              "Registry : Broken help link |  : REG_SZ ; "
              "HKLM\\Software\\Microsoft\\Windows\\Help\\notes.hlp | C:\\Docs\\notes.hlp");

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
    const char* types[] = {"REG_NONE",
                           "REG_SZ",
                           "REG_EXPAND_SZ",
                           "REG_BINARY",
                           "REG_DWORD",
                           "REG_DWORD_BIG_ENDIAN",
                           "REG_LINK",
                           "REG_MULTI_SZ",
                           "REG_RESOURCE_LIST",
                           "REG_FULL_RESOURCE_DESCRIPTOR",
                           "REG_RESOURCE_REQUIREMENTS_LIST"};
    for (int32_t type = 0; type <= 10; ++type) EXPECT_EQ(RegTypeName(type), types[type]);
    for (int32_t type : {11, -1}) EXPECT_EQ(RegTypeName(type), "") << type;
}

}  // namespace
