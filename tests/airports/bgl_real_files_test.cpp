// The reader against real scenery files of one airport, compared with the
// values that a second, independent decoding (tests/airports/data/bgl/
// decode_bgl.py) wrote beside them.
#include <fmt/format.h>
#include <gtest/gtest.h>
#include <pugixml.hpp>

#include <algorithm>
#include <fstream>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "airports/bgl_reader.h"
#include "airports/state.h"
#include "foundation/file_helpers.h"
#include "settings/file_names.h"
#include "support/data_set.h"
#include "support/log_capture.h"
#include "support/scan_log.h"

namespace fs = std::filesystem;

namespace {

struct ExpectedLine {
    std::string kind;  // airport, helipad, list, entry, stand
    // key=value pairs; the airport's code under "code".
    std::map<std::string, std::string> values;
};

std::vector<ExpectedLine> readExpected(const fs::path& path) {
    std::ifstream in(path);
    std::vector<ExpectedLine> lines;
    for (std::string text; std::getline(in, text);) {
        ExpectedLine line;
        std::istringstream words(text);
        words >> line.kind;
        // The airport's name, last on its line, may hold blanks.
        const std::size_t name = text.find(" name=");
        const std::string head = line.kind == "airport" ? text.substr(0, name) : text;
        std::istringstream pairs(head);
        std::string pair;
        pairs >> pair;  // the kind
        while (pairs >> pair) {
            const std::size_t eq = pair.find('=');
            if (eq == std::string::npos)
                line.values["code"] = pair;
            else
                line.values[pair.substr(0, eq)] = pair.substr(eq + 1);
        }
        if (line.kind == "airport") line.values["name"] = text.substr(name + 6);
        lines.push_back(std::move(line));
    }
    return lines;
}

std::vector<ExpectedLine> linesOf(const std::vector<ExpectedLine>& all, const std::string& kind) {
    std::vector<ExpectedLine> some;
    for (const ExpectedLine& line : all)
        if (line.kind == kind) some.push_back(line);
    return some;
}

double number(const ExpectedLine& line, const std::string& key) { return std::stod(line.values.at(key)); }

struct ReadAirport {
    BglAirportRef ref;
    AirportFileData data;
    std::int32_t helipadCounter = 0;
};

class BglRealFiles : public ::testing::TestWithParam<const char*> {
protected:
    BglRealFiles() {
        g_airportCodes = {AirportCode("LEAB")};
        testing_support::clearScanLog();
    }
    ~BglRealFiles() override { g_airportCodes.clear(); }

    static fs::path fixture(const std::string& name) {
        return testing_support::sourceFile("tests/airports/data/bgl/" + name);
    }

    std::vector<ReadAirport> readAll(const BglImage& image, const fs::path& path) {
        std::vector<ReadAirport> airports;
        lf_walkBglAirports(image, [&](const BglAirportRef& ref) {
            ReadAirport& airport = airports.emplace_back();
            airport.ref = ref;
            airport.data.code = ref.code;
            airport.helipadCounter = lf_readBglAirport(image, ref, airport.data, path.string());
        });
        return airports;
    }

