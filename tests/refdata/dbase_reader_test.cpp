#include "refdata/dbase_reader.h"

#include <fmt/format.h>
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>

#include <pugixml.hpp>

#include "dbase_fixture.h"
#include "foundation/text_convert.h"
#include "foundation/user_error.h"
#include "refdata/code_tables.h"
#include "refdata/registrations.h"
#include "support/data_set.h"

using refdata_testing::dbaseWith;
using refdata_testing::dbaseXml;
using refdata_testing::DbaseTest;
using refdata_testing::requiredSections;
using testing::ElementsAre;
using testing::HasSubstr;
namespace fs = std::filesystem;

namespace {
// The message of the exception of that type the action throws.
template <typename Exception = vlt::UserErrorException>
std::string errorOf(const std::function<void()>& action) {
    try {
        action();
    } catch (const Exception& e) {
        return e.what();
    }
    return "no exception";
}
}  // namespace

TEST_F(DbaseTest, ShippedDataSetReadsCleanlyWithItsCountLines) {
    fs::copy_file(testing_support::dataSetFile("dbase.enc"), g_dbaseEncPath);
    ASSERT_TRUE(gf_readDbase());
    EXPECT_THAT(logBody(), ElementsAre("", "  140 ICAO model codes", "    5 prefixes", "   56 ICAO airline codes",
                                       "   10 cargo operators", "    5 publishers", "   14 fixes",
                                       "   52 dbase records read"));
    EXPECT_FALSE(fs::exists(g_dbaseXmlPath));
    // Every model code has a wingspan slot: the data set stays below the table's bound.
    EXPECT_LT(gf_modelCodeCount(), kWingspanSlots);
}

TEST_F(DbaseTest, ShippedDataSetInternsCodesInReadingOrder) {
    fs::copy_file(testing_support::dataSetFile("dbase.enc"), g_dbaseEncPath);
    ASSERT_TRUE(gf_readDbase());
    // Models: "" is 0, then the "aircrafts" codes ascending; every code the
    // other sections name is one of them, so none is appended after them.
    EXPECT_EQ(gf_modelCodeText(0), "");
    std::uint16_t expected = 1;
    for (const auto& code : g_icaoModelCodes) EXPECT_EQ(gf_modelId(code), expected++) << code;
    EXPECT_EQ(gf_modelCodeText(1), "A109");
    EXPECT_EQ(gf_modelCodeCount(), 141u);
    // Airlines: "" is 0, "ICAO_airlines" ascending, then the cargo operator only listed there.
    EXPECT_EQ(gf_airlineCodeText(0), "");
    expected = 1;
    for (const auto& code : g_icaoAirlineCodes) EXPECT_EQ(gf_airlineId(code), expected++) << code;
    EXPECT_EQ(gf_airlineId("GTI"), 57);
    EXPECT_FALSE(gf_isKnownAirlineCode("GTI"));
    EXPECT_EQ(gf_airlineCodeCount(), 58u);

    EXPECT_EQ(gf_modelCodeCategory("B752"), SizeCategory::Large);  // in "large" and "heavy"
    EXPECT_EQ(gf_modelCodeCategory("B77W"), SizeCategory::Heavy);
    EXPECT_EQ(gf_modelCodeCategory("C56X"), SizeCategory::Buzjets);
    EXPECT_EQ(gf_modelCodeCategory("EC35"), SizeCategory::Rotorcraft);
    EXPECT_EQ(gf_modelCodeCategory("F16"), SizeCategory::HighPerf);
    EXPECT_EQ(gf_modelCodeCategory("C172"), SizeCategory::Light);
    EXPECT_NEAR(hwsp(gf_modelId("A320")), 0.009665, 5e-7);
    EXPECT_NEAR(g_maxHalfSpan, 79.75 * 0.5 / 1852, 1e-9);  // A388

    const auto skywest = gf_findRegistration("N264SY");
    ASSERT_TRUE(skywest.has_value());
    EXPECT_EQ(skywest->airlineId, gf_airlineId("DAL"));
    EXPECT_EQ(skywest->secondAirlineId, gf_airlineId("SKW"));
    EXPECT_EQ(skywest->modelId, gf_modelId("E75L"));
    const auto ups = gf_findRegistration("N302UP");
    ASSERT_TRUE(ups.has_value());
    EXPECT_EQ(ups->cargo, 1);
    EXPECT_EQ(gf_findRegistration("DAIZA")->modelId, gf_modelId("A320"));
    EXPECT_EQ(gf_modelId("E175"), gf_modelId("E75L"));  // a fix
}

