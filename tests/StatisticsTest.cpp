#include <gtest/gtest.h>

#include <stdexcept>

#include "core/Options.h"
#include "core/ScopedBinding.h"
#include "problems/Statistics.h"
#include "problems/clsItem.h"
#include "tests/TestSupport.h"

namespace {

class CountingEvents : public Events {
  public:
    void DoEvents() override {
        if (++calls == failAt) throw std::runtime_error("window gone");
    }
    int calls = 0, failAt = -1;
};

struct StatisticsApp : testing_support::TestApp {
    void Add(int32_t type, int count) {
        for (int i = 0; i < count; ++i) {
            auto item = std::make_shared<clsItem>();
            item->pType(type);
            app.Problems.Add(item);
        }
    }
    std::string Stored() {
        return GetOptionS(app, "last_scan_errors_overal", "") + " " +
               GetOptionS(app, "last_scan_errors_registry", "") + " " +
               GetOptionS(app, "last_scan_date", "");
    }
    CountingEvents events;
    ScopedBinding<Events> eventsBinding{app.events, events};
};

TEST(Statistics, CountsAllProblemsAndTheRegistryOnesWithTheTime) {
    StatisticsApp t;
    t.Add(kTypeRegistry, 4);
    t.Add(kTypeShortcut, 3);
    t.Add(kTypeRegistry, 3);
    t.Add(kTypeFile, 2);
    t.world.clock.Fix(DateTime{2026, 12, 4, 17, 5, 9});
    t.events.calls = 0;
    SaveStatistics(t.app);
    EXPECT_EQ(t.Stored(), "12 7 12/4/2026, 5:05:09 PM");
    EXPECT_EQ(t.events.calls, 12);
    // After a repair: what is left, at the time of the repair.
    for (int32_t position = t.app.Problems.Count(); position >= 1; --position)
        if (t.app.Problems.Item(position)->pType() == kTypeRegistry)
            t.app.Problems.Remove(position);
    t.app.Problems.Item(1)->pType(kTypeCured);  // counts overall only
    t.world.clock.Fix(DateTime{2026, 12, 5, 8, 0, 0});
    SaveStatistics(t.app);
    EXPECT_EQ(t.Stored(), "5 0 12/5/2026, 8:00:00 AM");
}

TEST(Statistics, AFailureEndsSilentlyKeepingWhatWasStored) {
    StatisticsApp t;
    SaveOptionL(t.app, "last_scan_errors_overal", 3);
    t.events.failAt = 2;
    t.Add(kTypeRegistry, 5);
    SaveStatistics(t.app);
    EXPECT_EQ(t.Stored(), "3  ");
    EXPECT_TRUE(t.Lines("app.log").empty());
}

}  // namespace