    testing_support::LogCapture log_;
};

TEST_P(BglRealFiles, DecodeToTheIndependentlyDecodedValues) {
    const std::string name = GetParam();
    const fs::path path = fixture(name + ".bgl");
    const std::vector<ExpectedLine> expected = readExpected(fixture(name + ".expected"));
    auto bytes = lf_readBglFile(path);
    ASSERT_TRUE(bytes);
    const BglImage image(std::move(*bytes));
    EXPECT_TRUE(lf_bglHasAirports(path));

    const std::vector<ExpectedLine> airportLines = linesOf(expected, "airport");
    const std::vector<ReadAirport> airports = readAll(image, path);
    ASSERT_EQ(airports.size(), airportLines.size());
    if (airports.empty()) return;
    const ReadAirport& airport = airports.front();
    const ExpectedLine& head = airportLines.front();
    EXPECT_EQ(airport.data.code.text(), head.values.at("code"));
    EXPECT_EQ(airport.ref.longForm, head.values.at("form") == "0xAB");
    EXPECT_EQ(airport.data.altitude, std::stoi(head.values.at("altitude_ft")));
    EXPECT_EQ(airport.data.airport_name, head.values.at("name"));

    // Every parking entry in file order: name, type, radius, heading,
    // position and airline codes.
    const std::vector<ExpectedLine> lists = linesOf(expected, "list");
    const std::vector<ExpectedLine> entries = linesOf(expected, "entry");
    if (!lists.empty()) {
        std::size_t word = std::stoul(lists.front().values.at("at")) / 4 + 2;
        ASSERT_EQ(entries.size(), std::stoul(lists.front().values.at("count")));
        for (const ExpectedLine& entry : entries) {
            const BglParking parking = lf_decodeBglParking(image, word, airport.ref.longForm);
            SCOPED_TRACE(entry.values.at("name"));
            EXPECT_EQ(gf_bglParkingName(parking), entry.values.at("name"));
            EXPECT_EQ(parking.type, std::stoul(entry.values.at("type")));
            EXPECT_DOUBLE_EQ(parking.radius, number(entry, "radius_m"));
            EXPECT_DOUBLE_EQ(parking.heading, number(entry, "heading_deg"));
            EXPECT_NEAR(parking.latitude, number(entry, "lat"), 1e-12);
            EXPECT_NEAR(parking.longitude, number(entry, "lon"), 1e-12);
            std::string airlines;
            for (const std::string& code : parking.airlines) airlines += (airlines.empty() ? "" : ",") + code;
            EXPECT_EQ(airlines, entry.values.at("airlines"));
            word += parking.words;
        }
    }

    // The stands kept, in file order: helipads first, then the parking list.
    const std::vector<ExpectedLine> stands = linesOf(expected, "stand");
    ASSERT_EQ(airport.data.stands.size(), stands.size());
    std::int32_t helipads = 0;
    for (std::size_t k = 0; k < stands.size(); ++k) {
        const Stand& stand = airport.data.stands[k];
        const ExpectedLine& line = stands[k];
        SCOPED_TRACE(line.values.at("name"));
        EXPECT_EQ(stand.name, line.values.at("name"));
        EXPECT_NEAR(stand.latitude, number(line, "lat"), 1e-12);
        EXPECT_NEAR(stand.longitude, number(line, "lon"), 1e-12);
        EXPECT_NEAR(stand.heading, number(line, "heading_rad"), 1e-12);
        EXPECT_NEAR(stand.radius, number(line, "radius_nm"), 1e-12);
        EXPECT_EQ(stand.cargo, std::stoi(line.values.at("cargo")));
        EXPECT_EQ(stand.ramp, std::stoi(line.values.at("ramp")));
        EXPECT_EQ(stand.heli, std::stoi(line.values.at("heli")));
        EXPECT_TRUE(stand.uses.empty());
        EXPECT_EQ(stand.standId, 0);
        helipads += stand.heli;
    }
    EXPECT_EQ(airport.helipadCounter, helipads + 1);
    // Nothing in these files is broken. The name walk, which runs to the end
    // of the file, meets the empty record that follows the short file's
    // airport section and says so; nothing else is logged.
    if (name == "LEAB_ADEP5_ARV187_ALT")
        EXPECT_TRUE(log_.contains("==>    Warning: decodeSizeAtBoundary returned 0 at o3 = 75"));
    else
        EXPECT_FALSE(log_.contains("==> "));
    EXPECT_EQ(testing_support::scanLogLines(), std::vector<std::string>{});
}

INSTANTIATE_TEST_SUITE_P(LEAB, BglRealFiles,
                         ::testing::Values("LEAB_ADEP4_ARV187", "LEAB_ADEP5_ARV187", "LEAB_ADEP5_ARV187_ALT"));

TEST_F(BglRealFiles, HandCheckedStandsAndTheFileWithoutAnAirport) {
    auto bytes = lf_readBglFile(fixture("LEAB_ADEP4_ARV187.bgl"));
    ASSERT_TRUE(bytes);
    const std::vector<ReadAirport> airports = readAll(BglImage(std::move(*bytes)), "LEAB_ADEP4_ARV187.bgl");
    ASSERT_EQ(airports.size(), 1u);
    // 71 entries, 3 of them markers: 68 stands and the helipad. r4 is a ramp
    // of 15 m at 359.3 degrees; r86 comes after three airline codes and its
    // heading 0 reads as a full circle.
    const AirportFileData& leab = airports[0].data;
    ASSERT_EQ(leab.stands.size(), 69u);
    EXPECT_EQ(leab.stands[1].name, "r4");
    EXPECT_NEAR(leab.stands[1].radius * 1852.0, 15.0, 1e-9);
    EXPECT_NEAR(leab.stands[1].heading * 57.29577951308232, 359.3177, 1e-4);
    EXPECT_NEAR(leab.stands[1].latitude, 38.946192, 1e-6);
    EXPECT_NEAR(leab.stands[1].longitude, -1.879639, 1e-6);
    EXPECT_EQ(leab.stands.back().name, "r86");
    EXPECT_DOUBLE_EQ(leab.stands.back().heading, 6.283185307179586);
    EXPECT_EQ(leab.altitude, 2300);

    auto scenery = lf_readBglFile(fixture("LEAB_ADEP4_ARV187_CVX.bgl"));
    ASSERT_TRUE(scenery);
    EXPECT_TRUE(readAll(BglImage(std::move(*scenery)), "LEAB_ADEP4_ARV187_CVX.bgl").empty());
    EXPECT_FALSE(lf_bglHasAirports(fixture("LEAB_ADEP4_ARV187_CVX.bgl")));
}

}  // namespace

