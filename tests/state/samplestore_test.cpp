#include "state/samplestore.h"

#include <gtest/gtest.h>

#include "state/countvolts.h"

namespace tremolex {
namespace {

// What a full store keeps and turns away is checked by the reception fuzz target.
TEST(SampleStore, ClearEmptiesEveryEntryAndForgetsTheReadingsTurnedAway) {
    SampleStore store;
    while (store.append(7)) {
    }
    EXPECT_TRUE(store.full());
    EXPECT_EQ(store.rejected(), 1);
    store.clear();
    EXPECT_EQ(store.samplecount(), 0);
    EXPECT_EQ(store.rejected(), 0);
    EXPECT_EQ(store.sample(1), 0);
    ASSERT_TRUE(store.append(5));
    EXPECT_EQ(store.sample(1), 5);
    EXPECT_EQ(store.sample(2), 0);
}

TEST(CountToVolts, UsesDoubleArithmeticWithASingleResult) {
    EXPECT_EQ(countToVolts(-1023, 1023), -2.5f);
    EXPECT_EQ(countToVolts(512, 1023), 1.2512219f);
    EXPECT_EQ(countToVolts(400, 1023), 0.9775171f);
}

}  // namespace
}  // namespace tremolex
