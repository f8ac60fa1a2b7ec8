// A fresh current folder with an input/ folder, empty reference tables and
// the log open, and small data bases built from their sections.
#pragma once

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <utility>
#include <vector>

#include "foundation/data_key.h"
#include "refdata/state.h"
#include "settings/file_names.h"
#include "settings/settings.h"
#include "support/log_capture.h"
#include "tools/encipher/encipher.h"

namespace refdata_testing {

using Sections = std::vector<std::pair<std::string, std::string>>;

// The required sections, each with one element.
inline Sections requiredSections() {
    return {
        {"aircrafts", R"(<aircrafts><aircraft types="A320,B738"/></aircrafts>)"},
        {"cargo_types", R"(<cargo_types><cargo_type types="B763"/></cargo_types>)"},
        {"heavy", R"(<heavy><hvy types="B763"/></heavy>)"},
        {"large", R"(<large><lar types="A320"/></large>)"},
        {"buzjet", R"(<buzjet><bzj types="C56X"/></buzjet>)"},
        {"high_performance", R"(<high_performance><hpf types="F16"/></high_performance>)"},
        {"rotorcraft", R"(<rotorcraft><rot types="EC35"/></rotorcraft>)"},
        {"ICAO_airlines", R"(<ICAO_airlines><ICAO codes="DLH"/></ICAO_airlines>)"},
        {"cargo_operators", R"(<cargo_operators><ICAO codes="UPS"/></cargo_operators>)"},
        {"simaddonsP3D", R"(<simaddonsP3D><simaddonP3D arpts="EHRD"/></simaddonsP3D>)"},
    };
}

// A data base of the sections with one section replaced (an empty text drops it).
inline std::string dbaseXml(Sections sections, const std::string& replaced = {}, const std::string& with = {}) {
    std::string xml = "<?xml version=\"1.0\"?>\n<root>\n";
    for (const auto& [name, text] : sections) {
        if (name == replaced) {
            xml += with;
        } else {
            xml += text;
        }
        xml += "\n";
    }
    return xml + "</root>\n";
}

// The required sections plus the given optional ones.
inline std::string dbaseWith(const std::string& optionalSections) {
    Sections sections = requiredSections();
    sections.emplace_back("extra", optionalSections);
    return dbaseXml(sections);
}

struct DbaseTest : ::testing::Test {
    testing_support::LogCapture log;

    DbaseTest() {
        std::filesystem::create_directories(g_inputFolder);
        gf_clearReferenceData();
        RANDOM.value = false;
    }
    ~DbaseTest() override {
        gf_clearReferenceData();
        RANDOM.value = RANDOM.defaultValue;
    }

    void writeDbase(const std::string& xml) { encipher::encipherBytes(gf_dataKey(), xml, g_dbaseEncPath); }

    // The log lines after the header line.
    std::vector<std::string> logBody() const {
        auto lines = log.lines();
        if (!lines.empty()) lines.erase(lines.begin());
        return lines;
    }
};

}  // namespace refdata_testing