namespace {

// The real files through the scan worker: the generated file holds every
// stand the second decoding kept, sorted by name, in the full form.
class GeneratedFromRealFiles : public ::testing::TestWithParam<const char*> {
protected:
    GeneratedFromRealFiles() {
        g_airportCodes = {AirportCode("LEAB")};
        testing_support::clearScanLog();
    }
    ~GeneratedFromRealFiles() override {
        g_airportCodes.clear();
        testing_support::clearScanLog();
    }
    testing_support::LogCapture log_;
};

TEST_P(GeneratedFromRealFiles, GeneratedFileHoldsTheSceneryStands) {
    const std::string name = GetParam();
    const fs::path bgl = testing_support::sourceFile("tests/airports/data/bgl/" + name + ".bgl");
    const std::vector<ExpectedLine> expected =
        readExpected(testing_support::sourceFile("tests/airports/data/bgl/" + name + ".expected"));
    fs::create_directories(g_myThirdpartyFolder);
    lf_processBGLfile(bgl);

    EXPECT_EQ(testing_support::scanLogLines(),
              (std::vector<std::string>{"===> LEAB has 69 parkpos while archived one has 0",
                                        "Generated LEAB.xml: 69 positions, of which 1 helipad"}));
    pugi::xml_document document;
    ASSERT_TRUE(document.load_file((g_myThirdpartyFolder / "LEAB.xml").c_str()));
    const pugi::xml_node root = document.child("root");
    std::map<std::string, std::string> parameters;
    for (const pugi::xml_node parameter : root.child("parameters").children("parameter"))
        parameters[parameter.attribute("name").value()] = parameter.attribute("value").value();
    const std::vector<ExpectedLine> airports = linesOf(expected, "airport");
    ASSERT_EQ(airports.size(), 1u);
    const ExpectedLine& airport = airports.front();
    EXPECT_EQ(parameters["airport_name"], airport.values.at("name"));
    EXPECT_EQ(parameters["publisher"], "");
    EXPECT_EQ(parameters["altitude"], airport.values.at("altitude_ft"));
    EXPECT_EQ(parameters["num_parkpos"], "69");
    EXPECT_EQ(parameters["BGLpath"], bgl.string());
    EXPECT_EQ(parameters.count("handmade"), 0u);
    EXPECT_EQ(std::string(root.child("meta").find_child_by_attribute("info", "name", "sim").attribute("value").value()),
              "1");

    std::map<std::string, const ExpectedLine*> stands;
    for (const ExpectedLine& line : expected)
        if (line.kind == "stand") stands[line.values.at("name")] = &line;
    std::vector<std::string> order;
    for (const pugi::xml_node parkpos : root.child("parkpositions").children("parkpos")) {
        const std::string id = parkpos.attribute("id").value();
        order.push_back(id);
        SCOPED_TRACE(id);
        ASSERT_EQ(stands.count(id), 1u);
        const ExpectedLine& stand = *stands[id];
        EXPECT_EQ(parkpos.attribute("latitude").value(), fmt::format("{:.6f}", number(stand, "lat")));
        EXPECT_EQ(parkpos.attribute("longitude").value(), fmt::format("{:.6f}", number(stand, "lon")));
        EXPECT_EQ(parkpos.attribute("heading").value(),
                  fmt::format("{:.1f}", number(stand, "heading_rad") * 57.29577951308232));
        EXPECT_EQ(parkpos.attribute("radius").value(), fmt::format("{:.1f}", number(stand, "radius_nm") * 1852.0));
        const bool heli = stand.values.at("heli") == "1";
        EXPECT_EQ(parkpos.attribute("heli").as_bool(), heli);
        EXPECT_EQ(parkpos.attribute("cargo").empty(), heli);  // a helipad is written without cargo
        EXPECT_EQ(parkpos.attribute("cargo").as_bool(), stand.values.at("cargo") == "1");
        EXPECT_EQ(parkpos.attribute("ramp").as_bool(), stand.values.at("ramp") == "1");
        EXPECT_FALSE(parkpos.child("opt"));
    }
    EXPECT_EQ(order.size(), stands.size());
    EXPECT_TRUE(std::is_sorted(order.begin(), order.end()));
    EXPECT_EQ(order.front(), "helipad1");
    EXPECT_EQ(order[1], "r1");
    EXPECT_EQ(order[2], "r2");
    EXPECT_EQ(order[3], "r22");  // byte order, not numeric: before r3
}

INSTANTIATE_TEST_SUITE_P(BothForms, GeneratedFromRealFiles,
                         ::testing::Values("LEAB_ADEP4_ARV187", "LEAB_ADEP5_ARV187"));

}  // namespace
