#include "airports/half_hours.h"

#include <gtest/gtest.h>

#include <initializer_list>

#include "support/log_capture.h"

namespace {
HalfHourSet slots(std::initializer_list<int> list) {
    HalfHourSet set = 0;
    for (const int slot : list) set |= HalfHourSet{1} << slot;
    return set;
}

HalfHourSet run(int first, int last) {
    HalfHourSet set = 0;
    for (int slot = first; slot <= last; ++slot) set |= HalfHourSet{1} << slot;
    return set;
}

struct HalfHours : ::testing::Test {
    testing_support::LogCapture log;

    std::vector<std::string> body() const {
        auto lines = log.lines();
        lines.erase(lines.begin());
        return lines;
    }
};
}  // namespace

TEST_F(HalfHours, TextsParseToSetsAndBadPiecesAreLogged) {
    const struct {
        const char* text;
        HalfHourSet expected;
        std::vector<std::string> logged;
    } cases[] = {
        {"", 0, {}},
        {" 7 ", slots({7}), {}},
        {"0:47", run(0, 47), {}},
        {"47", slots({47}), {}},
        {"10:14", run(10, 14), {}},
        {" 3 : 5 ", run(3, 5), {}},
        {"5:5", slots({5}), {}},
        {"3,4,5,20", slots({3, 4, 5, 20}), {}},
        {"12abc", slots({12}), {}},
        {"1,3:5", run(1, 5), {}},  // a piece is read up to its first non-digit
        {"48", 0, {"==> operator () invalid hour '48' in 48"}},
        {"-1", 0, {"==> operator () invalid hour '-1' in -1"}},
        {"9:3", 0, {"==> gf_hours2bitset descending range not allowed (9:3 in 9:3)"}},
        {"47:0", 0, {"==> gf_hours2bitset descending range not allowed (47:0 in 47:0)"}},
        {"1:2:3", 0, {"==> gf_hours2bitset more than one colon char in: 1:2:3"}},
        {"x:1:2", 0, {"==> operator () invalid hour 'x' in x:1:2"}},
        {"5:", 0, {"==> operator () invalid hour '' in 5:"}},
        {"3,x,5", slots({3, 5}), {"==> operator () invalid hour 'x' in 3,x,5"}},
        {"1,,2", slots({1, 2}), {"==> operator () invalid hour '' in 1,,2"}},
        {"4,", slots({4}), {"==> operator () invalid hour '' in 4,"}},
        {"99999999999", 0, {"==> operator () invalid hour '99999999999' in 99999999999"}},
    };
    std::size_t seen = 0;
    for (const auto& c : cases) {
        EXPECT_EQ(gf_hours2bitset(c.text), c.expected) << c.text;
        const auto lines = body();
        const std::vector<std::string> added(lines.begin() + static_cast<std::ptrdiff_t>(seen), lines.end());
        EXPECT_EQ(added, c.logged) << c.text;
        seen = lines.size();
    }
}

TEST_F(HalfHours, SetsFormatAsOneRunOrAList) {
    EXPECT_EQ(lf_formatHourRange(slots({4, 5, 6})), "4:6");
    EXPECT_EQ(lf_formatHourRange(slots({4})), "4");
    EXPECT_EQ(lf_formatHourRange(run(0, 47)), "0:47");
    EXPECT_EQ(lf_formatHourRange(slots({4, 6})), std::nullopt);
    EXPECT_EQ(lf_formatHourRange(0), std::nullopt);
    EXPECT_EQ(lf_bitset2hours(slots({4, 6})), "4,6");
    EXPECT_EQ(lf_bitset2hours(slots({0, 47})), "0,47");
    EXPECT_EQ(lf_bitset2hours(0), std::nullopt);
    // What is written reads back as the same set.
    for (const HalfHourSet set : {slots({3}), run(10, 14), run(0, 47)})
        EXPECT_EQ(gf_hours2bitset(*lf_formatHourRange(set)), set);
    EXPECT_EQ(gf_hours2bitset(*lf_bitset2hours(slots({1, 7, 30}))), slots({1, 7, 30}));
}
