// The class, identifier and type-library scanners, in the cases the sample machine
// (SampleMachineTest) does not plant.
#include <gtest/gtest.h>

#include <tuple>

#include "scan/ComScanners.h"
#include "tests/ScanSupport.h"

using testing_support::Fields;
using testing_support::ScanWorld;
using Lines = std::vector<std::string>;

namespace {

const std::string kClassKey = "CLSID\\{11111111-2222-3333-4444-555555555555}\\";

TEST(ComScanners, ServerAndIconSubkeys) {
    struct Case {
        const char* subkey;
        const char* value;  // null: no default value
        const char* sibling;
        int32_t check;  // 0: no problem
        std::string missing;
        int32_t valueType = 1;
    } cases[] = {
        {"LocalServer", "", nullptr, 21, ""},
        {"InprocServer", "C:\\Gone\\old.dll", nullptr, 21, "C:\\Gone\\old.dll"},
        {"DefaultIcon", "", nullptr, 21, ""},
        // InprocServer32 is tested only without other server subkeys.
        {"InprocServer32", "C:\\Gone\\x.dll", "Implemented Categories", 15, "C:\\Gone\\x.dll"},
        {"InprocServer32", "C:\\Gone\\x.dll", "InprocHandler32", 0, ""},
        {"InprocServer32", "C:\\Gone\\x.dll", "PersistentHandler", 0, ""},
        {"InprocServer32", nullptr, nullptr, 15, "", 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.subkey) + " = " + (c.value ? c.value : "nothing") + " beside " +
                     (c.sibling ? c.sibling : "nothing"));
        ScanWorld w;
        if (c.value)
            w.Put(HKCR, kClassKey + c.subkey, "", c.value);
        else
            w.Put(HKCR, kClassKey + c.subkey, "ThreadingModel", "Both");
        if (c.sibling) w.Put(HKCR, kClassKey + c.sibling, "", "C:\\Kept");
        w.CreateFolder("C:\\Kept");
        ScanHKCR_CLSID(w.app);
        const std::string key = kClassKey + c.subkey, name = "HKCR\\" + key;
        EXPECT_EQ(w.ProblemFields(),
                  OneIf(c.check != 0,
                        Fields{0, 0, c.check, name, "registry_" + name + "_",
                               c.missing.empty() ? "Empty registry value " + name
                                                 : "Links to nonexisting file " + c.missing,
                               HKCR, key, "", c.missing, "", 0, c.valueType}));
    }
}

TEST(ComScanners, ProgrammaticIdentifiers) {
    const std::string id = "{99999999-9999-9999-9999-999999999999}";
    // Where the class is registered besides nowhere: the HKLM classes, or only the
    // 32-bit view (a 32-bit control), under either spelling an export may give it.
    const std::tuple<std::string, std::string, bool> cases[] = {
        {"Kept.Thing", "SOFTWARE\\Classes\\CLSID\\", false},
        {"Old.Control", "SOFTWARE\\Classes\\WOW6432Node\\CLSID\\", false},
        {"Old.AddIn", "SOFTWARE\\WOW6432Node\\Classes\\CLSID\\", false},
        {"Not.A.Class", "SOFTWARE\\WOW6432Node\\Classes\\Interface\\", true},
        {"headerfooter.HEADERFOOTER.1", "", false},
        {".gone", "", false},  // an extension is never an identifier
    };
    for (const auto& [progId, classKeyInHklm, reported] : cases) {
        SCOPED_TRACE(progId);
        ScanWorld w;
        w.Put(HKCR, progId + "\\CLSID", "", id);
        if (!classKeyInHklm.empty()) w.world.registry.CreateKey(HKLM, classKeyInHklm + id);
        SR_ActivexHKCR(w.app);
        EXPECT_EQ(w.ProblemFields(),
                  OneIf(reported, Fields{0, 5, 18, "HKCR\\" + progId,
                                         "registry_HKCR\\" + progId + "_HKCR\\" + progId,
                                         "ActiveX/COM problem", HKCR, progId, "", "", "", 0, 0}));
    }
}

TEST(ComScanners, TypeLibraryReferences) {
    const std::string lib = "{77777777-7777-7777-7777-777777777777}";
    const std::string cls = "{11111111-2222-3333-4444-555555555555}";
    const std::tuple<std::string, std::string, std::string, bool> cases[] = {
        {"CLSID", lib, "", true},
        {"Interface", lib, "CLSID", false},
        {"CLSID", lib, "WOW6432Node\\CLSID", false},
        {"CLSID", lib, "WOW6432Node\\Interface", false},
        {"CLSID", "{7777}", "", false},
    };
    for (const auto& [root, reference, registeredAs, reported] : cases) {
        SCOPED_TRACE(root + " -> " + reference + " under " + registeredAs);
        ScanWorld w;
        std::string key = root + "\\" + cls + "\\TypeLib";
        w.Put(HKCR, key, "", reference);
        if (!registeredAs.empty()) w.world.registry.CreateKey(HKCR, registeredAs + "\\" + lib);
        SCANREG_TypeLib(w.app, root);
        EXPECT_EQ(w.ProblemFields(),
                  OneIf(reported,
                        Fields{0, 5, 19, "HKCR\\" + key, "registry_HKCR\\" + key + "_HKCR\\" + key,
                               "Missing type library " + lib, HKCR, key, "", "", "", 0, 0}));
    }
}

TEST(ComScanners, IsGuidChecksBracesAndHyphensOnlyAndTrimsInPlace) {
    const std::string guid = "{12345678-1234-1234-1234-123456789012}";
    const std::tuple<std::string, bool, std::string> cases[] = {
        {"  {ZZZZZZZZ-ZZZZ-ZZZZ-ZZZZ-ZZZZZZZZZZZZ}  ", true, "{ZZZZZZZZ-ZZZZ-ZZZZ-ZZZZ-ZZZZZZZZZZZZ}"},
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
    for (auto [given, isGuid, trimmed] : cases) {
        EXPECT_EQ(IsGUID(given), isGuid) << trimmed;
        EXPECT_EQ(given, trimmed);
    }
}

}  // namespace
