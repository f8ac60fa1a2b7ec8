// The scan's report lists: the files and summary lines a user finds after a
// scan, the removal of the previous scan's files, one livery per title, and
// the sealing that keeps a late worker out of the next scan's lists.
#include <gtest/gtest.h>

#include <filesystem>
#include <thread>

#include "liveries/scan_reports.h"
#include "settings/file_names.h"
#include "support/log_capture.h"
#include "support/temp_dir.h"

namespace {
namespace fs = std::filesystem;
using testing_support::readFile;
using testing_support::writeFile;

struct ScanReportsTest : ::testing::Test {
    testing_support::LogCapture log;
    ScanReportsTest() {
        fs::create_directories(g_infoFolder);
        gf_clearLiveryTables();
        g_unreadCfgFiles = 0;
    }
    ~ScanReportsTest() override {
        gf_clearLiveryTables();
        g_unreadCfgFiles = 0;
    }
    // The log lines after the header line.
    std::vector<std::string> logBody() const {
        auto lines = log.lines();
        lines.erase(lines.begin());
        return lines;
    }
    static std::string path(const fs::path& file) { return lf_scanPathText(file); }
};

TEST_F(ScanReportsTest, SummaryWritesEveryListSortedExceptTheFixes) {
    lf_appendInvalidAirlineCode("XYZ", "b/aircraft.cfg", "[fltsim.1]");
    lf_appendInvalidAirlineCode("ABCD", "a/aircraft.cfg", "[fltsim.0]");
    lf_appendInvalidModelCode("XX99", "c/aircraft.cfg");
    lf_appendLiveryLog("Model fix: E175 found in z changed into E75L");
    lf_appendLiveryLog("Model fix: B737-800 found in a changed into B738");
    lf_appendInvalidCfgFile("Line atc_model= is missing in [General] section of d");
    for (int i = 0; i < 3; ++i) lf_appendIncompleteSection("e [fltsim.0] misses title");
    lf_appendIncompleteSection("d [fltsim.0] misses title");
    lf_appendEmptyCfgFile("g/aircraft.cfg");
    lf_appendEmptyCfgFile("f/aircraft.cfg");
    g_unreadCfgFiles = 1;

    lf_writeScanSummary();

    EXPECT_EQ(readFile(g_invalidAirlineCodesPath),
              "ABCD         in a/aircraft.cfg [fltsim.0]\nXYZ          in b/aircraft.cfg [fltsim.1]\n");
    EXPECT_EQ(readFile(g_invalidAircraftCodesPath), "XX99             in c/aircraft.cfg\n");
    EXPECT_EQ(readFile(g_fixesPath),
              "Model fix: E175 found in z changed into E75L\nModel fix: B737-800 found in a changed into B738\n");
    EXPECT_EQ(readFile(g_invalidAircraftCfgPath), "Line atc_model= is missing in [General] section of d\n");
    EXPECT_EQ(readFile(g_incompleteFltsimPath), "d [fltsim.0] misses title\ne [fltsim.0] misses title\n");
    EXPECT_EQ(readFile(g_noFltsimSectionPath), "f/aircraft.cfg\ng/aircraft.cfg\n");
    EXPECT_EQ(logBody(), (std::vector<std::string>{
                             "",
                             "Errors:",
                             "    2 invalid airline codes, see " + path(g_invalidAirlineCodesPath),
                             "    1 invalid model code, see " + path(g_invalidAircraftCodesPath),
                             "    2 fixes, see " + path(g_fixesPath),
                             "    1 invalid aircraft.cfg files, see " + path(g_invalidAircraftCfgPath),
                             "    4 incomplete [fltsim.x] sections, see " + path(g_incompleteFltsimPath),
                             "    1 aircraft.cfg file skipped: not read in time, the next start scans again",
                             "",
                             "Information:",
                             "    2 empty aircraft.cfg files, see " + path(g_noFltsimSectionPath),
                         }));
}

TEST_F(ScanReportsTest, AScanWithoutFindingsWritesNoErrorFile) {
    lf_writeScanSummary();
    EXPECT_EQ(logBody(), (std::vector<std::string>{"", "No errors", "", "Information:"}));
    EXPECT_FALSE(fs::exists(g_errorsFolder));
    EXPECT_FALSE(fs::exists(g_noFltsimSectionPath));
}

TEST_F(ScanReportsTest, PreviousFilesAreRemovedAndAForeignFileKeepsTheFolder) {
    fs::create_directories(g_errorsFolder);
    const std::vector<fs::path> files = {g_noFltsimSectionPath,     g_liveriesScannedPath,     g_inlineRegcodesPath,
                                         g_invalidAirlineCodesPath, g_invalidAircraftCodesPath, g_fixesPath,
                                         g_invalidAircraftCfgPath,  g_incompleteFltsimPath};
    for (const auto& file : files) writeFile(file, "old\n");
    lf_removeScanResultFiles();
    for (const auto& file : files) EXPECT_FALSE(fs::exists(file)) << file;
    EXPECT_FALSE(fs::exists(g_errorsFolder));

    fs::create_directories(g_errorsFolder);
    writeFile(g_fixesPath, "old\n");
    writeFile(g_errorsFolder / "mine.txt", "the user's\n");
    lf_removeScanResultFiles();
    EXPECT_FALSE(fs::exists(g_fixesPath));
    EXPECT_TRUE(fs::exists(g_errorsFolder / "mine.txt"));
    const auto lines = logBody();
    ASSERT_EQ(lines.size(), 1u);
    EXPECT_TRUE(lines[0].starts_with("problems with removing previous files: ")) << lines[0];

    lf_appendInvalidModelCode("XX99", "c");
    lf_writeScanSummary();
    EXPECT_EQ(readFile(g_invalidAircraftCodesPath), "XX99             in c\n");
}

TEST_F(ScanReportsTest, ATitleIsGivenOnce) {
    const RegCodes codes{3, 0, 5, 1};
    const LiveryData first = lf_makeLiveryOnce(2, codes, "A320 Title", "D-ABCD");
    EXPECT_EQ(first.title, "A320 Title");
    EXPECT_EQ(first.regcode, "D-ABCD");
    EXPECT_EQ(gf_liveryCodes(first), codes);
    EXPECT_EQ(first.folderNumber, 2);
    EXPECT_TRUE(lf_liveryIncomplete(lf_makeLiveryOnce(1, codes, "A320 Title", "")));
    gf_clearLiveryTables();
    EXPECT_FALSE(lf_liveryIncomplete(lf_makeLiveryOnce(1, codes, "A320 Title", "")));
}

TEST_F(ScanReportsTest, AWorkerOfASealedScanWritesNothing) {
    lf_publishDontUseTitles({"Hidden"});
    const std::uint64_t scan = g_liveryScanNumber.load();
    std::atomic<bool> sealed{false}, appended{false};
    bool sawHiddenAfterSeal = false;
    bool madeLivery = true;
    std::thread worker([&] {
        const LiveryWorkerScope scope(scan, lf_dontUseTitlesSnapshot());
        lf_appendIncompleteSection("in time");
        appended = true;
        while (!sealed.load()) std::this_thread::yield();
        lf_appendIncompleteSection("too late");
        lf_appendInvalidModelCode("LATE", "x");
        madeLivery = !lf_liveryIncomplete(lf_makeLiveryOnce(1, RegCodes{1, 0, 1, 0}, "Late Title", ""));
        sawHiddenAfterSeal = lf_isScanDontUseTitle("Hidden");  // the worker keeps its scan's titles
    });
    while (!appended.load()) std::this_thread::yield();
    lf_sealScanTables();
    EXPECT_EQ(g_incompleteSections.entries, ReportLines{"in time"});
    gf_clearLiveryTables();  // also empties the don't-use titles for everyone else
    sealed = true;
    worker.join();
    EXPECT_TRUE(g_incompleteSections.entries.empty());
    EXPECT_TRUE(g_invalidModelCodes.entries.empty());
    EXPECT_TRUE(g_seenTitles.entries.empty());
    EXPECT_FALSE(madeLivery);
    EXPECT_TRUE(sawHiddenAfterSeal);
    EXPECT_FALSE(lf_isScanDontUseTitle("Hidden"));
    // The scan's own thread writes to the current scan.
    lf_appendIncompleteSection("now");
    EXPECT_EQ(g_incompleteSections.entries.size(), 1u);
}

}  // namespace
