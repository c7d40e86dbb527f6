#include <gtest/gtest.h>

#include "problems/Admission.h"
#include "tests/ScanSupport.h"

using testing_support::kProblemLogStamp;
using testing_support::ScanWorld;

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
