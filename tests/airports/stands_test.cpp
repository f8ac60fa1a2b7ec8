#include "airports/stands.h"

#include <gtest/gtest.h>

namespace {
Stand standNumbered(std::int32_t id, std::vector<std::int32_t> adjacent) {
    Stand stand({}, "S" + std::to_string(id), 52.3, 4.76, 0.5, 18.52, false, false, false);
    stand.standId = id;
    stand.adjacentIds = std::move(adjacent);
    return stand;
}
}  // namespace

TEST(Stands, ConstructorConvertsTheRadiusAndClearsTheMarks) {
    const Stand stand({StandUse{}}, "A12", 52.3, 4.76, 1.5, 1852.0, true, false, true);
    EXPECT_DOUBLE_EQ(stand.radius, 1.0);
    EXPECT_EQ(stand.standId, 0);
    EXPECT_EQ(stand.cargo, 1);
    EXPECT_EQ(stand.ramp, 0);
    EXPECT_EQ(stand.heli, 1);
    EXPECT_EQ(stand.taken + stand.occupied + stand.excluded + stand.adjacentTaken + stand.manual, 0);
    EXPECT_GE(stand.adjacentIds.capacity(), 8u);
    EXPECT_EQ(stand.uses.size(), 1u);
}

TEST(Stands, MarkingATakenStandMarksItsNeighboursFoundById) {
    g_stands.clear();
    g_stands.push_back(standNumbered(1, {2}));
    g_stands.push_back(standNumbered(2, {1, 3, 9}));  // 9 does not exist
    g_stands.push_back(standNumbered(3, {}));
    g_stands.push_back(standNumbered(4, {}));
    EXPECT_EQ(gf_standById(9), nullptr);
    EXPECT_EQ(gf_standById(3), &g_stands[2]);
    gf_markStandsTaken(g_stands[1]);
    EXPECT_EQ(g_stands[1].taken, 1);
    EXPECT_EQ(g_stands[0].adjacentTaken, 1);
    EXPECT_EQ(g_stands[2].adjacentTaken, 1);
    EXPECT_EQ(g_stands[3].adjacentTaken, 0);
    EXPECT_EQ(g_stands[1].adjacentTaken, 0);
    g_stands.clear();
}
