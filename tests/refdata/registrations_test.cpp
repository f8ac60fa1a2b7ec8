#include "refdata/registrations.h"

#include <fmt/format.h>
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "dbase_fixture.h"
#include "traffic/state.h"

using refdata_testing::DbaseTest;
using testing::ElementsAre;

using Registrations = DbaseTest;

namespace {
RegistrationRecord record(const std::string& registration, std::uint16_t airline, std::uint16_t model = 0) {
    return {registration, RegCodes{airline, 0, model, 0}};
}

// "text airline" of each record, in order.
std::vector<std::string> sortedRecords() {
    gf_sortRegistrations();
    std::vector<std::string> records;
    for (const auto& r : g_registrations) records.push_back(fmt::format("{} {}", r.registration, r.codes.airlineId));
    return records;
}
}  // namespace

TEST_F(Registrations, CandidatesAddTheDashAfterOneOrTwoLetters) {
    const struct {
        const char* registration;
        std::vector<std::string> candidates;
    } cases[] = {
        {"DAIRA", {"DA-IRA", "D-AIRA", "DAIRA"}},
        {"GEUYA", {"GE-UYA", "G-EUYA", "GEUYA"}},
        {"D-AIRA", {"D-AIRA"}},
        {"N123AB", {"N123AB"}},
        {"GABC", {"GABC"}},
        {"", {""}},
    };
    for (const auto& c : cases) EXPECT_EQ(gf_regCandidates(c.registration), c.candidates) << c.registration;
}

TEST_F(Registrations, FoundUnderTheFirstMatchingCandidate) {
    g_registrations = {record("D-AIRA", 1), record("N123AB", 2), record("PHBXA", 3), record("PH-BXA", 4)};
    gf_sortRegistrations();
    EXPECT_EQ(gf_findRegistration("DAIRA")->airlineId, 1);
    EXPECT_EQ(gf_findRegistration("D-AIRA")->airlineId, 1);
    EXPECT_EQ(gf_findRegistration("N123AB")->airlineId, 2);
    EXPECT_EQ(gf_findRegistration("PHBXA")->airlineId, 4);  // PH-BXA is tried before the text itself
    EXPECT_FALSE(gf_findRegistration("N123A").has_value());
    EXPECT_FALSE(gf_findRegistration("D-AIR").has_value());
    EXPECT_FALSE(gf_findRegistration("").has_value());
}

TEST_F(Registrations, SortKeepsTheFirstRecordOfEachText) {
    g_registrations = {record("N2", 1), record("D-AIZA", 2), record("N2", 3),
                       record("D-", 4), record("D-AIZA", 5), record("D-AIZ", 6)};
    EXPECT_THAT(sortedRecords(), ElementsAre("D- 4", "D-AIZ 6", "D-AIZA 2", "N2 1"));
}

TEST_F(Registrations, SortComparesWholeTextsBeyondTheirFirstEightBytes) {
    g_registrations = {record("ABCDEFGHZ", 1), record("ABCDEFGHA", 2), record("ABCDEFGH", 3),
                       record("ABCDEFGHA", 4), record("ABCDEFGG", 5),  record("ABCDEFGHAA", 6),
                       record("ABCDEFGH", 7),  record("B", 8)};
    EXPECT_THAT(sortedRecords(),
                ElementsAre("ABCDEFGG 5", "ABCDEFGH 3", "ABCDEFGHA 2", "ABCDEFGHAA 6", "ABCDEFGHZ 1", "B 8"));
}

TEST_F(Registrations, PrefixInTextIsTheFirstShortRecordFound) {
    g_registrations = {record("9A", 0), record("A6", 0), record("A6-EDA", 1), record("OE-", 0), record("D-ABCDE", 2)};
    gf_sortRegistrations();
    EXPECT_EQ(gf_regPrefixIn("A6-EDA"), "A6");
    EXPECT_EQ(gf_regPrefixIn("Emirates A380 A6-EDB"), "A6");
    EXPECT_EQ(gf_regPrefixIn("Austrian OE-LBA"), "OE-");
    EXPECT_EQ(gf_regPrefixIn("D-ABCDE"), std::nullopt);  // records of 6 or more characters are no prefixes
    EXPECT_EQ(gf_regPrefixIn("9"), std::nullopt);         // a record longer than the text
    EXPECT_EQ(gf_regPrefixIn("a6-eda"), std::nullopt);    // case-sensitive
    g_registrations.insert(g_registrations.begin(), record("", 0));
    EXPECT_EQ(gf_regPrefixIn("anything"), "");  // an empty record matches at once
}

TEST_F(Registrations, NoMatchLogListsEachAircraftOnce) {
    g_noMatchAcs.clear();
    gf_logNoMatch();
    EXPECT_EQ(logBody().size(), 0u);
    g_noMatchAcs = {"KLM1234  PH-BXZ KLM B738", "N555AB   N555AB     C172"};
    gf_logNoMatch();
    const auto body = logBody();
    ASSERT_EQ(body.size(), 5u);
    EXPECT_EQ(body[0], "");
    EXPECT_EQ(body[1], "No match found for:");
    EXPECT_THAT((std::vector<std::string>{body[2], body[3]}),
                testing::UnorderedElementsAre("KLM1234  PH-BXZ KLM B738", "N555AB   N555AB     C172"));
    EXPECT_EQ(body[4], "");
    g_noMatchAcs.clear();
}
