// The .bgl reader on files built for each shape: the quick test, the walk
// over sections, idents, altitudes, names, helipads, parking lists in both
// forms, and cut or hostile files.
#include "airports/bgl_reader.h"

#include <fmt/format.h>
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <limits>
#include <numbers>
#include <stdexcept>
#include <string>
#include <vector>

#include "airports/state.h"
#include "foundation/file_helpers.h"
#include "support/bgl_builder.h"
#include "support/log_capture.h"
#include "support/scan_log.h"

namespace fs = std::filesystem;
using namespace testing_support;
using ::testing::ElementsAre;
using ::testing::ElementsAreArray;
using ::testing::IsEmpty;

namespace {

constexpr float kNaN = std::numeric_limits<float>::quiet_NaN();
const std::string kPath = "scenery/EHAM.bgl";

struct ReadAirport {
    BglAirportRef ref;
    AirportFileData data;
    std::int32_t helipadCounter = 0;
};

class BglReader : public ::testing::Test {
protected:
    BglReader() {
        g_airportCodes = {AirportCode("EHAM"), AirportCode("EDDF")};
        clearScanLog();
    }
    ~BglReader() override {
        g_airportCodes.clear();
        clearScanLog();
    }


    static std::vector<ReadAirport> read(const Bytes& bytes) {
        const BglImage image{Bytes(bytes)};
        std::vector<ReadAirport> airports;
        lf_walkBglAirports(image, [&](const BglAirportRef& ref) {
            ReadAirport& airport = airports.emplace_back();
            airport.ref = ref;
            airport.data.code = ref.code;
            airport.helipadCounter = lf_readBglAirport(image, ref, airport.data, kPath);
        });
        return airports;
    }
    // The one airport of a file of one airport with these sub-records.
    static ReadAirport readOne(std::vector<Bytes> subRecords, bool longForm = false) {
        const auto airports = read(bglAirportFile({"EHAM", longForm, -3353, std::move(subRecords), {}}));
        if (airports.size() != 1) throw std::runtime_error("not one airport");
        return airports.front();
    }
    static std::vector<std::string> names(const ReadAirport& airport) {
        std::vector<std::string> out;
        for (const Stand& stand : airport.data.stands) out.push_back(stand.name);
        return out;
    }

    // How many lines of the log are exactly the text.
    std::size_t logLines(const std::string& text) const {
        const auto lines = log_.lines();
        return static_cast<std::size_t>(std::count(lines.begin(), lines.end(), text));
    }

