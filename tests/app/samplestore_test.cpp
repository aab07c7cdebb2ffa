#include "app/state/samplestore.h"

#include <gtest/gtest.h>

namespace tremolex {
namespace {

TEST(SampleStore, FullStoreTurnsSamplesAwayWithoutOverwriting) {
    SampleStore store;
    for (std::int32_t i = 1; i <= SampleStore::kCapacity; ++i) {
        ASSERT_TRUE(store.append(static_cast<std::int16_t>(i % 1024)));
    }
    EXPECT_TRUE(store.full());
    EXPECT_FALSE(store.append(1000));
    EXPECT_FALSE(store.append(1001));
    EXPECT_EQ(store.samplecount(), SampleStore::kCapacity);
    EXPECT_EQ(store.latest(), SampleStore::kCapacity % 1024);
    EXPECT_EQ(store.rejected(), 2);

    store.clear();
    EXPECT_EQ(store.samplecount(), 0);
    EXPECT_EQ(store.rejected(), 0);
    ASSERT_TRUE(store.append(7));
    EXPECT_EQ(store.sample(1), 7);
    EXPECT_EQ(store.sample(2), 0);  // cleared, not left from the earlier capture
}

TEST(CountToVolts, UsesDoubleArithmeticWithASingleResult) {
    EXPECT_EQ(countToVolts(0, 1023), 0.0f);
    EXPECT_EQ(countToVolts(1023, 1023), 2.5f);
    EXPECT_EQ(countToVolts(512, 1023), 1.2512219f);
    EXPECT_EQ(countToVolts(400, 1023), 0.9775171f);
    EXPECT_EQ(countToVolts(-1023, 1023), -2.5f);
}

}  // namespace
}  // namespace tremolex
