// The busy state: nesting, the change notices, unbalanced leaves.
#include "platform/busy.h"

#include <gtest/gtest.h>

#include <vector>

namespace burnmark {
namespace {

TEST(BusyState, NestsAndTellsOnlyTheEdges) {
    BusyState busy;
    std::vector<bool> told;
    busy.OnChange = [&](bool now) { told.push_back(now); };

    busy.Leave();  // unbalanced: nothing
    EXPECT_FALSE(busy.Busy());
    {
        BusyScope run(busy);
        {
            BusyScope load(busy);  // a load inside a run
            EXPECT_TRUE(busy.Busy());
        }
        EXPECT_TRUE(busy.Busy());  // the outer one still holds
    }
    EXPECT_FALSE(busy.Busy());
    busy.Leave();
    EXPECT_FALSE(busy.Busy());
    EXPECT_EQ(told, (std::vector<bool>{true, false}));
}

}  // namespace
}  // namespace burnmark