// A type code that a category, the cargo list or a similar group names but
// "aircrafts" lacks gets no wingspan, so stand clearance treats it as having
// no wings at all; every code of those sections must be a known one.
TEST_F(DbaseTest, ShippedDataSetKnowsEveryTypeItsSectionsNameWithAWingspan) {
    fs::copy_file(testing_support::dataSetFile("dbase.enc"), g_dbaseEncPath);
    ASSERT_TRUE(gf_readDbase());
    pugi::xml_document plain;
    ASSERT_TRUE(plain.load_file(testing_support::sourceFile("data/dbase.xml").c_str()));
    int checked = 0;
    for (const char* section :
         {"cargo_types", "heavy", "large", "buzjet", "high_performance", "rotorcraft", "similar_types"}) {
        for (const pugi::xml_node group : plain.child("root").child(section).children()) {
            std::string_view types = group.attribute("types").value();
            while (!types.empty()) {
                const std::string code(types.substr(0, types.find(',')));
                types.remove_prefix(std::min(types.size(), code.size() + 1));
                EXPECT_TRUE(gf_isKnownModelCode(code)) << section << " " << code;
                EXPECT_GT(hwsp(gf_modelId(code)), 0.0) << section << " " << code;
                ++checked;
            }
        }
    }
    EXPECT_GT(checked, 100);

    const struct {
        const char* code;
        double spanMetres;
        SizeCategory category;
    } types[] = {
        {"A124", 73.30, SizeCategory::Heavy},
        {"A337", 60.30, SizeCategory::Heavy},
        {"A3ST", 44.84, SizeCategory::Heavy},
        {"B738", 35.79, SizeCategory::Large},  // with winglets, as most fly
    };
    for (const auto& t : types) {
        EXPECT_NEAR(hwsp(gf_modelId(t.code)), t.spanMetres * 0.5 / 1852, 1e-9) << t.code;
        EXPECT_EQ(gf_modelCodeCategory(t.code), t.category) << t.code;
    }
}

TEST_F(DbaseTest, EachRequiredSectionMissingOrEmptyStopsWithError61) {
    const std::pair<const char*, const char*> elements[] = {
        {"aircrafts", "aircraft"}, {"cargo_types", "cargo_type"}, {"heavy", "hvy"},
        {"large", "lar"},          {"buzjet", "bzj"},             {"high_performance", "hpf"},
        {"rotorcraft", "rot"},     {"ICAO_airlines", "ICAO"},     {"cargo_operators", "ICAO"},
        {"simaddonsP3D", "simaddonP3D"}};
    for (const auto& [section, element] : elements) {
        const std::string attribute =
            std::string(section) == "simaddonsP3D" ? "arpts" : (std::string(element) == "ICAO" ? "codes" : "types");
        const std::string emptyText = fmt::format("61: In XML file section [{}], element [{}], attribute [{}] is empty.",
                                                  section, element, attribute);
        const struct {
            std::string with;
            std::string message;
        } cases[] = {
            {"", fmt::format("61: Missing section: {}", section)},
            {fmt::format("<{0}><{1} {2}=\" , ,\"/><{1}/></{0}>", section, element, attribute), emptyText},
            {fmt::format("<{0}><other {1}=\"A320\"/></{0}>", section, attribute), emptyText},
        };
        for (const auto& c : cases) {
            gf_clearReferenceData();
            writeDbase(dbaseXml(requiredSections(), section, c.with));
            EXPECT_EQ(errorOf([] { gf_readDbase(); }), c.message) << section;
            EXPECT_FALSE(fs::exists(g_dbaseXmlPath)) << section;
        }
    }
    gf_clearReferenceData();
    writeDbase("<?xml version=\"1.0\"?><data><aircrafts/></data>");
    EXPECT_EQ(errorOf([] { gf_readDbase(); }), "61: XML root missing: root");
    EXPECT_FALSE(fs::exists(g_dbaseXmlPath));
}

