#include <gtest/gtest.h>

#include "scan/ComScanners.h"
#include "tests/ScanSupport.h"

using testing_support::Fields;
using testing_support::FieldsOf;
using testing_support::ScanWorld;

namespace {

const std::string kClassKey = "CLSID\\{11111111-2222-3333-4444-555555555555}\\";

// The record of a class subkey whose value names a missing file or is empty.
Fields ClassSubkeyProblem(int32_t check, const std::string& key, const std::string& missing,
                          int32_t valueType = 1) {
    std::string name = "HKCR\\" + key;
    std::string description =
        missing.empty() ? "Empty registry value " + name : "Links to nonexisting file " + missing;
    return {0,       0,  check, name,     "registry_" + name + "_", description, HKCR, key, "",
            missing, "", 0,     valueType};
}

TEST(ComScanners, ServerAndIconSubkeys) {
    struct Case {
        const char* subkey;
        std::string value;
        int32_t check;  // 0: no problem
        std::string missing;
    } cases[] = {
        // clang-format off
        {"LocalServer32", "\"C:\\Gone\\srv.exe\" /automation", 21, "C:\\Gone\\srv.exe"},
        {"LocalServer32", "C:\\Kept\\app.exe /automation", 0, ""}, {"LocalServer32", "", 21, ""},
        {"LocalServer", "", 21, ""}, {"InprocServer", "C:\\Gone\\old.dll", 21, "C:\\Gone\\old.dll"},
        {"DefaultIcon", "C:\\Kept\\app.exe,3", 0, ""},
        {"DefaultIcon", "C:\\Gone\\icons.dll,3", 22, "C:\\Gone\\icons.dll"},
        {"DefaultIcon", ",3", 0, ""},  // tested whole: not a drive path
        {"DefaultIcon", "", 21, ""},
        // clang-format on
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.subkey + (" = " + c.value));
        ScanWorld w;
        w.CreateFile("C:\\Kept\\app.exe");
        w.Put(HKCR, kClassKey + c.subkey, "", c.value);
        ScanHKCR_CLSID(w.app);
        EXPECT_EQ(
            w.ProblemFields(),
            OneIf(c.check != 0, ClassSubkeyProblem(c.check, kClassKey + c.subkey, c.missing)));
    }
}

TEST(ComScanners, InprocServer32IsTestedOnlyWithoutOtherServerSubkeys) {
    struct Case {
        const char* value;  // null: no default value
        const char* sibling;
        bool reported;
        std::string missing;
        int32_t valueType;
    } cases[] = {
        {"C:\\Gone\\x.dll", nullptr, true, "C:\\Gone\\x.dll", 1},
        {"C:\\Gone\\x.dll", "Implemented Categories", true, "C:\\Gone\\x.dll", 1},
        {"C:\\Gone\\x.dll", "DefaultIcon", false, "", 0},
        {"C:\\Gone\\x.dll", "InprocHandler32", false, "", 0},
        {"C:\\Gone\\x.dll", "PersistentHandler", false, "", 0},
        {"x.dll", nullptr, false, "", 0},
        {"", nullptr, true, "", 1},
        {nullptr, nullptr, true, "", 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.value ? c.value : "no value") + " beside " +
                     (c.sibling ? c.sibling : "nothing"));
        ScanWorld w;
        if (c.value)
            w.Put(HKCR, kClassKey + "InprocServer32", "", c.value);
        else
            w.Put(HKCR, kClassKey + "InprocServer32", "ThreadingModel", "Both");
        if (c.sibling) w.Put(HKCR, kClassKey + c.sibling, "", "C:\\Kept");
        w.CreateFolder("C:\\Kept");
        ScanHKCR_CLSID(w.app);
        EXPECT_EQ(w.ProblemFields(),
                  OneIf(c.reported, ClassSubkeyProblem(15, kClassKey + "InprocServer32", c.missing,
                                                       c.valueType)));
    }
}

TEST(ComScanners, ShellCommandsOfApplications) {
    ScanWorld w;
    w.CreateFile("C:\\Kept\\viewer.exe");
    w.Put(HKCR, "Applications\\gone.exe\\shell\\open\\command", "",
          "\"C:\\Gone\\gone.exe\" \"%1\"");
    w.Put(HKCR, "Applications\\viewer.exe\\shell\\open\\command", "",
          "\"C:\\Kept\\viewer.exe\" \"%1\"");
    w.Put(HKCR, "Applications\\noverbs.exe", "FriendlyAppName", "x");
    ScanHKCR(w.app, "Applications");
    ASSERT_EQ(w.app.Problems.Count(), 1);
    Fields expected = ClassSubkeyProblem(14, "Applications\\gone.exe\\shell\\open\\command",
                                         "C:\\Gone\\gone.exe");
    EXPECT_EQ(FieldsOf(*w.app.Problems.Item(1)), expected);
}

