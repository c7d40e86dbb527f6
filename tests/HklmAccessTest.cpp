// brivolex-cli's line for an account that cannot change HKEY_LOCAL_MACHINE.
#include <gtest/gtest.h>

#include "cli/HklmAccess.h"
#include "tests/TestSupport.h"

namespace {

TEST(HklmAccess, SaysSoOnlyWhenHklmCannotBeOpenedWithFullAccess) {
    struct Case {
        bool readOnly;
        bool expectLine;
    };
    for (Case c : {Case{false, false}, Case{true, true}}) {
        SCOPED_TRACE(c.readOnly ? "read-only" : "writable");
        testing_support::TestApp t;
        testing_support::PutAll(t.world.registry,
                                {{HKLM, "SOFTWARE\\Microsoft\\Windows\\CurrentVersion", "x", "1"}});
        ASSERT_TRUE(t.world.registry.SetReadOnly(HKLM, "SOFTWARE", c.readOnly));
        std::string line = HklmAccessProblem(t.app);
        if (c.expectLine) {
            EXPECT_EQ(line.rfind("HKEY_LOCAL_MACHINE cannot be changed by this account: ", 0), 0u)
                << line;
            EXPECT_NE(line.find("(error 5"), std::string::npos) << line;
            EXPECT_EQ(line.find_first_of("\r\n"), std::string::npos) << line;
        } else {
            EXPECT_EQ(line, "");
        }
    }
}

}  // namespace