TEST_F(DbaseTest, OptionalSectionsMayAllBeMissing) {
    writeDbase(dbaseWith(""));
    ASSERT_TRUE(gf_readDbase());
    EXPECT_THAT(logBody(), ElementsAre("", "    2 ICAO model codes", "    0 prefixes", "    1 ICAO airline codes",
                                       "    1 cargo operators", "    0 publishers", "    0 dbase records read"));
    EXPECT_TRUE(g_similarGroups.empty());
    EXPECT_TRUE(g_halfSpans.empty());
    EXPECT_EQ(g_maxHalfSpan, 0.0);
}

TEST_F(DbaseTest, ListAttributesAreSplitTrimmedAndMerged) {
    auto sections = requiredSections();
    writeDbase(dbaseXml(sections, "aircrafts",
                        "<aircrafts><aircraft types=\" B738 ,, A320,\t\"/><aircraft types=\"C172\r\n,A320\"/>"
                        "<aircraft/><aircraft types=\"b738,A320-200-LONG,A320-200,0A1\"/></aircrafts>"));
    ASSERT_TRUE(gf_readDbase());
    // Byte order: digits, upper case, lower case; a longer text after its beginning.
    EXPECT_THAT(g_icaoModelCodes, ElementsAre("0A1", "A320", "A320-200", "A320-200-LONG", "B738", "C172", "b738"));
    EXPECT_EQ(gf_modelId("0A1"), 1);
    EXPECT_EQ(gf_modelId("b738"), 7);
    EXPECT_THAT(g_simaddonAirports, ElementsAre("EHRD"));
}

