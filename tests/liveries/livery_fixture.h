// A small installed-livery world: a data base, a scan results file, an AIG
// regcode file and a user's regcode list, processed as at start-up, with the
// settings file and the window's controls in a temporary place.
#pragma once

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "liveries/livery_indexes.h"
#include "liveries/livery_services.h"
#include "liveries/state.h"
#include "refdata/code_tables.h"
#include "refdata/dbase_fixture.h"
#include "refdata/dbase_reader.h"
#include "settings/control_updates.h"
#include "settings/parameter_store.h"
#include "settings/settings.h"
#include "support/store_fixture.h"
#include "support/temp_dir.h"
#include "tools/encipher/encipher.h"
#include "traffic/aircraft_records.h"
#include "traffic/state.h"

namespace livery_testing {

// The data base: categories, similar types and prefixes the matching uses.
inline std::string fixtureDbase() {
    refdata_testing::Sections sections = {
        {"aircrafts", R"(<aircrafts><aircraft types="A319,A320,A321,A388,B738,B744,B752,B763,B77W,E75L,C172,C152,C208,PA28,SR22,C56X,CL60,EC35,EC45,F16"/></aircrafts>)"},
        {"cargo_types", R"(<cargo_types><cargo_type types="B763"/></cargo_types>)"},
        {"heavy", R"(<heavy><hvy types="A388,B744,B763,B77W"/></heavy>)"},
        {"large", R"(<large><lar types="A319,A320,A321,B738,B752,E75L"/></large>)"},
        {"buzjet", R"(<buzjet><bzj types="C56X,CL60"/></buzjet>)"},
        {"high_performance", R"(<high_performance><hpf types="F16"/></high_performance>)"},
        {"rotorcraft", R"(<rotorcraft><rot types="EC35,EC45"/></rotorcraft>)"},
        {"ICAO_airlines", R"(<ICAO_airlines><ICAO codes="AAL,AFR,BAW,DAL,DLH,EWG,KLM,QXE,RYR,SKW,UAL,UPS,VJT,PVT"/></ICAO_airlines>)"},
        {"cargo_operators", R"(<cargo_operators><ICAO codes="UPS"/></cargo_operators>)"},
        {"simaddonsP3D", R"(<simaddonsP3D><simaddonP3D arpts="EHRD"/></simaddonsP3D>)"},
        {"similar_types", R"(<similar_types><similar types="A319,A320,A321"/><similar types="C152,C172,PA28"/><similar types="EC35,EC45"/><similar types="B744,A388"/><similar types="B752,B763"/></similar_types>)"},
        {"prefixes", R"(<prefixes><similar types="D-,OE-,HB-"/><similar types="G-,EI-"/><similar types="N,C-"/></prefixes>)"},
    };
    return refdata_testing::dbaseXml(sections);
}

// What a scan of the fixture's livery folders leaves (in no particular order:
// the reader sorts).
inline const char* const kFixtureLiveries = R"(<?xml version="1.0" encoding="UTF-8"?>
<root>
  <meta><info name="author" value="Velantra_P3D"/><info name="copyright" value="c"/><info name="sim" value="3"/></meta>
  <liveries>
    <l a="DLH" m="A320" t="A320 Lufthansa Retro D-AIZR" r="D-AIZR"/>
    <l a="DLH" m="A320" t="A320 Lufthansa D-AIZB" r="D-AIZB"/>
    <l a="DLH" m="A320" t="A320 Lufthansa D-AIZA" r="D-AIZA"/>
    <l a="AFR" m="A320" t="FSLTL_A320_AFR"/>
    <l a="ZZZ" m="A320" t="A320 Generic White"/>
    <l a="ZZZ" m="A320" c="true" t="A320 Generic Freighter"/>
    <l a="PVT" m="A320" t="A320 Private D-APVT" r="D-APVT"/>
    <l a="BAW" m="A320" t="A320 British Airways G-EUYA" r="G-EUYA"/>
    <l a="AAL" m="A321" t="A321 American Airlines N101NN" r="N101NN"/>
    <l a="DAL" m="B738" t="B738 Delta"/>
    <l a="RYR" m="B738" t="B738 Ryanair EI-DCL" r="EI-DCL"/>
    <l a="UPS" m="B763" c="true" t="B763F UPS N301UP" r="N301UP"/>
    <l a="DAL" m="B763" t="B763 Delta"/>
    <l a="DAL" o="SKW" m="E75L" t="E175 SkyWest Delta Connection N264SY" r="N264SY"/>
    <l a="SKW" m="E75L" t="E175 SkyWest United Express"/>
    <l a="SKW" m="E75L" t="E175 SkyWest Alaska"/>
    <l a="UAL" m="E75L" t="E175 United Express SkyWest"/>
    <l a="QXE" m="E75L" t="E175 Horizon"/>
    <l a="PVT" m="C172" t="C172 N172SP" r="N172SP"/>
    <l a="PVT" m="C172" t="C172 D-EABC" r="D-EABC"/>
    <l a="PVT" m="C172" t="C172 G-ABCD"/>
    <l a="PVT" m="EC35" t="EC135 Police D-HXYZ" r="D-HXYZ"/>
    <l a="FDX" m="C208" c="true" t="C208 FedEx Feeder N801FE" r="N801FE"/>
    <l a="PVT" m="C208" t="C208 Private N208PV" r="N208PV"/>
    <l a="VJT" m="C56X" t="C56X VistaJet 9H-VJA" r="9H-VJA"/>
  </liveries>
</root>
)";

