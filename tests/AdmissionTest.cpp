#include <gtest/gtest.h>

#include "core/Logs.h"
#include "problems/Admission.h"
#include "problems/clsItem.h"
#include "tests/DriveWorld.h"

using testing_support::DriveWorld;
using testing_support::kProblemLogStamp;

namespace {

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
    const std::string valueTypeSkip =
        "Problem skipped (becuse of unsupported registry value type) : ";
    struct Case {
        const char* what;
        int32_t type, status, check, valueType;
        std::string missing;
        bool admitted;
        std::vector<std::string> prefixes;  // the problem-log lines, before the description
    } cases[] = {
        {"registry, fixed", 0, 0, 5, 1, "C:\\gone.exe", true, {"Problem: "}},
        {"expandable value", 0, 0, 5, 2, "C:\\gone.exe", false, {valueTypeSkip}},
        {"multi-string value", 0, 0, 5, 7, "C:\\gone.exe", false, {valueTypeSkip}},
        {"multi-string on a CD-ROM",
         0,
         0,
         5,
         7,
         "D:\\gone.exe",
         false,
         {valueTypeSkip, "Problem skipped (pointing to unsupported drive 5 ) : "}},
        {"shortcut with type field 2", 1, 0, 0, 2, "C:\\gone.exe", true, {"Problem: "}},
        {"file with type field 7", 2, 1, 0, 7, "", true, {"Problem: "}},
        {"floppy",
         1,
         0,
         0,
         0,
         "A:\\gone.exe",
         false,
         {"Problem skipped (pointing to unsupported drive 2 ) : "}},
        {"floppy, unused file", 2, 1, 0, 0, "A:\\old.tmp", true, {"Problem: "}},
        {"floppy, MenuOrder entry", 0, 0, 13, 0, "A:\\x.lnk", true, {"Problem: "}},
        {"missing drive",
         0,
         0,
         5,
         0,
         "Q:\\gone.exe",
         false,
         {"Problem skipped (pointing to unsupported drive 1 ) : "}},
        {"missing drive, MenuOrder entry", 0, 0, 13, 0, "Q:\\x.lnk", true, {"Problem: "}},
        {"network drive",
         0,
         0,
         5,
         0,
         "N:\\gone.exe",
         false,
         {"Problem skipped (pointing to unsupported drive 4 ) : "}},
        {"CD-ROM",
         0,
         0,
         5,
         0,
         "d:\\gone.exe",
         false,
         {"Problem skipped (pointing to unsupported drive 5 ) : "}},
        {"RAM disk", 0, 0, 5, 0, "R:\\gone.exe", true, {"Problem: "}},
        {"empty path", 0, 5, 18, 0, "", true, {"Problem: "}},
        {"two characters", 0, 0, 5, 0, "Q:", true, {"Problem: "}},
        {"drive-relative", 0, 0, 5, 0, "Q:x.exe", true, {"Problem: "}},
        {"network share", 1, 0, 0, 0, "\\\\server\\share\\x.exe", true, {"Problem: "}},
        {"relative name", 0, 0, 5, 0, "gone.exe", true, {"Problem: "}},
    };
    for (const Case& c : cases) {
        DriveWorld w;
        ProblemRef item = Record(c.type, c.status, c.check, c.valueType, c.missing);
        addProblem(w.app, item);
        ASSERT_EQ(w.app.Problems.Count(), c.admitted ? 1 : 0) << c.what;
        if (c.admitted) {
            EXPECT_EQ(w.app.Problems.Item(1), item) << c.what;
        }
        std::vector<std::string> expected;
        for (const std::string& prefix : c.prefixes)
            expected.push_back(kProblemLogStamp + prefix + item->FriendlyDescription(w.app));
        EXPECT_EQ(w.Lines("app3.log"), expected) << c.what;
        EXPECT_EQ(w.Lines("app2.log"), std::vector<std::string>{"addProblem"}) << c.what;
    }
}

TEST(Admission, TheDescriptionInTheLogIsTheRecordsFriendlyDescription) {
    DriveWorld w;
    ProblemRef item = Record(0, 0, 5, 7, "C:\\gone.exe");
    item->pCureKeyRoot = static_cast<int32_t>(HKLM);
    item->pCureKeyName = "K";
    item->pCureKeyValueName = "V";
    addProblem(w.app, item);
    EXPECT_EQ(w.Lines("app3.log"),
              std::vector<std::string>{
                  kProblemLogStamp +
                  "Problem skipped (becuse of unsupported registry value type) : Registry : "
                  "Broken link |  : REG_MULTI_SZ ; HKLM\\K\\V | C:\\gone.exe"});
}

TEST(Admission, DuplicatesAreKeptInOrder) {
    DriveWorld w;
    ProblemRef first = Record(0, 0, 5, 1, "C:\\a.exe");
    ProblemRef second = Record(1, 0, 0, 0, "C:\\b.exe");
    addProblem(w.app, first);
    addProblem(w.app, second);
    addProblem(w.app, first);
    ASSERT_EQ(w.app.Problems.Count(), 3);
    EXPECT_EQ(w.app.Problems.Item(1), first);
    EXPECT_EQ(w.app.Problems.Item(2), second);
    EXPECT_EQ(w.app.Problems.Item(3), first);
    EXPECT_EQ(w.Lines("app3.log").size(), 3u);
}

TEST(Admission, AFailureIsLoggedAndNothingIsAdded) {
    DriveWorld w;
    addProblem(w.app, nullptr);
    EXPECT_EQ(w.app.Problems.Count(), 0);
    EXPECT_EQ(w.Lines("app.log"), std::vector<std::string>{"Error in addProblem, error 91"});
    EXPECT_EQ(w.Lines("app2.log"), std::vector<std::string>{"addProblem"});
    EXPECT_TRUE(w.Lines("app3.log").empty());
}

}  // namespace
