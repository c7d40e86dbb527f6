#include <gtest/gtest.h>

#include "problems/clsItem.h"
#include "scan/ComScanners.h"
#include "tests/ScanSupport.h"

using testing_support::ScanWorld;

namespace {

const char kClass[] = "{11111111-2222-3333-4444-555555555555}";

std::string ClassKey(const std::string& sub) { return std::string("CLSID\\") + kClass + "\\" + sub; }

TEST(ComScanners, ServerAndIconSubkeys) {
    struct Case {
        const char* name;
        const char* subkey;
        std::string value;
        int expectedCheck;  // 0: no problem
        std::string expectedMissing;
        bool emptyValue;
    } cases[] = {
        {"quoted missing server with a switch", "LocalServer32", "\"C:\\Gone\\srv.exe\" /automation",
         21, "C:\\Gone\\srv.exe", false},
        {"existing server", "LocalServer32", "C:\\Kept\\app.exe /automation", 0, "", false},
        {"empty server", "LocalServer32", "", 21, "", true},
        {"empty 16-bit server", "LocalServer", "", 21, "", true},
        {"missing in-process server of old style", "InprocServer", "C:\\Gone\\old.dll", 21,
         "C:\\Gone\\old.dll", false},
        {"existing icon with index", "DefaultIcon", "C:\\Kept\\app.exe,3", 0, "", false},
        {"missing icon with index", "DefaultIcon", "C:\\Gone\\icons.dll,3", 22, "C:\\Gone\\icons.dll",
         false},
        {"icon text starting with a comma", "DefaultIcon", ",3", 0, "", false},
        {"empty icon", "DefaultIcon", "", 21, "", true},
    };
    for (const Case& c : cases) {
        ScanWorld w;
        w.CreateFileOnC("C:\\Kept\\app.exe");
        w.Put(HKCR, ClassKey(c.subkey), "", c.value);
        ScanHKCR_CLSID(w.app);
        if (c.expectedCheck == 0) {
            EXPECT_EQ(w.app.Problems.Count(), 0) << c.name;
            continue;
        }
        ASSERT_EQ(w.app.Problems.Count(), 1) << c.name;
        const clsItem& p = *w.app.Problems.Item(1);
        EXPECT_EQ(p.pInternalType, c.expectedCheck) << c.name;
        EXPECT_EQ(p.pCureMissingfile, c.expectedMissing) << c.name;
        EXPECT_EQ(p.pName(), "HKCR\\" + ClassKey(c.subkey)) << c.name;
        EXPECT_EQ(p.pCureKeyName, ClassKey(c.subkey)) << c.name;
        EXPECT_EQ(p.pCureKeyRoot, static_cast<int32_t>(HKCR)) << c.name;
        EXPECT_EQ(p.pCureValueType, 1) << c.name;
        if (c.emptyValue)
            EXPECT_EQ(p.pDescription, "Empty registry value HKCR\\" + ClassKey(c.subkey)) << c.name;
        else
            EXPECT_EQ(p.pDescription, "Links to nonexisting file " + c.expectedMissing) << c.name;
    }
}

TEST(ComScanners, InprocServer32IsTestedOnlyWithoutOtherServerSubkeys) {
    struct Case {
        const char* name;
        std::string value;
        const char* sibling;  // an extra subkey, or null
        int expectedCount;
    } cases[] = {
        {"missing DLL by full path", "C:\\Gone\\x.dll", nullptr, 1},
        {"missing DLL with an unrelated sibling", "C:\\Gone\\x.dll", "Implemented Categories", 1},
        {"missing DLL beside DefaultIcon", "C:\\Gone\\x.dll", "DefaultIcon", 0},
        {"missing DLL beside InprocHandler32", "C:\\Gone\\x.dll", "InprocHandler32", 0},
        {"missing DLL beside PersistentHandler", "C:\\Gone\\x.dll", "PersistentHandler", 0},
        {"bare DLL name", "x.dll", nullptr, 0},
        {"empty value", "", nullptr, 1},
    };
    for (const Case& c : cases) {
        ScanWorld w;
        w.Put(HKCR, ClassKey("InprocServer32"), "", c.value);
        if (c.sibling) w.Put(HKCR, ClassKey(c.sibling), "", "C:\\Kept");
        w.CreateFileOnC("C:\\Kept\\k");
        ScanHKCR_CLSID(w.app);
        ASSERT_EQ(w.app.Problems.Count(), c.expectedCount) << c.name;
        if (c.expectedCount == 1) {
            const clsItem& p = *w.app.Problems.Item(1);
            EXPECT_EQ(p.pInternalType, 15) << c.name;
            EXPECT_EQ(p.pName(), "HKCR\\" + ClassKey("InprocServer32")) << c.name;
        }
    }
}

TEST(ComScanners, AnInprocServer32WithoutDefaultValueIsEmpty) {
    ScanWorld w;
    w.Put(HKCR, ClassKey("InprocServer32"), "ThreadingModel", "Both");
    ScanHKCR_CLSID(w.app);
    ASSERT_EQ(w.app.Problems.Count(), 1);
    EXPECT_EQ(w.app.Problems.Item(1)->pCureValueType, 0);
    EXPECT_EQ(w.app.Problems.Item(1)->pCureMissingfile, "");
}

TEST(ComScanners, ShellCommandsOfApplications) {
    ScanWorld w;
    w.CreateFileOnC("C:\\Kept\\viewer.exe");
    w.Put(HKCR, "Applications\\gone.exe\\shell\\open\\command", "", "\"C:\\Gone\\gone.exe\" \"%1\"");
    w.Put(HKCR, "Applications\\viewer.exe\\shell\\open\\command", "", "\"C:\\Kept\\viewer.exe\" \"%1\"");
    w.Put(HKCR, "Applications\\noverbs.exe", "FriendlyAppName", "x");
    ScanHKCR(w.app, "Applications");
    ASSERT_EQ(w.app.Problems.Count(), 1);
    const clsItem& p = *w.app.Problems.Item(1);
    EXPECT_EQ(p.pName(), "HKCR\\Applications\\gone.exe\\shell\\open\\command");
    EXPECT_EQ(p.pInternalType, 14);
    EXPECT_EQ(p.pCureMissingfile, "C:\\Gone\\gone.exe");
    EXPECT_EQ(p.pCureKeyValueName, "");
}

TEST(ComScanners, ProgrammaticIdentifiers) {
    struct Case {
        const char* name;
        std::string progId;
        std::string classText;
        bool classUnderHklmOnly;
        bool reported;
    } cases[] = {
        {"class registered nowhere", "Gone.Thing", "{99999999-9999-9999-9999-999999999999}", false,
         true},
        {"class under HKLM only", "Kept.Thing", "{99999999-9999-9999-9999-999999999999}", true, false},
        {"no braces", "Odd.Thing", "99999999-9999-9999-9999-999999999999", false, false},
        {"the excluded identifier", "HeaderFooter.HeaderFooter",
         "{99999999-9999-9999-9999-999999999999}", false, false},
        {"the excluded identifier, version 1, other case", "headerfooter.HEADERFOOTER.1",
         "{99999999-9999-9999-9999-999999999999}", false, false},
        {"an extension is never an identifier", ".gone", "{99999999-9999-9999-9999-999999999999}",
         false, false},
    };
    for (const Case& c : cases) {
        ScanWorld w;
        w.Put(HKCR, c.progId + "\\CLSID", "", c.classText);
        // A class in the machine's classes counts, whichever of the two lookups finds it.
        if (c.classUnderHklmOnly)
            w.world.registry.CreateKey(HKLM, "SOFTWARE\\Classes\\CLSID\\" + c.classText);
        SR_ActivexHKCR(w.app);
        ASSERT_EQ(w.app.Problems.Count(), c.reported ? 1 : 0) << c.name;
        if (c.reported) {
            const clsItem& p = *w.app.Problems.Item(1);
            EXPECT_EQ(p.pName(), "HKCR\\" + c.progId) << c.name;
            EXPECT_EQ(p.UID(), "registry_HKCR\\" + c.progId + "_HKCR\\" + c.progId) << c.name;
            EXPECT_EQ(p.pSTATUS, 5);
            EXPECT_EQ(p.pInternalType, 18);
            EXPECT_EQ(p.pDescription, "ActiveX/COM problem");
            EXPECT_EQ(p.pCureKeyName, c.progId);
            EXPECT_EQ(p.pCureKeyValueName, "");
            EXPECT_EQ(p.pCureValueType, 0);
        }
    }
}

TEST(ComScanners, TypeLibraryReferences) {
    const std::string lib = "{77777777-7777-7777-7777-777777777777}";
    struct Case {
        const char* name;
        std::string root, subkey, reference, registeredAs;  // registeredAs: "" or a root key
        bool reported;
    } cases[] = {
        {"library registered nowhere", "CLSID", kClass, lib, "", true},
        {"library registered as a type library", "CLSID", kClass, lib, "TypeLib", false},
        {"identifier known as an interface", "Interface", kClass, lib, "Interface", false},
        {"identifier known as a class", "Interface", kClass, lib, "CLSID", false},
        {"blanks around the reference", "CLSID", kClass, "  " + lib + "  ", "", true},
        {"malformed reference", "CLSID", kClass, "{7777}", "", false},
        {"subkey not in GUID form", "CLSID", "NotAGuid", lib, "", false},
    };
    for (const Case& c : cases) {
        ScanWorld w;
        w.Put(HKCR, c.root + "\\" + c.subkey + "\\TypeLib", "", c.reference);
        if (!c.registeredAs.empty()) w.world.registry.CreateKey(HKCR, c.registeredAs + "\\" + lib);
        SCANREG_TypeLib(w.app, c.root);
        ASSERT_EQ(w.app.Problems.Count(), c.reported ? 1 : 0) << c.name;
        if (c.reported) {
            const clsItem& p = *w.app.Problems.Item(1);
            std::string key = c.root + "\\" + c.subkey + "\\TypeLib";
            EXPECT_EQ(p.pName(), "HKCR\\" + key) << c.name;
            EXPECT_EQ(p.pCureKeyName, key) << c.name;
            EXPECT_EQ(p.pDescription, "Missing type library " + lib) << c.name;
            EXPECT_EQ(p.pInternalType, 19);
            EXPECT_EQ(w.Lines("app2.log").back(), c.subkey) << c.name;
        }
    }
}

TEST(ComScanners, IsGuidChecksBracesAndHyphensOnly) {
    struct Case {
        std::string text;
        bool expected;
        std::string trimmed;
    } cases[] = {
        {"{12345678-1234-1234-1234-123456789012}", true, "{12345678-1234-1234-1234-123456789012}"},
        {"  {ZZZZZZZZ-ZZZZ-ZZZZ-ZZZZ-ZZZZZZZZZZZZ}  ", true, "{ZZZZZZZZ-ZZZZ-ZZZZ-ZZZZ-ZZZZZZZZZZZZ}"},
        {"{12345678-1234-1234-1234-12345678901}", false, "{12345678-1234-1234-1234-12345678901}"},
        {"(12345678-1234-1234-1234-123456789012)", false, "(12345678-1234-1234-1234-123456789012)"},
        {"{12345678_1234-1234-1234-123456789012}", false, "{12345678_1234-1234-1234-123456789012}"},
        {"", false, ""},
    };
    for (Case c : cases) {
        std::string text = c.text;
        EXPECT_EQ(IsGUID(text), c.expected) << c.text;
        EXPECT_EQ(text, c.trimmed);
    }
}

TEST(ComScanners, EveryKeyIsClosedAlsoWhenCancelled) {
    ScanWorld w;
    for (int i = 0; i < 5; ++i) {
        std::string id = "{11111111-2222-3333-4444-00000000000" + std::to_string(i) + "}";
        w.Put(HKCR, "CLSID\\" + id + "\\LocalServer32", "", "C:\\Gone\\" + std::to_string(i) + ".exe");
    }
    w.progress.cancelWhen = [](const std::string& item) { return item.find("0002}") != std::string::npos; };
    ScanHKCR_CLSID(w.app);
    EXPECT_EQ(w.app.Problems.Count(), 3);
    EXPECT_EQ(w.world.registry.OpenHandleCount(), 0u);
}

}  // namespace
