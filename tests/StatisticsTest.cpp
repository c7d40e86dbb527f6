#include <gtest/gtest.h>

#include <stdexcept>

#include "core/Options.h"
#include "problems/Statistics.h"
#include "problems/clsItem.h"
#include "tests/TestSupport.h"

using testing_support::TestApp;

namespace {

class CountingEvents : public Events {
public:
    void DoEvents() override {
        if (++calls == failAt) throw std::runtime_error("window gone");
    }
    int calls = 0;
    int failAt = -1;
};

void AddRecords(App& app, int32_t type, int count) {
    for (int i = 0; i < count; ++i) {
        auto item = std::make_shared<clsItem>();
        item->pType(type);
        app.Problems.Add(item);
    }
}

TEST(Statistics, CountsAllProblemsAndTheRegistryOnesWithTheTime) {
    TestApp t;
    CountingEvents events;
    t.app.events = &events;
    AddRecords(t.app, kTypeRegistry, 4);
    AddRecords(t.app, kTypeShortcut, 3);
    AddRecords(t.app, kTypeRegistry, 3);
    AddRecords(t.app, kTypeFile, 2);
    t.world.clock.Fix(DateTime{2026, 12, 4, 17, 5, 9});

    SaveStatistics(t.app);
    EXPECT_EQ(GetOptionL(t.app, "last_scan_errors_overal", -1), 12);
    EXPECT_EQ(GetOptionL(t.app, "last_scan_errors_registry", -1), 7);
    EXPECT_EQ(GetOptionS(t.app, "last_scan_date", ""), "12/4/2026, 5:05:09 PM");
    EXPECT_EQ(events.calls, 12);

    // After a repair: what is left, at the time of the repair.
    for (int32_t position = t.app.Problems.Count(); position >= 1; --position)
        if (t.app.Problems.Item(position)->pType() == kTypeRegistry)
            t.app.Problems.Remove(position);
    t.app.Problems.Item(1)->pType(kTypeCured);  // counts overall only
    t.world.clock.Fix(DateTime{2026, 12, 5, 8, 0, 0});
    SaveStatistics(t.app);
    EXPECT_EQ(GetOptionL(t.app, "last_scan_errors_overal", -1), 5);
    EXPECT_EQ(GetOptionL(t.app, "last_scan_errors_registry", -1), 0);
    EXPECT_EQ(GetOptionS(t.app, "last_scan_date", ""), "12/5/2026, 8:00:00 AM");
}

TEST(Statistics, AnEmptyCollectionStoresZeros) {
    TestApp t;
    SaveStatistics(t.app);
    EXPECT_EQ(GetOptionS(t.app, "last_scan_errors_overal", "x"), "0");
    EXPECT_EQ(GetOptionS(t.app, "last_scan_errors_registry", "x"), "0");
    EXPECT_NE(GetOptionS(t.app, "last_scan_date", ""), "");
}

TEST(Statistics, AFailureEndsSilentlyKeepingWhatWasStored) {
    TestApp t;
    SaveOptionL(t.app, "last_scan_errors_overal", 3);
    CountingEvents events;
    events.failAt = 2;
    t.app.events = &events;
    AddRecords(t.app, kTypeRegistry, 5);
    SaveStatistics(t.app);
    EXPECT_EQ(GetOptionL(t.app, "last_scan_errors_overal", -1), 3);
    EXPECT_EQ(GetOptionS(t.app, "last_scan_date", ""), "");
    EXPECT_TRUE(t.Lines("app.log").empty());
}

}  // namespace
