#include "airports/stand_file.h"

#include <gtest/gtest.h>

#include <cmath>
#include <numbers>

#include "airport_fixture.h"
#include "foundation/user_error.h"
#include "settings/settings.h"
#include "support/temp_dir.h"

namespace fs = std::filesystem;
using namespace airports_test;
using testing_support::readFile;

namespace {
// "name=value" of every attribute in document order, blank-separated.
std::string attributesOf(const pugi::xml_node& node) {
    std::string text;
    for (const pugi::xml_attribute attribute : node.attributes()) {
        if (!text.empty()) text += ' ';
        text += std::string(attribute.name()) + "=" + attribute.value();
    }
    return text;
}

struct StandFile : AirportTest {
    pugi::xml_document document;

    void load(const std::string& xml) { ASSERT_TRUE(document.load_string(xml.c_str())); }
    std::string readError(const std::string& xml) {
        load(xml);
        try {
            lf_readStands(document);
        } catch (const vlt::UserErrorException& e) {
            return e.what();
        }
        return "";
    }
    // Writes the stands and loads the file back as a document.
    pugi::xml_document written(std::vector<Stand> stands, int kind, const std::string& publisher = "Some Maker") {
        AirportFileData data;
        data.code = AirportCode("EHAM");
        data.airport_name = "Schiphol";
        data.publisher = publisher;
        data.altitude = -11;
        data.BGLpath = "scenery/EHAM.bgl";
        data.stands = std::move(stands);
        const fs::path target = fs::path("airports") / "learned" / "stock" / "EHAM.xml";
        EXPECT_TRUE(gf_writeAirportFile(data, target, kind, 3));
        // Written through a temporary name: nothing else is left in the folder.
        EXPECT_EQ(std::distance(fs::directory_iterator(target.parent_path()), fs::directory_iterator()), 1);
        pugi::xml_document file;
        EXPECT_TRUE(file.load_file(target.c_str()));
        return file;
    }
    static std::vector<std::string> parkposLines(const pugi::xml_document& file) {
        std::vector<std::string> lines;
        for (const pugi::xml_node parkpos : lf_parkPositionsNode(file).children("parkpos")) {
            lines.push_back(attributesOf(parkpos));
            for (const pugi::xml_node opt : parkpos.children("opt")) lines.push_back("  " + attributesOf(opt));
        }
        return lines;
    }
    static std::vector<std::string> parameterLines(const pugi::xml_document& file) {
        std::vector<std::string> lines;
        for (const pugi::xml_node p : file.child("root").child("parameters").children("parameter"))
            lines.push_back(std::string(p.attribute("name").value()) + "=" + p.attribute("value").value());
        return lines;
    }
    // Reads the written file's stands into an empty table.
    void readBack(const pugi::xml_document& file) {
        gf_clearStands();
        lf_readStands(file);
    }
};

Stand plainStand(const char* name, double radiusM = 36.0) {
    return Stand({}, name, 52.308812, 4.761234, std::numbers::pi / 2, radiusM, false, true, false);
}
}  // namespace