    TempDir dir_;
    LogCapture log_;
};

BglSectionSpec airportSection(const BglAirportSpec& airport) { return {3, 1, bglAirportRecord(airport)}; }
const BglAirportSpec kEham{"EHAM", false, -3353, {bglNameRecord("Schiphol")}, {}};

TEST_F(BglReader, QuickTestLooksAtTheSectionTableOnly) {
    const Bytes airport = bglAirportFile(kEham);
    Bytes countTooLarge = airport;
    countTooLarge[20] = std::byte{50};
    struct Case {
        const char* what;
        Bytes bytes;
        bool hasAirports;
    };
    const std::vector<Case> cases = {
        {"an airport section", airport, true},
        {"the airport section second", bglFile({{0x65, 1, {}}, airportSection(kEham)}), true},
        {"no airport section", bglFile({{0x65, 1, bglAirportRecord(kEham)}}), false},
        {"the header size is not judged", bglFile({airportSection(kEham)}, 60), true},
        {"exactly 56 bytes", bglFile({}, 56, 1), false},
        {"section count 0", bglFile({airportSection(kEham)}, 56, 0), false},
        {"section count beyond the file", countTooLarge, false},
        {"57 bytes, one section", Bytes(airport.begin(), airport.begin() + 57), false},
        {"the table cut after the type", Bytes(airport.begin(), airport.begin() + 76), true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        writeBytes(dir_ / "f.bgl", c.bytes);
        EXPECT_EQ(lf_bglHasAirports(dir_ / "f.bgl"), c.hasAirports);
    }
    EXPECT_FALSE(lf_bglHasAirports(dir_ / "missing.bgl"));
}

TEST_F(BglReader, WalkTakesSupportedAirportsOfUsableSections) {
    auto eddf = kEham;
    eddf.ident = "EDDF";
    auto unknown = kEham;
    unknown.ident = "ZZZZ";
    auto blank = kEham;
    blank.ident = "E DF";
    auto invalidDigit = kEham;
    invalidDigit.ident = "E?DF";
    auto threeLetters = kEham;
    threeLetters.ident = "AMS";
    struct Case {
        const char* what;
        Bytes bytes;
        std::vector<std::string> codes;
        std::vector<std::string> scanLog;
    };
    const std::vector<Case> cases = {
        {"one airport", bglAirportFile(kEham), {"EHAM"}, {}},
        {"two airports in one section, in file order",
         bglFile({{3, 1, concat({bglAirportRecord(eddf), bglAirportRecord(kEham)})}}),
         {"EDDF", "EHAM"},
         {}},
        {"the header size is not 56", bglFile({airportSection(kEham)}, 60), {}, {}},
        {"20-byte subsection entries", bglFile({{3, 0x10001, bglAirportRecord(kEham)}}), {}, {}},
        {"an airport not in the list", bglAirportFile(unknown), {}, {"ZZZZ is not an airport supported by RealTraffic "}},
        {"a blank digit", bglAirportFile(blank), {}, {}},
        {"a digit 1", bglAirportFile(invalidDigit), {}, {}},
        {"a 3-letter ident", bglAirportFile(threeLetters), {}, {}},
        {"an airport section of another section's records", bglFile({{3, 1, bglNameRecord("x")}}), {}, {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        clearScanLog();
        std::vector<std::string> codes;
        for (const ReadAirport& airport : read(c.bytes)) codes.push_back(airport.data.code.text());
        EXPECT_EQ(codes, c.codes);
        EXPECT_EQ(scanLogLines(), c.scanLog);
    }
}

TEST_F(BglReader, IdentsAreBase38MostSignificantDigitFirst) {
    EXPECT_EQ(lf_decodeBglIdent(0x01B78CE0), std::make_pair(std::string("EDDF"), true));
    EXPECT_EQ(lf_decodeBglIdent(bglIdent("LEAB") | 0x1F), std::make_pair(std::string("LEAB"), true));
    EXPECT_EQ(lf_decodeBglIdent(bglIdent("K0A9")), std::make_pair(std::string("K0A9"), true));
    EXPECT_EQ(lf_decodeBglIdent(bglIdent("E DF")), std::make_pair(std::string("E DF"), false));
    EXPECT_EQ(lf_decodeBglIdent(bglIdent("E?DF")), std::make_pair(std::string("E?DF"), false));
    EXPECT_EQ(lf_decodeBglIdent(0x1F), std::make_pair(std::string(), true));
    EXPECT_EQ(lf_checkBglAirportIdent("eham"), std::make_pair(std::string("EHAM"), true));
    EXPECT_EQ(lf_checkBglAirportIdent("ams"), std::make_pair(std::string("AMS"), false));
    EXPECT_EQ(lf_checkBglAirportIdent("EHAMX"), std::make_pair(std::string("EHAMX"), false));
    EXPECT_THAT(scanLogLines(), IsEmpty());
}

TEST_F(BglReader, AltitudeKeepsAirportsBelowSeaLevel) {
    struct Case {
        std::int32_t millimetres;
        std::int32_t feet;
    };
    for (const Case& c : std::vector<Case>{{-3353, -11},
                                           {0, 0},
                                           {701000, 2300},
                                           {3048000, 10000},
                                           {3048400, 0},  // 10001 ft
                                           {-457200, -1500},
                                           {-460000, 0},  // lower than any airport
                                           {std::numeric_limits<std::int32_t>::min(), 0},
                                           {std::numeric_limits<std::int32_t>::max(), 0}}) {
        SCOPED_TRACE(c.millimetres);
        const auto airports = read(bglAirportFile({"EHAM", false, c.millimetres, {}, {}}));
        ASSERT_EQ(airports.size(), 1u);
        EXPECT_EQ(airports[0].data.altitude, c.feet);
    }
}

TEST_F(BglReader, NameIsTheOneTheNameRecordsAgreeOn) {
    const std::string long50(50, 'N');
    struct Case {
        const char* what;
        std::vector<Bytes> records;
        std::string name;
    };
    const std::vector<Case> cases = {
        {"one name", {bglNameRecord("Schiphol")}, "Schiphol"},
        {"one byte", {bglNameRecord("S")}, "S"},
        {"longer than 45 bytes", {bglNameRecord(long50)}, std::string(45, 'N')},
        {"no name record", {}, ""},
        {"two equal names", {bglNameRecord("Schiphol"), bglNameRecord("Schiphol")}, "Schiphol"},
        {"two names that differ", {bglNameRecord("Schiphol"), bglNameRecord("Schiphol Oost")}, ""},
        {"a third name after a disagreement",
         {bglNameRecord("A"), bglNameRecord("B"), bglNameRecord("Amsterdam")},
         "Amsterdam"},
        {"after a helipad", {bglHelipadRecord({52.3, 4.76}), bglNameRecord("Schiphol")}, "Schiphol"},
        {"in the Windows code page", {bglNameRecord("M\xE1laga")}, "M\xC3\xA1laga"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        EXPECT_EQ(readOne(c.records).data.airport_name, c.name);
    }
}

TEST_F(BglReader, NameCutByTheEndOfTheFileKeepsWhatIsThere) {
    // The name record claims 27 bytes of name; the file ends after 10.
    Bytes file = bglAirportFile({"EHAM", false, 0, {bglRecord(0x19, Bytes(10, std::byte{'x'}), 33)}, {}});
    const auto airports = read(file);
    ASSERT_EQ(airports.size(), 1u);
    EXPECT_EQ(airports[0].data.airport_name, "xxxxxxxxxx");
    const std::size_t nameWord = (file.size() - 16) / 4;
    EXPECT_TRUE(log_.contains(fmt::format("! name blocks truncated at o3={}, available=2", nameWord)));
    EXPECT_TRUE(log_.contains("lf_decodeAirportNAME EXCEPTION"));
}

struct StandCase {
    const char* what;
    std::vector<Bytes> records;
    bool longForm;
    std::vector<std::string> stands;
    std::vector<std::string> scanLog;
};

TEST_F(BglReader, StandsTakenAndSkipped) {
    auto gate = [](std::uint32_t number, float radius = 20.0F) {
        return BglParkingSpec{10, 8, number, radius, 90.0F, 52.3 + number * 0.001, 4.76, {}};
    };
    auto typed = [&](std::uint32_t type) {
        auto entry = gate(type);
        entry.type = type;
        return entry;
    };
    auto coded = [&](std::uint32_t number, std::vector<std::string> airlines) {
        auto entry = gate(number);
        entry.airlines = std::move(airlines);
        return entry;
    };
    auto named = [&](std::uint32_t nameIndex) {
        auto entry = gate(7);
        entry.nameIndex = nameIndex;
        entry.latitude = 50.0 + nameIndex * 0.001;
        return entry;
    };
    auto nanHeading = gate(2);
    nanHeading.heading = kNaN;
    auto atNull = gate(3);
    atNull.latitude = 0.0;
    atNull.longitude = 0.0;
    std::vector<BglParkingSpec> twelve(12, gate(1));
    for (std::size_t k = 0; k < twelve.size(); ++k) twelve[k].latitude = 52.0 + k * 0.001;
    const std::string path = kPath;
    const std::vector<StandCase> cases = {
        {"radius limits are outside",
         {bglParkingList({gate(1, 1.0F), gate(2, 1.05F), gate(3, 199.9F), gate(4, 200.0F), gate(5, kNaN)}, false)},
         false,
         {"g2", "g3"},
         {"Skipped position with radius 1.0 m in " + path, "Skipped position with radius 200.0 m in " + path,
          "Skipped position with radius NAN m in " + path}},
        {"markers of types 0, 12 and 13 pass silently",
         {bglParkingList({typed(0), typed(12), typed(13), typed(5), typed(14)}, false)},
         false,
         {"g5", "g14"},
         {}},
        {"name prefixes",
         {bglParkingList({named(0), named(1), named(5), named(9), named(11), named(12), named(37), named(38), named(63)},
                         false)},
         false,
         {"7", "r7", "sep7", "nwp7", "7a", "A7", "Z7", "7b", "7c"},
         {}},
        {"eleven names alike get suffixes, the twelfth is dropped",
         {bglParkingList(twelve, false)},
         false,
         {"g1", "g1a", "g1b", "g1c", "g1d", "g1e", "g1f", "g1g", "g1h", "g1i", "g1j"},
         {"===> Warning: more than 10 duplicate IDs g1 in " + path}},
        {"a position at 0/0 and a heading that is no number",
         {bglParkingList({atNull, nanHeading, gate(4)}, false)},
         false,
         {"g4"},
         {"LatLon 0.000000,0.000000 invalid (skipped)", "Skipped position g2 with heading NAN in " + path}},
        {"airline codes are stepped over in the older form",
         {bglParkingList({coded(1, {"KLM", "MPH"}), gate(2), coded(3, {"TRA"}), gate(4)}, false)},
         false,
         {"g1", "g2", "g3", "g4"},
         {}},
        {"airline codes are stepped over in the longer form",
         {bglParkingList({coded(1, {"KLM", "MPH"}), gate(2), coded(3, {"TRA"}), gate(4)}, true)},
         true,
         {"g1", "g2", "g3", "g4"},
         {}},
        {"only the first parking list counts",
         {bglParkingList({gate(1)}, false), bglParkingList({gate(2)}, false)},
         false,
         {"g1"},
         {}},
        {"a longer-form list in an older-form airport is no list", {bglParkingList({gate(1)}, true)}, false, {}, {}},
        {"an older-form list in a longer-form airport is no list", {bglParkingList({gate(1)}, false)}, true, {}, {}},
        {"helipads as met, then the parking list",
         {bglHelipadRecord({52.31, 4.70}), bglRecord(0x33, Bytes(6)), bglHelipadRecord({52.32, 4.70}),
          bglHelipadRecord({52.33, 4.70}), bglNameRecord("Schiphol"), bglParkingList({gate(1)}, false)},
         false,
         {"helipad1", "helipad2", "helipad3", "g1"},
         {}},
        {"a helipad twice",
         {bglNameRecord("Schiphol"), bglHelipadRecord({52.31, 4.70}), bglHelipadRecord({52.31, 4.70})},
         false,
         {"helipad1"},
         {"double helipad Schiphol (skipped) 52.310000,4.700000"}},
        {"helipads at 0/0 or with a broken extent",
         {bglHelipadRecord({0.0, 0.0}), bglHelipadRecord({52.31, 4.70, kNaN}), bglHelipadRecord({52.32, 4.70})},
         false,
         {"helipad1"},
         {"lat/lon helipad incorrect (skipped): 0.000000,0.000000",
          "extent/heading helipad incorrect (skipped): 52.310000,4.700000"}},
    };
    for (const StandCase& c : cases) {
        SCOPED_TRACE(c.what);
        clearScanLog();
        const ReadAirport airport = readOne(c.records, c.longForm);
        EXPECT_EQ(names(airport), c.stands);
        EXPECT_EQ(scanLogLines(), c.scanLog);
    }
}

TEST_F(BglReader, StandFieldsFromParkingEntriesAndHelipads) {
    BglParkingSpec cargo{2, 5, 12, 36.0F, 0.0F, 50.0, 8.5, {"DHL"}};
    BglParkingSpec gate{10, 9, 13, 25.0F, 90.0F, 50.001, 8.501, {}};
    const ReadAirport airport = readOne(
        {bglHelipadRecord({52.31, 4.70, 30.0F, 0.0F}), bglHelipadRecord({52.32, 4.71, 10.0F, 180.0F}),
         bglParkingList({cargo, gate}, true)},
        true);
    ASSERT_EQ(airport.data.stands.size(), 4u);
    EXPECT_EQ(airport.helipadCounter, 3);
    const Stand& heli1 = airport.data.stands[0];
    EXPECT_EQ(heli1.heading, 0.0);  // a helipad's heading 0 stays 0
    EXPECT_DOUBLE_EQ(heli1.radius * 1852.0, 15.0);
    EXPECT_EQ(heli1.heli + heli1.cargo * 2 + heli1.ramp * 4, 1);
    EXPECT_NEAR(airport.data.stands[1].heading, std::numbers::pi, 1e-12);
    EXPECT_NEAR(airport.data.stands[1].latitude, 52.32, 1e-6);
    EXPECT_NEAR(airport.data.stands[1].longitude, 4.71, 1e-6);
    const Stand& p12 = airport.data.stands[2];
    EXPECT_EQ(p12.name, "p12");
    EXPECT_EQ(p12.heading, 6.283185307179586);  // a parking heading 0 is a full circle
    EXPECT_DOUBLE_EQ(p12.radius * 1852.0, 36.0);
    EXPECT_EQ(p12.cargo + p12.ramp * 2 + p12.heli * 4, 3);
    // The raw values of 50.0/8.5 from the layout's own example.
    EXPECT_EQ(bglRawLatitude(50.0), 119304647u);
    EXPECT_EQ(bglRawLongitude(8.5), 421667362u);
    EXPECT_NEAR(p12.latitude, 50.0, 1e-6);
    EXPECT_NEAR(p12.longitude, 8.5, 1e-6);
    const Stand& g13 = airport.data.stands[3];
    EXPECT_EQ(g13.name, "g13");
    EXPECT_NEAR(g13.heading, std::numbers::pi / 2, 1e-12);
    EXPECT_EQ(g13.cargo + g13.ramp + g13.heli, 0);  // a gate

    // The parking types: 1 to 7 and 14 are ramps, 5 of them cargo; 8 to 11 and 15 gates.
    const std::vector<std::pair<std::uint32_t, const char*>> types = {
        {1, "ramp"}, {5, "cargo ramp"}, {7, "ramp"}, {8, "gate"}, {11, "gate"}, {14, "ramp"}, {15, "gate"}};
    std::vector<BglParkingSpec> entries;
    for (const auto& [type, kind] : types)
        entries.push_back({10, type, type, 20.0F, 90.0F, 52.3 + type * 0.001, 4.76, {}});
    const ReadAirport typed = readOne({bglParkingList(entries, false)});
    ASSERT_EQ(typed.data.stands.size(), types.size());
    for (std::size_t k = 0; k < types.size(); ++k) {
        const Stand& stand = typed.data.stands[k];
        SCOPED_TRACE(stand.name);
        const std::string kind = stand.ramp == 0 ? "gate" : stand.cargo != 0 ? "cargo ramp" : "ramp";
        EXPECT_EQ(kind, types[k].second);
    }
}

TEST_F(BglReader, BrokenRecordsEndTheirWalkWithALogLine) {
    const BglParkingSpec gate{10, 8, 1, 20.0F, 90.0F, 52.3, 4.76, {}};
    auto pastTheEnd = kEham;
    pastTheEnd.subRecords = {bglNameRecord("Schiphol"), bglHelipadRecord({52.31, 4.70})};
    pastTheEnd.sizeField = 4000;
    auto emptyAirport = kEham;
    emptyAirport.sizeField = 0;
    struct Case {
        const char* what;
        Bytes bytes;
        std::vector<std::string> stands;
        std::vector<std::pair<std::string, std::size_t>> logLines;  // each line and how often it is logged
    };
    const std::size_t airportWord = (56 + 20 + 16) / 4;
    const std::size_t firstSub = airportWord + 14;
    const std::string zeroAt = "   Warning: decodeSizeAtBoundary returned 0 at o3 = ";
    const std::vector<Case> cases = {
        {"an airport of size 0",
         bglAirportFile(emptyAirport),
         {},
         {{fmt::format("==>    Warning: decodeSizeAtBoundary returned 0 at o2 = {}", airportWord), 1}}},
        {"an airport longer than the file",
         bglAirportFile(pastTheEnd),
         {"helipad1"},
         {{fmt::format("   Error: o3={} exceeded data buffer size ({}), aborting.", firstSub + 13, firstSub + 13), 1}}},
        // The name walk meets the same record and complains in its own way.
        {"another record of size 0",
         bglAirportFile({"EHAM", false, 0, {bglRecord(0x33, Bytes(6), 0), bglParkingList({gate}, false)}, {}}),
         {},
         {{zeroAt + std::to_string(firstSub), 1}, {"==> " + zeroAt + std::to_string(firstSub), 1}}},
        {"a helipad of size 0, still read",
         bglAirportFile({"EHAM", false, 0, {bglHelipadRecord({52.31, 4.70}), bglRecord(0x26, Bytes(30), 2)}, {}}),
         {"helipad1", "helipad2"},
         {{"==> " + zeroAt + std::to_string(firstSub + 9), 2}}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        std::vector<std::string> stands;
        for (const ReadAirport& airport : read(c.bytes))
            for (const Stand& stand : airport.data.stands) stands.push_back(stand.name);
        EXPECT_EQ(stands, c.stands);
        for (const auto& [line, count] : c.logLines) EXPECT_EQ(logLines(line), count) << line;
    }
}

TEST_F(BglReader, EveryWalkStopsAt9000Records) {
    std::vector<Bytes> fillers(9100, bglRecord(0x33, Bytes(2)));
    const auto airports = read(bglAirportFile({"EHAM", false, 0, fillers, {}}));
    ASSERT_EQ(airports.size(), 1u);
    EXPECT_TRUE(log_.contains("==> Error: Maximum loop iterations reached (1) \x97 possible corrupt SIA or malformed "
                              "input"));
    EXPECT_TRUE(log_.contains("==> Error: Maximum loop iterations reached (3) \x97 possible corrupt Airport Basic "
                              "data or malformed input."));
    Bytes section;
    for (const Bytes& filler : fillers) section.insert(section.end(), filler.begin(), filler.end());
    const Bytes airport = bglAirportRecord(kEham);
    section.insert(section.end(), airport.begin(), airport.end());
    EXPECT_THAT(read(bglFile({{3, 1, section}})), IsEmpty());
    EXPECT_TRUE(log_.contains("==> Error: Maximum loop iterations reached (2) \x97 possible corrupt BGL or malformed "
                              "input."));
}

TEST_F(BglReader, NameWalkEndsAtAHeaderCutByTheEndOfTheFile) {
    // Two bytes after the airport: too few for a record header. The name walk,
    // which runs to the end of the file, stops there and the airport is read;
    // the section's walk then meets the cut header and ends the file.
    const BglParkingSpec gate{10, 8, 1, 20.0F, 90.0F, 52.3, 4.76, {}};
    Bytes file = bglAirportFile({"EHAM", false, 0, {bglNameRecord("Schiphol"), bglParkingList({gate}, false)}, {}});
    file.insert(file.end(), {std::byte{0x33}, std::byte{0}});
    const BglImage image{std::move(file)};
    std::vector<std::string> read;
    EXPECT_THROW(lf_walkBglAirports(image,
                                    [&](const BglAirportRef& ref) {
                                        AirportFileData record;
                                        lf_readBglAirport(image, ref, record, kPath);
                                        read.push_back(record.airport_name + " " + record.stands.at(0).name);
                                    }),
                 std::out_of_range);
    EXPECT_EQ(read, std::vector<std::string>{"Schiphol g1"});
}

TEST_F(BglReader, CutFileEndsItsProcessingWithTheReason) {
    const BglParkingSpec gate{10, 8, 1, 20.0F, 90.0F, 52.3, 4.76, {}};
    const Bytes whole = bglAirportFile({"EHAM", false, 0, {bglParkingList({gate, gate, gate}, false)}, {}});
    // Cut in the middle of the second entry's position.
    writeBytes(dir_ / "cut.bgl", Bytes(whole.begin(), whole.end() - 45));
    try {
        lf_processBGLfile(dir_ / "cut.bgl");
        ADD_FAILURE() << "no exception";
    } catch (const std::out_of_range& e) {
        EXPECT_STREQ(e.what(), "invalid vector subscript");
    }
    EXPECT_TRUE(log_.contains("==> Exception in lf_processBGLfile (std::ex): " + (dir_ / "cut.bgl").string() +
                              " \x97 invalid vector subscript"));
    // A parking count beyond the entries the file holds.
    writeBytes(dir_ / "count.bgl",
               bglAirportFile({"EHAM", false, 0, {bglParkingList({gate}, false, 400)}, {}}));
    EXPECT_THROW(lf_processBGLfile(dir_ / "count.bgl"), std::out_of_range);
    // Files that cannot be read or are too short yield nothing, quietly.
    writeBytes(dir_ / "short.bgl", Bytes(whole.begin(), whole.begin() + 40));
    EXPECT_NO_THROW(lf_processBGLfile(dir_ / "short.bgl"));
    EXPECT_NO_THROW(lf_processBGLfile(dir_ / "missing.bgl"));
}

}  // namespace