// The AIG regcode file: a second code of an installed title, a special
// livery, a don't-use title, a title that is not installed, a title twice in
// a row.
inline const char* const kFixtureAig = R"(<?xml version="1.0" encoding="UTF-8"?>
<root>
  <meta><info name="author" value="AIG"/><info name="copyright" value="c"/><info name="P3D" value="5"/></meta>
  <aig>
    <l t="B738 Ryanair EI-DCL" r="EI-DCL,EI-DCM"/>
    <l t="A320 British Airways G-EUYA" r="G-EUYA" s="true"/>
    <l t="A320 Fictional Air"/>
    <l t="A388 Nowhere" r="A6-XXX"/>
    <l t="C172 G-ABCD" r="G-ABCD"/>
    <l t="C172 G-ABCD" r="G-ABCE"/>
  </aig>
</root>
)";

// The user's list: a single special livery, a special entry with two codes,
// a short line, a code of wrong length.
inline const char* const kFixtureList =
    "A320 Lufthansa Retro D-AIZR;D-AIZR\n"
    "A320 Lufthansa D-AIZA;D-AIZA,D-AIZQ;#\n"
    "short\n"
    "C172 N172SP;N1\n";

// An aircraft of the given codes with its category from the data base.
inline AcBase aircraft(const std::string& callsign, const std::string& registration, const std::string& airline,
                       const std::string& model, bool cargo = false, const std::string& second = "") {
    AcBase base;
    base.callsign = callsign;
    base.registration = registration;
    base.modelKey = ModelKey{gf_airlineId(airline), second.empty() ? std::uint16_t{0} : gf_airlineId(second),
                             gf_modelId(model), static_cast<std::uint8_t>(cargo ? 1 : 0)};
    base.sizeCategory = gf_modelCategory(base.modelKey.modelId);
    return base;
}

// The world in a fresh current folder; process() runs the start-up processing.
struct LiveryTest : refdata_testing::DbaseTest {
    testing_support::TempDir settingsDir;
    std::filesystem::path parametersPath = settingsDir / "parameters.xml";
    testing_support::ControlRecorder controls;

    // The world with the fixture's data base, or with the enciphered data
    // base of the given file.
    explicit LiveryTest(const std::filesystem::path& dbaseEnc = {}) {
        testing_support::resetAllParameters();
        RANDOM.value = false;
        gf_setControlUpdates(&controls);
        for (const auto& folder : {g_infoFolder, g_errorsFolder, g_myRegcodesFolder})
            std::filesystem::create_directories(folder);
        gf_saveParameters(false, parametersPath);
        if (dbaseEnc.empty()) {
            writeDbase(fixtureDbase());
        } else {
            std::filesystem::copy_file(dbaseEnc, g_dbaseEncPath);
        }
        EXPECT_TRUE(gf_readDbase());
    }
    ~LiveryTest() override {
        gf_setControlUpdates(nullptr);
        gf_resetLiveryProcessing();
        g_excludedTitles.clear();
        g_failedCreations.clear();
        g_dontUseTitles.clear();
        g_matchStepCounts = {};
        testing_support::resetAllParameters();
    }

    void writeResults(const std::string& xml) const { testing_support::writeFile(g_liveriesScannedPath, xml); }
    void writeAig(const std::string& xml) const { encipher::encipherBytes(gf_dataKey(), xml, g_aigRegcodesEncPath); }
    void writeList(const std::string& name, const std::string& text) const {
        testing_support::writeFile(g_myRegcodesFolder / name, text);
    }
    // The whole fixture, processed.
    void processFixture() {
        writeResults(kFixtureLiveries);
        writeAig(kFixtureAig);
        writeList("mine.TXT", kFixtureList);
        gf_processScannedLiveries(parametersPath);
    }
    // The log lines from the first one that holds the text on.
    std::vector<std::string> logFrom(const std::string& text) const {
        auto lines = log.lines();
        auto first = std::find_if(lines.begin(), lines.end(),
                                  [&text](const std::string& line) { return line.find(text) != std::string::npos; });
        return {first, lines.end()};
    }
};

}  // namespace livery_testing
