#include "foundation/random.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <thread>

#include "settings/settings.h"

namespace {
struct RandomOff {
    RandomOff() { RANDOM.value = false; }
    ~RandomOff() { RANDOM.value = true; }
};
}  // namespace

TEST(Random, IndexAndShuffleFollowTheRandomSetting) {
    gf_seedRng(7);
    EXPECT_EQ(gf_randomIndex(1), 0u);
    EXPECT_EQ(gf_randomIndex(0), 0u);
    bool sawNonZero = false;
    for (int i = 0; i < 200; ++i) {
        const auto index = gf_randomIndex(5);
        EXPECT_LT(index, 5u);
        sawNonZero |= index != 0;
    }
    EXPECT_TRUE(sawNonZero);
    std::vector<std::uint16_t> ids(20);
    for (std::uint16_t i = 0; i < 20; ++i) ids[i] = i;
    auto shuffled = ids;
    gf_shuffle(shuffled);
    EXPECT_NE(shuffled, ids);
    EXPECT_TRUE(std::is_permutation(shuffled.begin(), shuffled.end(), ids.begin()));

    RandomOff off;
    for (int i = 0; i < 20; ++i) EXPECT_EQ(gf_randomIndex(5), 0u);
    auto kept = ids;
    gf_shuffle(kept);
    EXPECT_EQ(kept, ids);
}

TEST(Random, RandomizePercentIgnoresTheSetting) {
    RandomOff off;
    gf_seedRng(1);
    bool up = false, down = false;
    for (int i = 0; i < 64; ++i) {
        const double v = gf_randomizePercent(100, 5);
        EXPECT_TRUE(v == 95.0 || v == 105.0) << v;
        up |= v == 105.0;
        down |= v == 95.0;
    }
    EXPECT_TRUE(up && down);
    EXPECT_EQ(gf_randomizePercent(100, 0), 100.0);
}

TEST(Random, SeedingIsDeterministicPerThreadAndThreadsDiffer) {
    gf_seedRng(42);
    const auto a = g_rng();
    gf_seedRng(42);
    EXPECT_EQ(g_rng(), a);

    std::uint32_t first[2] = {};
    std::thread t1([&] { first[0] = g_rng(); });
    std::thread t2([&] { first[1] = g_rng(); });
    t1.join();
    t2.join();
    EXPECT_NE(first[0], first[1]);
}

TEST(Random, IndexTable) {
    lf_initIndexTable();
    EXPECT_EQ(g_indexTable, (std::vector<std::uint32_t>{1, 2, 3, 4}));
}
