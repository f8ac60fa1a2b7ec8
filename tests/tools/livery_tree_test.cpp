// The demo simulator's aircraft folders, written from the data set's livery
// results file: the program's livery scan finds in them exactly the liveries
// of that file, so the stand-in simulator (which creates only those titles)
// and the scan stay in step.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <sstream>
#include <string>
#include <vector>

#include "app/services/state.h"
#include "liveries/livery_services.h"
#include "liveries/scan_reports.h"
#include "liveries/scan_workers.h"
#include "refdata/dbase_fixture.h"
#include "refdata/dbase_reader.h"
#include "settings/parameter_store.h"
#include "settings/settings.h"
#include "support/data_set.h"
#include "support/store_fixture.h"
#include "support/temp_dir.h"
#include "support/wait.h"
#include "tools/livery_tree/livery_tree.h"

namespace {
namespace fs = std::filesystem;

// The <l .../> lines of a results file, sorted.
std::vector<std::string> liveryLines(const fs::path& file) {
    std::istringstream text(testing_support::readFile(file));
    std::vector<std::string> lines;
    for (std::string line; std::getline(text, line);)
        if (line.find("<l ") != std::string::npos) lines.push_back(line.substr(line.find("<l ")));
    std::sort(lines.begin(), lines.end());
    return lines;
}

struct DemoLiveryTree : refdata_testing::DbaseTest {
    testing_support::TempDir simulator;
    testing_support::TempDir settingsDir;
    fs::path parametersPath = settingsDir / "parameters.xml";

    DemoLiveryTree() {
        testing_support::resetAllParameters();
        gf_saveParameters(false, parametersPath);
        fs::copy_file(testing_support::dataSetFile("dbase.enc"), g_dbaseEncPath);
        fs::copy_file(testing_support::dataSetFile("AIG-regcodes.enc"), g_aigRegcodesEncPath);
        EXPECT_TRUE(gf_readDbase());
        fs::create_directories(g_infoFolder);
        g_scanLimit = 4;
        g_runningScans = 0;
    }
    ~DemoLiveryTree() override {
        lf_awaitScanWorkers(testing_support::kSafety);
        g_scanLimit = 0;
        testing_support::resetAllParameters();
    }
};

TEST_F(DemoLiveryTree, TheScanFindsEveryLiveryOfTheResultsFile) {
    const fs::path results = testing_support::sourceFile("data/LiveriesScanned.xml");
    const auto liveries = livery_tree::readLiveries(results);
    const fs::path airplanes = simulator / "SimObjects" / "Airplanes";
    const int folders = livery_tree::writeTree(liveries, airplanes);
    EXPECT_GT(folders, 10);
    lfolder0.value = lf_scanPathText(airplanes);

    gf_scanLiveries(parametersPath);

    EXPECT_EQ(liveryLines(g_liveriesScannedPath), liveryLines(results));
    // Generic and private liveries name no airline; nothing else is reported.
    std::vector<std::string> reports;
    for (const auto& entry : fs::directory_iterator(g_errorsFolder)) reports.push_back(entry.path().filename().string());
    EXPECT_EQ(reports, std::vector<std::string>{"IncompleFltsimSections.txt"});
    std::istringstream sections(testing_support::readFile(g_incompleteFltsimPath));
    int lines = 0;
    for (std::string line; std::getline(sections, line); ++lines)
        EXPECT_NE(line.find(" icao_airline is missing, or it has invalid info "), std::string::npos) << line;
    EXPECT_EQ(lines, std::count_if(liveries.begin(), liveries.end(), [](const livery_tree::Livery& livery) {
                  return livery.airline == "ZZZ" || livery.airline == "PVT";
              }));
}

}  // namespace