TEST(ComScanners, ProgrammaticIdentifiers) {
    const std::string id = "{99999999-9999-9999-9999-999999999999}";
    // Where the class is registered besides nowhere: the HKLM classes, or only the
    // 32-bit view (a 32-bit control), under either spelling an export may give it.
    struct Case {
        std::string progId, classText, classKeyInHklm;
        bool reported;
    } cases[] = {
        {"Gone.Thing", id, "", true},
        {"Kept.Thing", id, "SOFTWARE\\Classes\\CLSID\\", false},
        {"Old.Control", id, "SOFTWARE\\Classes\\WOW6432Node\\CLSID\\", false},
        {"Old.AddIn", id, "SOFTWARE\\WOW6432Node\\Classes\\CLSID\\", false},
        {"Not.A.Class", id, "SOFTWARE\\WOW6432Node\\Classes\\Interface\\", true},
        {"Odd.Thing", id.substr(1, 36), "", false},  // no braces
        {"HeaderFooter.HeaderFooter", id, "", false},
        {"headerfooter.HEADERFOOTER.1", id, "", false},
        {".gone", id, "", false},  // an extension is never an identifier
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.progId);
        ScanWorld w;
        w.Put(HKCR, c.progId + "\\CLSID", "", c.classText);
        if (!c.classKeyInHklm.empty())
            w.world.registry.CreateKey(HKLM, c.classKeyInHklm + c.classText);
        SR_ActivexHKCR(w.app);
        EXPECT_EQ(
            w.ProblemFields(),
            OneIf(c.reported, Fields{0, 5, 18, "HKCR\\" + c.progId,
                                     "registry_HKCR\\" + c.progId + "_HKCR\\" + c.progId,
                                     "ActiveX/COM problem", HKCR, c.progId, "", "", "", 0, 0}));
    }
}

TEST(ComScanners, TypeLibraryReferences) {
    const std::string lib = "{77777777-7777-7777-7777-777777777777}";
    const std::string cls = "{11111111-2222-3333-4444-555555555555}";
    struct Case {
        std::string root, subkey, reference, registeredAs;  // registeredAs: "" or a root key
        bool reported;
    } cases[] = {
        {"CLSID", cls, lib, "", true},
        {"CLSID", cls, lib, "TypeLib", false},
        {"Interface", cls, lib, "Interface", false},
        {"Interface", cls, lib, "CLSID", false},
        {"CLSID", cls, lib, "WOW6432Node\\CLSID", false},
        {"CLSID", cls, lib, "WOW6432Node\\Interface", false},
        {"CLSID", cls, "  " + lib + "  ", "", true},
        {"CLSID", cls, "{7777}", "", false},
        {"CLSID", "NotAGuid", lib, "", false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.root + "\\" + c.subkey + " -> [" + c.reference + "] under " +
                     c.registeredAs);
        ScanWorld w;
        std::string key = c.root + "\\" + c.subkey + "\\TypeLib";
        w.Put(HKCR, key, "", c.reference);
        if (!c.registeredAs.empty()) w.world.registry.CreateKey(HKCR, c.registeredAs + "\\" + lib);
        SCANREG_TypeLib(w.app, c.root);
        EXPECT_EQ(w.ProblemFields(),
                  OneIf(c.reported,
                        Fields{0, 5, 19, "HKCR\\" + key, "registry_HKCR\\" + key + "_HKCR\\" + key,
                               "Missing type library " + lib, HKCR, key, "", "", "", 0, 0}));
        EXPECT_EQ(w.Lines("app2.log").back(), c.reported ? c.subkey : "SCANREG_TypeLib");
    }
}

TEST(ComScanners, IsGuidChecksBracesAndHyphensOnlyAndTrimsInPlace) {
    const std::string guid = "{12345678-1234-1234-1234-123456789012}";
    struct Case {
        std::string given;
        bool isGuid;
        std::string trimmed;
    } cases[] = {
        {guid, true, guid},
        {"  {ZZZZZZZZ-ZZZZ-ZZZZ-ZZZZ-ZZZZZZZZZZZZ}  ", true,
         "{ZZZZZZZZ-ZZZZ-ZZZZ-ZZZZ-ZZZZZZZZZZZZ}"},
        {guid.substr(0, 36) + "}", false, guid.substr(0, 36) + "}"},
        {"(" + guid.substr(1, 36) + ")", false, "(" + guid.substr(1, 36) + ")"},
        {"{12345678_1234-1234-1234-123456789012}", false, "{12345678_1234-1234-1234-123456789012}"},
        // Characters, not bytes: an unchecked position may hold any character.
        {"{1234567\u00e9-1234-1234-1234-12345678901\u4e2d}", true,
         "{1234567\u00e9-1234-1234-1234-12345678901\u4e2d}"},
        {"{1234567\u00e9\u00e9-1234-1234-1234-12345678901}", false,
         "{1234567\u00e9\u00e9-1234-1234-1234-12345678901}"},
        {" ", false, ""},
    };
    for (Case c : cases) {
        EXPECT_EQ(IsGUID(c.given), c.isGuid) << c.trimmed;
        EXPECT_EQ(c.given, c.trimmed);
    }
}

}  // namespace