TEST_F(DbaseTest, SimilarAndPrefixGroupsAreSortedPerElement) {
    writeDbase(dbaseWith(R"(<similar_types><similar types="B739, B736,B738"/><similar/></similar_types>
                            <prefixes><similar types="OE-,D-,HB-"/><similar types="G-"/></prefixes>)"));
    ASSERT_TRUE(gf_readDbase());
    ASSERT_EQ(g_similarGroups.size(), 2u);
    EXPECT_THAT(g_similarGroups[0], ElementsAre("B736", "B738", "B739"));
    EXPECT_TRUE(g_similarGroups[1].empty());
    ASSERT_EQ(g_prefixGroups.size(), 2u);
    EXPECT_THAT(g_prefixGroups[0], ElementsAre("D-", "HB-", "OE-"));
    EXPECT_TRUE(log.contains("    2 prefixes"));
    EXPECT_THAT(lf_similarPrefixes("HB-"), ElementsAre("D-", "OE-"));
}

TEST_F(DbaseTest, WingspansKeepTheFirstValueAndSkipInvalidTypes) {
    writeDbase(dbaseWith(R"(<wingspans>
        <wingspan type="A320" meters="35.8"/>
        <wingspan type="A320" meters="40"/>
        <wingspan type="XXXX" meters="80"/>
        <wingspan meters="90"/>
        <wingspan type="B738"/>
      </wingspans>)"));
    ASSERT_TRUE(gf_readDbase());
    EXPECT_DOUBLE_EQ(g_halfSpans.at("A320"), 35.8 * 0.5 * 0.0005399568034557236);
    EXPECT_NEAR(hwsp(gf_modelId("A320")), 0.009665, 5e-7);
    EXPECT_EQ(hwsp(gf_modelId("B738")), 0.0);
    EXPECT_DOUBLE_EQ(g_maxHalfSpan, 40 * 0.5 * 0.0005399568034557236);  // the repeated code still raises it
    EXPECT_TRUE(log.contains("==> wingspan model XXXX is not valid, skipped"));
    EXPECT_TRUE(log.contains("==> wingspan model  is not valid, skipped"));
    const std::size_t count = gf_modelCodeCount();
    EXPECT_EQ(gf_modelId("XXXX"), count);  // the wingspans did not intern it
}

TEST_F(DbaseTest, WingspansInAnyOrderKeepTheFirstAndLogInDocumentOrder) {
    writeDbase(dbaseWith(R"(<wingspans>
        <wingspan type="B738" meters="34"/>
        <wingspan type="YYYY" meters="80"/>
        <wingspan type="A320" meters="35.8"/>
        <wingspan type="XXXX" meters="80"/>
        <wingspan type="B738" meters="50"/>
        <wingspan type="A320" meters="20"/>
      </wingspans>)"));
    ASSERT_TRUE(gf_readDbase());
    const double factor = 0.5 * 0.0005399568034557236;
    EXPECT_THAT(g_halfSpans, ElementsAre(testing::Pair("A320", 35.8 * factor), testing::Pair("B738", 34 * factor)));
    EXPECT_DOUBLE_EQ(g_maxHalfSpan, 50 * factor);
    const auto body = logBody();
    const auto yyyy = std::find(body.begin(), body.end(), "==> wingspan model YYYY is not valid, skipped");
    const auto xxxx = std::find(body.begin(), body.end(), "==> wingspan model XXXX is not valid, skipped");
    ASSERT_NE(xxxx, body.end());
    EXPECT_EQ(yyyy + 1, xxxx);
}

TEST_F(DbaseTest, FixesNeedAKnownCorrectCodeAndKeepTheFirst) {
    writeDbase(dbaseWith(R"(<fixes>
        <fx wro="B737-800" cor="B738"/>
        <fx wro="B737-800" cor="A320"/>
        <fx wro="E175" cor="E75L"/>
        <fx wro="C172SP"/>
      </fixes>)"));
    ASSERT_TRUE(gf_readDbase());
    EXPECT_TRUE(log.contains("==> wrong part of fix: 'B737-800', already exists, skipped"));
    EXPECT_TRUE(log.contains("==> wrong fix E175 -> E75L, the latter is not valid"));
    EXPECT_TRUE(log.contains("==> wrong fix C172SP -> , the latter is not valid"));
    EXPECT_TRUE(log.contains("    1 fixes"));
    const std::size_t before = gf_modelCodeCount();
    EXPECT_EQ(gf_modelId("B737-800"), gf_modelId("B738"));
    EXPECT_EQ(gf_modelCodeCount(), before);
}

TEST_F(DbaseTest, PublishersGroupOncePerNamesText) {
    writeDbase(dbaseWith(R"(<publishers>
        <pub names="Skyline Sceneries,SkylineSim"/>
        <pub names="Aerofields"/>
        <pub names="Skyline Sceneries,SkylineSim"/>
        <pub names=""/>
      </publishers>
      <thirdpartiesP3D>
        <thirdpartieP3D pub="Skyline Sceneries" arpts="EHAM1, EBBR2,"/>
        <thirdpartieP3D pub="Empty"/>
      </thirdpartiesP3D>)"));
    ASSERT_TRUE(gf_readDbase());
    ASSERT_EQ(g_publisherGroups.size(), 3u);
    EXPECT_TRUE(g_publisherGroups[0].empty());  // "" sorts first
    EXPECT_THAT(g_publisherGroups[1], ElementsAre("Aerofields"));
    EXPECT_THAT(g_publisherGroups[2], ElementsAre("Skyline Sceneries", "SkylineSim"));
    EXPECT_TRUE(log.contains("    3 publishers"));
    ASSERT_EQ(g_thirdParties.size(), 2u);
    EXPECT_EQ(g_thirdParties[0].publisher, "Skyline Sceneries");
    EXPECT_THAT(g_thirdParties[0].airports, ElementsAre("EHAM1", "EBBR2", ""));
    EXPECT_TRUE(g_thirdParties[1].airports.empty());
}

TEST_F(DbaseTest, RegistrationsInternInOrderAndKeepTheFirstOfEachText) {
    writeDbase(dbaseWith(R"(<dbase>
        <d r="D-AIZA" a="DLH" m="A320"/>
        <d r="N264SY" a="DAL" o="SKW" m="E75L" c="0"/>
        <d r="D-AIZA" a="BAW" m="A321"/>
        <d r="N301UP" a="UPS" m="B763" c="true"/>
        <d r="N302UP" a="UPS" m="B763" c="1"/>
        <d r="N303UP" a="UPS" m="B763" c="Yes"/>
        <d r="N304UP" a="UPS" m="B763" c="no"/>
        <d r="D-" />
        <d r="G-" />
        <d r="PH-BXA" a="KLM" m="B738"/>
        <d r="EI-DCL" a="RYR" m="B738"/>
        <d r="" a="EZY"/>
        <d r="F-" />
      </dbase>)"));
    ASSERT_TRUE(gf_readDbase());
    EXPECT_TRUE(log.contains("   12 dbase records read"));
    // Airlines: "" 0, DLH 1, UPS 2 (the sections), then a, o in document order.
    EXPECT_EQ(gf_airlineId("DAL"), 3);
    EXPECT_EQ(gf_airlineId("SKW"), 4);
    EXPECT_EQ(gf_airlineId("BAW"), 5);
    // Models: "" 0, A320 1, B738 2, B763 3, then the categories' unknown codes, then "m".
    EXPECT_EQ(gf_modelId("C56X"), 4);
    EXPECT_EQ(gf_modelId("E75L"), 7);
    EXPECT_EQ(gf_modelId("A321"), 8);

    const auto first = gf_findRegistration("D-AIZA");
    ASSERT_TRUE(first.has_value());
    EXPECT_EQ(*first, (RegCodes{1, 0, 1, 0}));
    EXPECT_EQ(gf_findRegistration("N301UP")->cargo, 1);
    EXPECT_EQ(gf_findRegistration("N302UP")->cargo, 1);
    EXPECT_EQ(gf_findRegistration("N303UP")->cargo, 1);
    EXPECT_EQ(gf_findRegistration("N304UP")->cargo, 0);
    EXPECT_EQ(gf_findRegistration("N264SY")->secondAirlineId, 4);
    EXPECT_EQ(g_registrations.front().registration, "");
}

TEST_F(DbaseTest, RegistrationAttributesTakeTheirFirstOccurrenceInAnyOrder) {
    writeDbase(dbaseWith(R"(<dbase>
        <d m="A320" c="t" r="D-AIZB" a="DLH"/>
        <e r="E-XXXX" a="EEE"/>
        <d r="D-AIZC" r="D-XXXX" a="DLH" a="KLM" mm="C172" m="B738" m="A320" c="0" c="1"/>
        <d a="BAW" extra="1"/>
        <d r="G-EUYA" a="BAW" o="DLH" m="A320" c="Y"><x r="X-XXXX"/></d>
      </dbase>)"));
    ASSERT_TRUE(gf_readDbase());
    EXPECT_TRUE(log.contains("    4 dbase records read"));
    EXPECT_EQ(gf_airlineId("BAW"), 3);  // after "", DLH, UPS: nothing from the "e" element
    EXPECT_EQ(gf_airlineId("EEE"), 4);
    EXPECT_EQ(gf_findRegistration("D-AIZB"), (RegCodes{1, 0, gf_modelId("A320"), 1}));
    EXPECT_EQ(gf_findRegistration("D-AIZC"), (RegCodes{1, 0, gf_modelId("B738"), 0}));
    EXPECT_EQ(gf_findRegistration("G-EUYA"), (RegCodes{3, 1, gf_modelId("A320"), 1}));
    EXPECT_FALSE(gf_findRegistration("D-XXXX").has_value());
    EXPECT_FALSE(gf_findRegistration("X-XXXX").has_value());
    EXPECT_FALSE(gf_findRegistration("E-XXXX").has_value());
    ASSERT_EQ(g_registrations.front().registration, "");  // the "d" without "r"
    EXPECT_EQ(g_registrations.front().codes, (RegCodes{3, 0, 0, 0}));
}

TEST_F(DbaseTest, FailuresLeaveNoPlainFileBehind) {
    const auto read = [] { gf_readDbase(); };
    EXPECT_EQ(errorOf<std::runtime_error>(read), gf_pathToUtf8(g_dbaseEncPath) + " not available");
    testing_support::writeFile(g_dbaseEncPath, std::string(100, 'x'));
    EXPECT_EQ(errorOf<std::runtime_error>(read), gf_pathToUtf8(g_dbaseEncPath) + " stream decrypt failed");
    EXPECT_FALSE(fs::exists(g_dbaseXmlPath));

    writeDbase("<root><aircrafts>");
    EXPECT_FALSE(gf_readDbase());
    EXPECT_TRUE(log.contains("==> '" + gf_pathToUtf8(g_dbaseXmlPath) + "' not read because of "));
    EXPECT_FALSE(fs::exists(g_dbaseXmlPath));
    EXPECT_TRUE(g_icaoModelCodes.empty());
    EXPECT_EQ(gf_modelCodeCount(), 0u);
}