TEST_F(StandFile, IdsAreTrimmedRequiredAndUnique) {
    const std::string stand = R"( latitude="52.3" longitude="4.7")";
    struct Case {
        std::string parkpositions;
        std::string error;
        std::vector<std::string> names;
    } cases[] = {
        {"<parkpos id=\" \tA12 \r\n\"" + stand + "/>", "", {"A12"}},
        {"<parkpos id=\"A12\"" + stand + "/><parkpos id=\" A12\"" + stand + "/>",
         "94: Stand 'A12' appears more than once.", {"A12"}},
        {"<parkpos id=\"B1\"" + stand + "/><parkpos id=\" \t \"" + stand + "/>", "93: Stand #2 has empty 'id' attribute.",
         {"B1"}},
        {"<parkpos" + stand + "/>", "93: Parking position #1 has no 'id' attribute.", {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.parkpositions);
        gf_clearStands();
        EXPECT_EQ(readError("<root><parkpositions>" + c.parkpositions + "</parkpositions></root>"), c.error);
        std::vector<std::string> names;
        for (const Stand& s : g_stands) names.push_back(s.name);
        EXPECT_EQ(names, c.names);
    }
    // Without "root" the stand list may stand directly under the document.
    gf_clearStands();
    EXPECT_EQ(readError("<parkpositions><parkpos id=\"C3\"" + stand + "/></parkpositions>"), "");
    ASSERT_EQ(g_stands.size(), 1u);
    EXPECT_EQ(g_stands[0].name, "C3");
}

TEST_F(StandFile, StandsWithoutAPositionAreDroppedAndLogged) {
    EXPECT_EQ(readError(R"(<root><parkpositions>
        <parkpos id="Z1" latitude="0.0" longitude="12.5"/>
        <parkpos id="Z2" latitude="0" longitude="0"/>
        <parkpos id="Z3"/>
        <parkpos id="Z4" latitude="nan" longitude="4.7"/>
        <parkpos id="Z5" latitude="52.3" longitude="4.7" radius="inf" heading="nan"/>
      </parkpositions></root>)"),
              "");
    ASSERT_EQ(g_stands.size(), 2u);
    EXPECT_EQ(g_stands[0].name, "Z1");
    EXPECT_EQ(g_stands[1].name, "Z5");
    EXPECT_EQ(g_stands[1].radius, 0.0);
    EXPECT_EQ(g_stands[1].heading, 0.0);
    for (const char* name : {"Z2", "Z3", "Z4"})
        EXPECT_TRUE(logged(std::string("==> stand ") + name + " has no valid lat/lon")) << name;
    EXPECT_FALSE(logged("stand Z1 has no valid"));
}

TEST_F(StandFile, UsesAreKeptOnlyWithHalfHoursAndAWeekdayAndNumberedInOrder) {
    addRegistration("PH-BXA", "KLM", "B738");
    EXPECT_EQ(readError(R"(<root><parkpositions><parkpos id="D7" latitude="52.3" longitude="4.7" cargo="true">
        <opt reg="PH-BXA" airl="XXX" type="A320" day="1" hh="10:14" cs="KLM1234:KL1235" cpl="true"/>
        <opt reg="PH-BXB" airl="KLM" type="B77W" day="0" hh="3"/>
        <opt reg="PH-BXC" airl="KLM" type="B77W" day="8" hh="3"/>
        <opt reg="PH-BXD" airl="KLM" type="B77W" day="3"/>
        <opt reg="PHBXE" airl="KLM" type="B789" soft="true" day="7" hh="4,6" cs=":KL99"/>
        <opt airl="DLH" type="A321" day="2" hh="47" cs="DLH4AB"/>
      </parkpos></parkpositions></root>)"),
              "");
    ASSERT_EQ(g_stands.size(), 1u);
    const std::vector<StandUse>& uses = g_stands[0].uses;
    ASSERT_EQ(uses.size(), 3u);
    // A registration the data base knows decides the key, whatever "airl" says.
    EXPECT_EQ(uses[0].key, key("KLM", "B738"));
    EXPECT_EQ(uses[0].callsign, "KLM1234");
    EXPECT_EQ(uses[0].callsign2, "KL1235");
    EXPECT_EQ(uses[0].hh, slots(10, 14));
    EXPECT_EQ(uses[0].active, 1);
    EXPECT_EQ(uses[0].day, 1u);
    EXPECT_EQ(uses[0].real, 1);
    EXPECT_EQ(uses[0].cpl, 1);
    EXPECT_EQ(uses[0].fromAirportFile, 1);
    EXPECT_EQ(uses[1].key, key("KLM", "B789"));
    EXPECT_EQ(uses[1].callsign, "");
    EXPECT_EQ(uses[1].callsign2, "KL99");
    EXPECT_EQ(uses[1].hh, (std::uint64_t{1} << 4) | (std::uint64_t{1} << 6));
    EXPECT_EQ(uses[1].active, 2);
    EXPECT_EQ(uses[1].real, 0);
    EXPECT_EQ(uses[2].reg, "");
    EXPECT_EQ(uses[2].key, key("DLH", "A321"));
    EXPECT_EQ(uses[2].callsign, "DLH4AB");
    EXPECT_EQ(uses[2].active, 3);
    EXPECT_EQ(g_stands[0].cargo, 1);
}

TEST_F(StandFile, UnitsConvertBetweenFileAndTable) {
    load(R"(<root><parkpositions>
        <parkpos id="A1" latitude="52.308812" longitude="4.761234" heading="90" radius="36" ramp="true"/>
      </parkpositions></root>)");
    lf_readStands(document);
    ASSERT_EQ(g_stands.size(), 1u);
    EXPECT_DOUBLE_EQ(g_stands[0].radius, 36.0 / 1852.0);
    EXPECT_DOUBLE_EQ(g_stands[0].heading, std::numbers::pi / 2);
    const pugi::xml_document file = written(g_stands, kGeneratedFileKind);
    EXPECT_EQ(parkposLines(file),
              std::vector<std::string>{
                  "id=A1 latitude=52.308812 longitude=4.761234 heading=90.0 radius=36.0 cargo=false ramp=true"});
}

TEST_F(StandFile, GeneratedFilesWriteEveryStandInFullAndNoUses) {
    g_handmade = true;  // left over from a park airport: no mark on a generated file
    Stand heli = plainStand("H1", 20.0);
    heli.heli = 1;
    heli.cargo = 1;  // a helicopter stand has no cargo flag in the file
    Stand used = plainStand("G1");
    used.uses.push_back(use(key("KLM", "B738"), "PH-BXA", 1, slots(3, 5), 1));
    used.radiusChanged = 1;
    const pugi::xml_document file = written({heli, used}, kGeneratedFileKind, "");
    EXPECT_EQ(parkposLines(file),
              (std::vector<std::string>{
                  "id=H1 latitude=52.308812 longitude=4.761234 heading=90.0 radius=20.0 heli=true ramp=true",
                  "id=G1 latitude=52.308812 longitude=4.761234 heading=90.0 radius=36.0 cargo=false ramp=true"}));
    EXPECT_EQ(parameterLines(file),
              (std::vector<std::string>{"airport_name=Schiphol", "publisher=", "altitude=-11", "num_parkpos=2",
                                        "BGLpath=scenery/EHAM.bgl"}));
    // The file reads back as it was written.
    readBack(file);
    ASSERT_EQ(g_stands.size(), 2u);
    EXPECT_EQ(g_stands[0].heli, 1);
    EXPECT_EQ(g_stands[0].cargo, 0);
    EXPECT_DOUBLE_EQ(g_stands[0].radius, 20.0 / 1852.0);
}

TEST_F(StandFile, ParkAirportFilesWriteTheFormEachStandNeeds) {
    Stand manual = plainStand("M1");
    manual.manual = 1;
    manual.radiusChanged = 1;
    Stand bigger = plainStand("R1", 40.0);
    bigger.radiusChanged = 1;
    Stand cargo = plainStand("C1");
    cargo.cargoChanged = 1;
    cargo.cargo = 1;
    Stand both = plainStand("B1", 41.0);
    both.radiusChanged = 1;
    both.cargoChanged = 1;
    const pugi::xml_document file = written({manual, bigger, cargo, both, plainStand("P1")}, kParkAirportFileKind);
    EXPECT_EQ(parkposLines(file),
              (std::vector<std::string>{
                  "id=M1 latitude=52.308812 longitude=4.761234 heading=90.0 radius=36.0 cargo=false ramp=true "
                  "manual=true",
                  "id=R1 radius_change=true radius=40.0", "id=C1 cargo_change=true cargo=true",
                  "id=B1 radius_change=true radius=41.0 cargo_change=true cargo=false", "id=P1"}));
    EXPECT_EQ(parameterLines(file),
              (std::vector<std::string>{"airport_name=Schiphol", "publisher=Some Maker", "RANGE=40", "AUTO_RANGE=true",
                                        "WEEK=false", "PARK_SOFT=false", "parking_percentage=30",
                                        "INITIAL_LOAD_ONLY=false", "MAX_FIT=47", "MAX_LIVE_SEL=500"}));
}

TEST_F(StandFile, UsesRoundTripWithTheirCallsignsAndKinds) {
    addRegistration("PH-BXA", "KLM", "B738");
    Stand stand = plainStand("E18");
    stand.uses = {use(key("KLM", "B738"), "PH-BXA", 1, slots(10, 14), 1, "KLM1234", "KL1235"),
                  use(key("DLH", "A321"), "D-AIRA", 2, slots(7, 7), 2, "", "X"),
                  use(key("BAW", "A320"), "G-EUYA", 7, slots(0, 47), 3, "BAW432"),
                  use(key("RYR", "B738"), "EI-DCL", 4, slots(20, 21), 0, "RYR1"),  // inactive: not written
                  use(key("AFR", "A320"), "F-GKXA", 5, slots(3, 5), 5, "AFR1")};
    stand.uses[1].real = 0;
    stand.uses[1].cpl = 1;
    stand.uses[2].regOnly = 1;
    const pugi::xml_document file = written({stand}, kParkAirportFileKind);
    EXPECT_EQ(parkposLines(file), (std::vector<std::string>{
                                      "id=E18",
                                      "  reg=PH-BXA airl=KLM type=B738 day=1 hh=10:14 cs=KLM1234:KL1235",
                                      "  reg=D-AIRA airl=DLH type=A321 soft=true day=2 hh=7 cpl=true",
                                      "  reg=G-EUYA day=7 hh=0:47 cs=BAW432",
                                      "  reg=F-GKXA airl=AFR type=A320 day=5 hh=3:5 cs=AFR1",
                                  }));
}

TEST_F(StandFile, UsesThatCannotBeWrittenAreLoggedOrLeftOut) {
    Stand stand = plainStand("F4");
    stand.uses = {use(key("KLM", "B738"), "PH-BXA", 1, slots(3, 5) | slots(9, 9), 1, "KLM9"),
                  use(key("KLM", "B738"), "PH-BXB", 1, 0, 2, "KLM8"),
                  use(key("KLM", "B738"), "", 1, slots(3, 5), 3, "KLM7")};
    const pugi::xml_document file = written({stand}, kParkAirportFileKind);
    EXPECT_EQ(parkposLines(file), std::vector<std::string>{"id=F4"});
    const std::string keyText = gf_modelKeyText(key("KLM", "B738"));
    EXPECT_TRUE(logged("==> bit set problem: PH-BXA KLM9 " + keyText));
    EXPECT_TRUE(logged("==> bit set problem: PH-BXB KLM8 " + keyText));
    EXPECT_FALSE(logged("KLM7"));
}

TEST_F(StandFile, HandmadeFilesKeepEveryPositionAndEveryUseWithHalfHours) {
    g_handmade = true;
    Stand changed = plainStand("H7", 40.0);
    changed.radiusChanged = 1;
    changed.uses = {use(key("KLM", "B738"), "PH-BXA", 1, slots(3, 5) | slots(9, 9), 1, "KLM9"),
                    use(key("KLM", "B738"), "", 2, slots(20, 22), 2, "KLM7")};
    const pugi::xml_document file = written({changed}, kParkAirportFileKind);
    EXPECT_EQ(parkposLines(file),
              (std::vector<std::string>{
                  "id=H7 latitude=52.308812 longitude=4.761234 heading=90.0 radius=40.0 cargo=false ramp=true",
                  "  reg=PH-BXA airl=KLM type=B738 day=1 hh=3,4,5,9 cs=KLM9",
                  "  reg= airl=KLM type=B738 day=2 hh=20:22 cs=KLM7"}));
    const std::vector<std::string> parameters = parameterLines(file);
    EXPECT_EQ(std::vector<std::string>(parameters.begin(), parameters.begin() + 6),
              (std::vector<std::string>{"airport_name=Schiphol", "publisher=Some Maker", "handmade=true",
                                        "altitude=-11", "Qf_real=0", "Qf_soft=0"}));
    // Read again, the stand keeps its place and both uses.
    readBack(file);
    ASSERT_EQ(g_stands.size(), 1u);
    EXPECT_DOUBLE_EQ(g_stands[0].radius, 40.0 / 1852.0);
    ASSERT_EQ(g_stands[0].uses.size(), 2u);
    EXPECT_EQ(g_stands[0].uses[0].hh, slots(3, 5) | slots(9, 9));
    EXPECT_EQ(g_stands[0].uses[1].reg, "");
}

TEST_F(StandFile, AFolderThatCannotBeMadeFailsTheWrite) {
    testing_support::writeFile("airports", "a file where the folder should be");
    AirportFileData data;
    data.stands.push_back(plainStand("A1"));
    EXPECT_FALSE(gf_writeAirportFile(data, fs::path("airports") / "learned" / "EHAM.xml", kParkAirportFileKind, 3));
    EXPECT_EQ(readFile("airports"), "a file where the folder should be");
}
