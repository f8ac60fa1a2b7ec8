// A fresh current folder with the livery tree's data base read and empty
// scan lists, and a second folder for the aircraft folders a test writes.
#pragma once

#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <string>
#include <vector>

#include "liveries/cfg_reader.h"
#include "liveries/scan_reports.h"
#include "liveries/scan_workers.h"
#include "refdata/code_tables.h"
#include "refdata/dbase_fixture.h"
#include "refdata/dbase_reader.h"
#include "support/livery_tree.h"
#include "support/temp_dir.h"
#include "support/wait.h"

namespace livery_scan_testing {

// A livery as the results file shows it: "a,o,m,c,t,r" with empty fields
// for what is not there ("c" for cargo).
inline std::string liveryText(const LiveryData& livery) {
    return std::string(gf_airlineCodeText(livery.airline)) + "," + std::string(gf_airlineCodeText(livery.airline2)) +
           "," + std::string(gf_modelCodeText(livery.model)) + "," + (livery.cargo != 0 ? "c" : "") + "," +
           livery.title + "," + livery.regcode;
}

inline std::vector<std::string> liveryTexts(const LiveryList& liveries) {
    std::vector<std::string> texts;
    for (const LiveryData& livery : liveries) texts.push_back(liveryText(livery));
    return texts;
}

template <class Container>
std::vector<std::string> entriesOf(ScanReport<Container>& report) {
    return {report.entries.begin(), report.entries.end()};
}

// Hooks whose every wait lasts until what it waits for comes: the shared
// generous bound ends only a run whose worker is broken.
inline LiveryScanHooks patientHooks() {
    LiveryScanHooks hooks;
    hooks.waitBound = [](LiveryScanWait, const std::filesystem::path&) { return testing_support::kSafety; };
    return hooks;
}

// How long the walk waits for a worker the test holds hung before it gives
// up: such a wait can only end by giving up, so the bound sets how long the
// test takes, never whether it passes.
inline constexpr std::chrono::milliseconds kGivingUp{200};

struct ScanTest : refdata_testing::DbaseTest {
    testing_support::TempDir aircraft;  // the aircraft folders of the test

    ScanTest() {
        writeDbase(testing_support::liveryTreeDbase());
        EXPECT_TRUE(gf_readDbase());
        gf_clearLiveryTables();
        g_unreadCfgFiles = 0;
    }
    ~ScanTest() override {
        gf_clearLiveryTables();
        g_unreadCfgFiles = 0;
    }

    // An aircraft folder with one cfg file; its path.
    std::filesystem::path writeCfg(const std::string& folder, const std::string& text,
                                   testing_support::CfgEncoding encoding = testing_support::CfgEncoding::Utf8,
                                   const std::vector<std::string>& omitted = {}) const {
        testing_support::writeAircraftFolder(aircraft / folder, "aircraft.cfg", text, encoding, false, omitted);
        return aircraft / folder / "aircraft.cfg";
    }
    std::string pathText(const std::filesystem::path& path) const { return lf_scanPathText(path); }
};

}  // namespace livery_scan_testing
