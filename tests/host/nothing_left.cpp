// The host's tests end with nothing they made left alive: targets, blocks, undo records and
// viewport texture handles are all gone once the tests have run and the history is cleared.
#include <gtest/gtest.h>

#include "hold.h"
#include "host/accounting.h"

namespace {

class NothingLeftAtTheEnd : public ::testing::Environment {
public:
    void SetUp() override { start = host::CountLive(); }
    void TearDown() override
    {
        theHold.ClearHistory();
        EXPECT_EQ(host::DescribeLeft(start), "") << "left alive";
    }

private:
    host::LiveCounts start;
};

::testing::Environment* const nothingLeft =
    ::testing::AddGlobalTestEnvironment(new NothingLeftAtTheEnd);

} // namespace
