// The IVAO MTL reader: the model code from the folder name, the airline from
// the title, and the sections of the model set's files.
#include <gtest/gtest.h>

#include <fmt/format.h>

#include "liveries/ivao_reader.h"
#include "liveries/scan_fixture.h"

namespace {
using namespace livery_scan_testing;

struct IvaoReaderTest : ScanTest {};

TEST_F(IvaoReaderTest, ModelCodeFromTheFolderName) {
    struct Case {
        std::string path;
        std::string code;
        std::string invalidCode;  // the invalid model code entry's code, "-" for none
    };
    const std::vector<Case> cases = {
        {"C:\\Sim\\IVAO_MTL\\IVAO_B738w\\aircraft.cfg", "B738", "-"},
        {"/sim/IVAO_MTL/IVAO_B738w/aircraft.cfg", "B738", "-"},
        {"C:\\Sim\\ivao_mtl\\Ivao_T154B2\\AIRCRAFT.CFG", "T154", "-"},
        {"C:\\Sim\\IVAO_MTL/IVAO_T154B2\\aircraft.cfg", "T154", "-"},
        {"C:\\Sim\\IVAO_MTL\\IVAO_B744F\\aircraft.cfg", "B744", "-"},
        {"C:\\Sim\\IVAO_MTL\\IVAO_GLID_KA8\\aircraft.cfg", "", "GLID"},  // the table, then the data base
        {"C:\\Sim\\IVAO_MTL\\IVAO_A320\\aircraft.cfg", "A320", "-"},
        {"C:\\Sim\\IVAO_MTL\\IVAO_E175\\aircraft.cfg", "E75L", "-"},  // the data base's fix
        {"C:\\Sim\\IVAO_MTL\\IVAO_XX99\\aircraft.cfg", "", "XX99"},
        {"C:\\Sim\\IVAO_MTL\\IVAO_w\\aircraft.cfg", "", ""},
        {"C:\\Sim\\IVAO_MTL\\IVAO_B7-38\\aircraft.cfg", "", "  "},
        {"C:\\Sim\\IVAO_MTL\\IVAO_\\aircraft.cfg", "", "  "},
        {"C:\\Sim\\IVAO_MTL\\B738\\aircraft.cfg", "", "  "},
        {"C:\\Sim\\IVAO_MTL\\IVAO_B738\\sim.cfg", "", "  "},
        {"C:\\Sim\\IVAO_MTL\\IVAO_B738\\aircraft.cfg.bak", "", "  "},
        {"C:\\Sim\\ivao_x-csl\\IVAO_B738\\aircraft.cfg", "", "  "},
        {"\\IVAO_MTL\\IVAO_B738\\aircraft.cfg", "", "  "},  // nothing before the set's folder
        {"C:\\Sim\\IVAO_MTL\\IVAO_A320\\aircraftXcfg", "A320", "-"},
    };
    for (const Case& c : cases) {
        gf_clearLiveryTables();
        EXPECT_EQ(lf_ivaoModelFix(c.path), c.code) << c.path;
        const std::vector<std::string> entries =
            c.invalidCode == "-" ? std::vector<std::string>{}
                                 : std::vector<std::string>{fmt::format("{:16} in {}", c.invalidCode, c.path)};
        EXPECT_EQ(entriesOf(g_invalidModelCodes), entries) << c.path;
    }
    EXPECT_EQ(lf_ivaoFolderCode("GLID_KA8"), "GLID");
    EXPECT_EQ(lf_ivaoFolderCode("T154M"), "T154");
    EXPECT_EQ(lf_ivaoFolderCode("B744W"), "B744W");
}

TEST_F(IvaoReaderTest, AirlineCodeFromTheTitle) {
    const std::vector<std::tuple<std::string, std::string, std::string>> cases = {
        {"B738AAL", "B738", "AAL"},       {"b738 DAL Boeing", "B738", "DAL"}, {"b738 aal", "B738", "aal"},
        {"AAL B738", "B738", ""},          {"B738 \t KLM", "B738", "KLM"},     {"B738 AA", "B738", ""},
        {"B738 A-L", "B738", ""},          {"B7", "B738", ""},                 {"B738 AAL\rX", "B738", ""},
        {"T154 AFL Aeroflot", "T154", "AFL"},
    };
    for (const auto& [title, model, airline] : cases) EXPECT_EQ(lf_ivaoTitleAirline(title, model), airline) << title;
}

TEST_F(IvaoReaderTest, SectionsOfTheModelSet) {
    const auto folder = aircraft / "Sim" / "IVAO_MTL" / "IVAO_B738w";
    const std::string files = "sim=S\nmodel=M\ntexture=T\n";
    testing_support::writeAircraftFolder(
        folder, "aircraft.cfg",
        "[General]\natc_model=A320\n"
        "[fltsim.0]\ntitle=B738AAL\natc_parking_codes=DLH\n" + files +
            "[fltsim.1]\ntitle=b738 DAL Boeing\natc_parking_types=CARGO\n" + files +
            "[fltsim.2]\ntitle=b738 aal\n" + files +
            "[fltsim.3]\ntitle=AAL B738\natc_id=EI-DCL\n" + files +
            "[fltsim.4]\ntitle=B738XYZ\natc_id=EI-DCL\n" + files +
            "[fltsim.5]\ntitle=Boeing plain\n" + files +
            "[fltsim.6]\ntitle=Boeing reg\natc_id=N999ZZ;x\n" + files +
            "[fltsim.7]\ntitle=B738 KLM\natc_id=A,B\n  x [y]\n" + files +
            "[fltsim.8]\ntitle=B738AAL\n" + files +
            "[fltsim.9]\ntitle=B738 BAW\natc_id=N1*\n" + files +
            "[fltsim.10]\ntitle=B738 BAW Two\ntitle=B738 BAW Three\n" + files +
            "[fltsim.11]\ntitle=B738 KLM Notes\nremarks=see [notes]\n" + files);
    const auto cfg = folder / "aircraft.cfg";
    const LiveryList liveries = lf_searchLiveriesinIVAOFile(2, cfg);
    EXPECT_EQ(liveryTexts(liveries), (std::vector<std::string>{"AAL,,B738,,B738AAL,", "DAL,,B738,,b738 DAL Boeing,",
                                                               "RYR,,B738,,AAL B738,EI-DCL", "BAW,,B738,,B738 BAW,"}));
    for (const LiveryData& livery : liveries) EXPECT_EQ(livery.folderNumber, 2);
    const std::string f = lf_scanPathText(folder), p = lf_scanPathText(cfg);
    EXPECT_EQ(entriesOf(g_invalidAirlineCodes),
              (std::vector<std::string>{"aal          in " + p + " [fltsim.2]", "XYZ          in " + p + " [fltsim.4]"}));
    EXPECT_EQ(entriesOf(g_incompleteSections),
              (std::vector<std::string>{
                  f + " [fltsim.5] misses airlinecode in title: Boeing plain, and no regcode",
                  f + " [fltsim.6] misses airlinecode in title: Boeing reg, and regcode unknown N999ZZ;x",
                  lf_scanPathText(folder / "model.") + " [fltsim.7] does not exist",
                  f + " [fltsim.8] title already exists: B738AAL",
                  "invalid atc_id=N1* in B738 BAW",
                  f + " [fltsim.10] has more than one title key",
                  lf_scanPathText(folder / "model.") + " [fltsim.11] does not exist",  // "[" anywhere ends a section
              }));
}

TEST_F(IvaoReaderTest, AFileOutsideTheModelSetYieldsNothing) {
    const auto folder = aircraft / "Sim" / "ivao_x-csl" / "B738";
    testing_support::writeAircraftFolder(folder, "aircraft.cfg", "[fltsim.0]\ntitle=B738AAL\nsim=S\nmodel=M\ntexture=T\n");
    EXPECT_TRUE(lf_searchLiveriesinIVAOFile(1, folder / "aircraft.cfg").empty());
    EXPECT_EQ(entriesOf(g_invalidModelCodes),
              std::vector<std::string>{fmt::format("{:16} in {}", "  ", lf_scanPathText(folder / "aircraft.cfg"))});
}

}  // namespace
