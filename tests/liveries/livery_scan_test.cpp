// The whole livery scan over the generated livery tree: the results file,
// the count lines, the report files, SCAN_LIVERIES switched off; the errors
// of the folder settings; a worker that hangs past the wait.
#include <gtest/gtest.h>

#include <fmt/format.h>

#include <atomic>
#include <fstream>
#include <sstream>

#include "app/services/run_flags.h"
#include "app/services/state.h"
#include "app/services/status_line.h"
#include "foundation/user_error.h"
#include "liveries/livery_scan.h"
#include "liveries/livery_services.h"
#include "liveries/scan_fixture.h"
#include "liveries/state.h"
#include "settings/parameter_store.h"
#include "settings/settings.h"
#include "support/store_fixture.h"
#include "support/wait.h"

namespace {
namespace fs = std::filesystem;
using namespace livery_scan_testing;
using testing_support::readFile;

struct LiveryScanTest : ScanTest {
    testing_support::TempDir settingsDir;
    fs::path parametersPath = settingsDir / "parameters.xml";
    testing_support::ControlRecorder controls;
    testing_support::LiveryTree tree;

    LiveryScanTest() {
        testing_support::resetAllParameters();
        gf_setControlUpdates(&controls);
        gf_saveParameters(false, parametersPath);
        for (const auto& folder : {g_infoFolder, g_myRegcodesFolder}) fs::create_directories(folder);
        testing_support::writeFile(g_myRegcodesFolder / "mine.TXT", testing_support::kLiveryTreeRegcodeList);
        tree = testing_support::writeLiveryTree(aircraft.path());
        lfolder0.value = lf_scanPathText(tree.main);
        lfolder1.value = lf_scanPathText(tree.extra);
        lfolder2.value = lf_scanPathText(tree.addons);
        g_scanLimit = 4;
        g_runningScans = 0;
        controls.clear();
    }
    ~LiveryScanTest() override {
        lf_awaitScanWorkers(testing_support::kSafety);
        gf_setControlUpdates(nullptr);
        g_scanLimit = 0;
        testing_support::resetAllParameters();
    }
    // The text of the results file from its <liveries> element on.
    static std::string liveriesElement() {
        const std::string text = readFile(g_liveriesScannedPath);
        return text.substr(text.find("  <liveries>"));
    }
    // The log lines from the first that holds the text on.
    std::vector<std::string> logFrom(const std::string& text) const {
        auto lines = log.lines();
        const auto first = std::find_if(lines.begin(), lines.end(),
                                        [&text](const std::string& line) { return line.find(text) != std::string::npos; });
        return {first, lines.end()};
    }
    std::string p(const fs::path& path) const { return lf_scanPathText(path); }
};

#ifdef _WIN32
constexpr bool kWindows = true;  // "model." names the folder "model"
#else
constexpr bool kWindows = false;
#endif

// The liveries of the tree's scan, as LiveriesScanned.xml lists them.
std::string expectedLiveries() {
    return std::string(R"(  <liveries>
    <l a="AAL" m="A321" t="A321 American Airlines N101NN" r="N101NN" />
    <l a="AAL" m="B738" t="B738AAL" />
    <l a="AFL" m="T154" t="T154 AFL Aeroflot" />
    <l a="AFR" m="A320" t="FSLTL_A320_AFR" />
    <l a="AFR" m="B77W" t="B77W Air France" />
    <l a="BAW" m="A320" t="A320 British Airways G-EUYA" r="G-EUYA" />
    <l a="DAL" m="B738" t="B738 Delta" />
    <l a="DAL" m="B763" t="B763 Delta" />
    <l a="DAL" m="E75L" t="E175 Delta Shuttle" />
    <l a="DAL" o="SKW" m="E75L" t="E175 SkyWest Delta Connection N264SY" r="N264SY" />
    <l a="DLH" m="A319" t="A319 Lufthansa Mixed" />
    <l a="DLH" m="A320" t="A320 Bracket Air" />
    <l a="DLH" m="A320" t="A320 Lufthansa D-AIZA" r="D-AIZA" />
    <l a="DLH" m="A320" t="A320 Lufthansa D-AIZB" r="D-AIZB" />
)") + (kWindows ? "    <l a=\"DLH\" m=\"A320\" t=\"A320 Lufthansa D-AIZC\" r=\"D-AIZC\" />\n" : "") +
           R"(    <l a="DLH" m="A320" t="A320 Lufthansa Retro D-AIZR" r="D-AIZR" />
    <l a="DLH" m="A320" t="A320 Star Air" />
    <l a="DLH" m="A321" t="A321 Lufthansa UTF16" />
    <l a="KLM" m="A320" t="A320 KLM PH-ABC" r="PH-ABC" />
    <l a="PVT" m="A320" t="A320 Abcd Air" />
    <l a="PVT" m="C172" t="C172 A)" "\xC3\xA9" R"(roclub F-GABC" r="F-GABC" />
    <l a="PVT" m="C172" t="C172 D-EABC" r="D-EABC" />
    <l a="PVT" m="C172" t="C172 G-ABCD" r="G-" />
    <l a="PVT" m="C172" t="C172 N172SP" r="N172SP" />
    <l a="PVT" m="EC35" t="EC135 Police" />
    <l a="QXE" m="E75L" t="E175 Horizon" />
    <l a="RYR" m="B738" t="B738 Ryanair EI-DCL" r="EI-DCL" />
    <l a="SKW" m="E75L" t="E175 SkyWest United Express" />
    <l a="UAL" m="A320" t="A320 United Lowercase" />
    <l a="UPS" m="B763" c="true" t="B763F UPS N301UP" r="N301UP" />
    <l a="VJT" m="C56X" t="C56X VistaJet" />
    <l a="ZZZ" m="A320" t="A320 Generic White" />
  </liveries>
</root>
)";
}

std::string sortedLines(std::vector<std::string> lines) {
    std::sort(lines.begin(), lines.end());
    std::string text;
    for (const auto& line : lines) text += line + "\n";
    return text;
}

// Everything a scan of the whole tree leaves on disk and in the log.
void expectTreeScanResults(const LiveryScanTest& test) {
    const auto& tree = test.tree;
    const auto p = [&test](const fs::path& path) { return test.p(path); };
    EXPECT_EQ(LiveryScanTest::liveriesElement(), expectedLiveries());

    const std::string noAirline = " icao_airline is missing, or it has invalid info ";
    std::vector<std::string> incomplete = {
        "'" + p(tree.main / "B77W") + "' '[fltsim.1]' has no airline and no regcode info",
        "'" + p(tree.main / "B77W") + "' '[fltsim.2]' has no airline and regcode not in dbase",
        p(tree.addons / "IVAO_MTL" / "IVAO_B738w") + " [fltsim.5] misses airlinecode in title: Boeing 738 plain, and no regcode",
        p(tree.addons / "IVAO_MTL" / "IVAO_B738w") +
            " [fltsim.6] misses airlinecode in title: Boeing 738 reg, and regcode unknown N999ZZ",
        p(tree.extra / "A320") + " [fltsim.2] title 'A320 Lufthansa D-AIZA' already exists",
        p(tree.main / "A320") + " [fltsim.8] title 'A320 Lufthansa D-AIZB' already exists",
        p(tree.main / "B77W" / "aircraft.cfg") + " [fltsim.1]" + noAirline,
        p(tree.main / "B77W" / "aircraft.cfg") + " [fltsim.2]" + noAirline,
        p(tree.main / "C172" / "aircraft.cfg") + " [fltsim.0]" + noAirline,
        p(tree.main / "C172" / "aircraft.cfg") + " [fltsim.1]" + noAirline,
        p(tree.main / "C172" / "aircraft.cfg") + " [fltsim.2]" + noAirline,
        p(tree.main / "C172" / "aircraft.cfg") + " [fltsim.3]" + noAirline,
        p(tree.main / "EC35" / "aircraft.cfg") + " [fltsim.0]" + noAirline,
        p(tree.main / "broken" / "abcd" / "aircraft.cfg") + " [fltsim.0]" + noAirline,
        p(tree.main / "broken" / "rfo" / "aircraft.cfg") + " [fltsim.0]" + noAirline,
        p(tree.main / "broken" / "missingtexture" / "model.main") + " or related path does not exist: [fltsim.0]",
        p(tree.main / "broken" / "sectionend" / "model.") + " or related path does not exist: [fltsim.1]",
        p(tree.main / "broken" / "twoairlines") + " [fltsim.0] has more than one atc_parking_codes key",
        p(tree.main / "broken" / "twotitles") + " [fltsim.0] has more than one title key",
        "invalid atc_id=ABC* in: A320 Star Air",
    };
    if (!kWindows) incomplete.push_back(p(tree.main / "A320" / "model.") + " or related path does not exist: [fltsim.9]");
    EXPECT_EQ(readFile(g_incompleteFltsimPath), sortedLines(incomplete));
    EXPECT_EQ(readFile(g_invalidAirlineCodesPath),
              sortedLines({"ABCD         in " + p(tree.main / "broken" / "abcd" / "aircraft.cfg") + " [fltsim.0]",
                           "XYZ          in " + p(tree.addons / "IVAO_MTL" / "IVAO_B738w" / "aircraft.cfg") + " [fltsim.4]",
                           "aal          in " + p(tree.addons / "IVAO_MTL" / "IVAO_B738w" / "aircraft.cfg") + " [fltsim.2]"}));
    EXPECT_EQ(readFile(g_invalidAircraftCodesPath),
              sortedLines({"                 in " + p(tree.addons / "ivao_x-csl" / "B738" / "aircraft.cfg"),
                           "XX99             in " + p(tree.main / "broken" / "unknownmodel" / "aircraft.cfg")}));
    EXPECT_EQ(readFile(g_invalidAircraftCfgPath),
              sortedLines({p(tree.main / "broken" / "fltsim10001" / "aircraft.cfg") +
                               " contains a [fltsim.x] section with a number < 0 or > 10000",
                           "Line atc_model= is missing in [General] section of " +
                               p(tree.main / "broken" / "noatcmodel" / "aircraft.cfg")}));
    // The workers' order decides the order of the fixes.
    std::vector<std::string> fixes;
    std::istringstream fixesFile(readFile(g_fixesPath));
    for (std::string line; std::getline(fixesFile, line);) fixes.push_back(line);
    EXPECT_EQ(sortedLines(fixes),
              sortedLines({"Model fix: B737-800 found in " + p(tree.main / "B738" / "aircraft.cfg") + " changed into B738",
                           "Model fix: C172SP found in " + p(tree.main / "C172" / "aircraft.cfg") + " changed into C172",
                           "Model fix: E175 found in " + p(tree.main / "E175" / "aircraft.cfg") + " changed into E75L"}));
    EXPECT_EQ(readFile(g_noFltsimSectionPath), p(tree.main / "broken" / "nofltsim" / "aircraft.cfg") + "\n");
}

TEST_F(LiveryScanTest, AScanOfTheTreeWritesItsLiveriesReportsAndCounts) {
    gf_scanLiveries(parametersPath);
    expectTreeScanResults(*this);
    const std::string mainCount = kWindows ? "27" : "26";
    const std::string inFile = kWindows ? "32" : "31";
    const std::string sections = kWindows ? "   20" : "   21";
    EXPECT_EQ(logFrom(mainCount + " liveries found in "),
              (std::vector<std::string>{
                  mainCount + " liveries found in " + p(tree.main),
                  "3 liveries found in " + p(tree.extra),
                  "5 liveries found in " + p(tree.addons),
                  (kWindows ? "35" : "34") + std::string(" in total"),
                  inFile + " liveries in " + p(g_liveriesScannedPath),
                  "",
                  "Errors:",
                  "    3 invalid airline codes, see " + p(g_invalidAirlineCodesPath),
                  "    2 invalid model codes, see " + p(g_invalidAircraftCodesPath),
                  "    3 fixes, see " + p(g_fixesPath),
                  "    2 invalid aircraft.cfg files, see " + p(g_invalidAircraftCfgPath),
                  sections + " incomplete [fltsim.x] sections, see " + p(g_incompleteFltsimPath),
                  "",
                  "Information:",
                  "    1 empty aircraft.cfg files, see " + p(g_noFltsimSectionPath),
                  "SCAN_LIVERIES=false",
                  "",
                  "++++++++++++++++++++++++ liveries scan ends ++++++++++++++++++++++++++++++++",
                  "",
              }));
    EXPECT_FALSE(SCAN_LIVERIES.value);
    EXPECT_EQ(testing_support::storedParameterValue(parametersPath, "SCAN_LIVERIES"), "false");
    EXPECT_EQ(controls.updates(), std::vector<std::string>{"check SCAN_LIVERIES 0"});
    // The scan's lists are empty again for the next scan.
    EXPECT_TRUE(g_incompleteSections.entries.empty());
    EXPECT_TRUE(g_seenTitles.entries.empty());
    EXPECT_TRUE(g_dontUseTitles.empty());
    EXPECT_TRUE(g_liveries.empty());
}

TEST_F(LiveryScanTest, WithoutPreferenceEveryFolderKeepsItsLiveries) {
    LIG_PRIORITIZE.value = false;
    gf_scanLiveries(parametersPath);
    const std::string liveries = liveriesElement();
    for (const char* kept : {R"(<l a="DLH" m="A320" t="A320 Lufthansa Extra" />)", R"(<l a="DAL" m="B738" t="b738 DAL Boeing" />)",
                             R"(<l a="RYR" m="B738" t="AAL B738" r="EI-DCL" />)"})
        EXPECT_NE(liveries.find(kept), std::string::npos) << kept;
    EXPECT_TRUE(log.contains(kWindows ? "35 liveries in " : "34 liveries in "));
}

TEST_F(LiveryScanTest, CountLinesOfOneFolderAndOfOneLivery) {
    testing_support::TempDir single;
    testing_support::writeAircraftFolder(single / "C56X", "aircraft.cfg",
                                         "[General]\natc_model=C56X\n[fltsim.0]\ntitle=C56X One\natc_parking_codes=VJT\n"
                                         "sim=S\nmodel=M\ntexture=T\n");
    lfolder0.value = "";
    lfolder1.value = "";
    lfolder2.value = lf_scanPathText(single.path());
    gf_scanLiveries(parametersPath);
    EXPECT_TRUE(log.contains("1 liverie found in " + p(single.path())));
    EXPECT_FALSE(log.contains(" in total"));
    EXPECT_EQ(liveriesElement(), "  <liveries>\n    <l a=\"VJT\" m=\"C56X\" t=\"C56X One\" />\n  </liveries>\n</root>\n");
    EXPECT_TRUE(log.contains("No errors"));
    EXPECT_FALSE(fs::exists(g_errorsFolder));
}

TEST_F(LiveryScanTest, FolderSettingErrors) {
    // A set folder that does not exist stops the scan before anything is removed.
    testing_support::writeFile(g_liveriesScannedPath, "previous");
    lfolder1.value = p(aircraft / "gone");
    try {
        gf_scanLiveries(parametersPath);
        ADD_FAILURE() << "no exception";
    } catch (const vlt::UserErrorException& e) {
        EXPECT_STREQ(e.what(), "243: the path pointed to by parameter 'lfolder1' does not exist, see Log.txt!");
    }
    EXPECT_TRUE(log.contains("==> lfolder1: '" + p(aircraft / "gone") + "' does not exist"));
    EXPECT_EQ(readFile(g_liveriesScannedPath), "previous");

    // Folders without any livery; a file where a folder should be is passed over.
    testing_support::TempDir empty;
    testing_support::writeFile(empty / "readme.txt", "no liveries here");
    lfolder0.value = p(empty.path());
    lfolder1.value = p(empty / "readme.txt");
    lfolder2.value = "";
    g_liveryCount = 7;
    try {
        gf_scanLiveries(parametersPath);
        ADD_FAILURE() << "no exception";
    } catch (const vlt::UserErrorException& e) {
        EXPECT_STREQ(e.what(), "53: no liveries found");
    }
    EXPECT_TRUE(log.contains("No liveries found in " + p(empty.path())));
    EXPECT_TRUE(log.contains(p(empty / "readme.txt") + " is not a folder name, skipped!"));
    EXPECT_EQ(g_liveryCount.load(), 0u);
    EXPECT_FALSE(fs::exists(g_liveriesScannedPath));
    EXPECT_TRUE(SCAN_LIVERIES.value);
    EXPECT_EQ(testing_support::storedParameterValue(parametersPath, "SCAN_LIVERIES"), "true");
}

TEST_F(LiveryScanTest, NoFolderSetAsksTheUserToSetOne) {
#ifdef _WIN32
    GTEST_SKIP() << "the shell would show the manual's and the settings' folders";
#endif
    lfolder0.value = "";
    lfolder1.value = "";
    lfolder2.value = "";
    try {
        gf_scanLiveries(parametersPath);
        ADD_FAILURE() << "no exception";
    } catch (const vlt::UserErrorException& e) {
        EXPECT_STREQ(e.what(), "48: Exit Velantra_P3D first!   Then set one or more lfolder parameters to your liveries, see Manual 5.3");
    }
    EXPECT_TRUE(SCAN_LIVERIES.value);
}

TEST_F(LiveryScanTest, AStoppedScanWritesNothingAndIsNotAskedForAgain) {
    std::atomic<bool> stopped{false};
    LiveryScanHooks hooks = patientHooks();
    hooks.fileWorker = [&stopped](int folderNumber, const fs::path& path) {
        if (!stopped.exchange(true)) g_stopRequested = true;
        return lf_searchLiveriesinFile(folderNumber, path);
    };
    lf_runLiveryScan(parametersPath, hooks);
    while (g_runningScans.load() > 0) std::this_thread::yield();  // the workers started before the stop end
    g_stopRequested = false;
    EXPECT_FALSE(fs::exists(g_liveriesScannedPath));
    EXPECT_FALSE(fs::exists(g_errorsFolder));
    EXPECT_TRUE(g_incompleteSections.entries.empty());
    EXPECT_TRUE(g_seenTitles.entries.empty());
    EXPECT_FALSE(SCAN_LIVERIES.value);
    EXPECT_EQ(testing_support::storedParameterValue(parametersPath, "SCAN_LIVERIES"), "false");
}

TEST_F(LiveryScanTest, AHungWorkerIsGivenUpAndNeverWritesIntoTheNextScan) {
    // The first scan: the A320 file's worker hangs until the second scan runs.
    const fs::path hungFile = tree.main / "A320" / "aircraft.cfg";
    std::atomic<bool> release{false}, lateWorkerDone{false};
    LiveryScanHooks first;
    // Only the waits for the hung worker give up; the other workers are waited for until they end.
    first.waitBound = [&hungFile](LiveryScanWait wait, const fs::path& file) {
        const bool hung = wait == LiveryScanWait::LastWorkers || (wait == LiveryScanWait::Result && file == hungFile);
        return hung ? kGivingUp : testing_support::kSafety;
    };
    first.fileWorker = [&](int folderNumber, const fs::path& path) {
        if (path != hungFile) return lf_searchLiveriesinFile(folderNumber, path);
        while (!release.load()) std::this_thread::yield();
        LiveryList late = lf_searchLiveriesinFile(folderNumber, path);  // the real reader, late
        lateWorkerDone = true;
        return late;
    };
    lf_runLiveryScan(parametersPath, first);
    EXPECT_TRUE(log.contains("Future wait timed out after 10 seconds"));
    EXPECT_TRUE(log.contains("==> 1 scan worker(s) still running, their findings are left out"));
    EXPECT_EQ(liveriesElement().find("A320 Lufthansa D-AIZB"), std::string::npos);

    // The second scan lets the hung worker finish before its own first file.
    SCAN_LIVERIES.value = true;
    LiveryScanHooks second = patientHooks();
    second.fileWorker = [&](int folderNumber, const fs::path& path) {
        release = true;
        while (!lateWorkerDone.load()) std::this_thread::yield();
        return lf_searchLiveriesinFile(folderNumber, path);
    };
    lf_runLiveryScan(parametersPath, second);
    expectTreeScanResults(*this);
}

// A worker hangs (a slow drive, a virus scanner) and holds the only place: the
// rest of its folder is skipped, the next folder is read once it ends. The
// user is told how many files were skipped, and the next start scans again.
TEST_F(LiveryScanTest, AStalledFolderIsReportedAndScannedAgainAtTheNextStart) {
    testing_support::TempDir stalled, later;
    const std::string cfgText = "[General]\natc_model=C56X\n[fltsim.0]\ntitle={}\natc_parking_codes=VJT\n"
                                "sim=S\nmodel=M\ntexture=T\n";
    for (const char* name : {"One", "Two", "Three"})
        testing_support::writeAircraftFolder(stalled / name, "aircraft.cfg", fmt::format(fmt::runtime(cfgText), name));
    testing_support::writeAircraftFolder(later / "Four", "aircraft.cfg", fmt::format(fmt::runtime(cfgText), "C56X Four"));
    lfolder0.value = p(stalled.path());
    lfolder1.value = p(later.path());
    lfolder2.value = "";
    SCAN_LIVERIES.value = false;  // the scan runs because there is no results file yet
    gf_saveBoolParam(SCAN_LIVERIES, parametersPath);
    controls.clear();
    g_scanLimit = 1;

    std::atomic<bool> hangs{true}, first{true};
    int fullCalls = 0;
    LiveryScanHooks hooks;
    hooks.workersFull = [&](std::int32_t) {
        if (++fullCalls == 2) hangs = false;  // the next folder waits for the place
    };
    // While the first worker hangs, a wait can only give up; the next
    // folder's waits are for a worker that ends.
    hooks.waitBound = [&hangs](LiveryScanWait, const fs::path&) {
        return hangs.load() ? kGivingUp : testing_support::kSafety;
    };
    hooks.fileWorker = [&](int folderNumber, const fs::path& path) {
        if (first.exchange(false))
            while (hangs.load()) std::this_thread::yield();
        return lf_searchLiveriesinFile(folderNumber, path);
    };
    lf_runLiveryScan(parametersPath, hooks);

    EXPECT_EQ(liveriesElement(), "  <liveries>\n    <l a=\"VJT\" m=\"C56X\" t=\"C56X Four\" />\n  </liveries>\n</root>\n");
    EXPECT_TRUE(log.contains("==> liveries search in " + p(stalled.path()) + " stalled"));
    EXPECT_EQ(logFrom("1 liveries in "),
              (std::vector<std::string>{"1 liveries in " + p(g_liveriesScannedPath), "", "Errors:",
                                        "    3 aircraft.cfg files skipped: not read in time, the next start scans again",
                                        "", "Information:",
                                        "Livery scan incomplete: 3 aircraft.cfg files skipped, the next start scans again",
                                        "SCAN_LIVERIES=true", "", "++++++++++++++++++++++++ liveries scan ends "
                                        "++++++++++++++++++++++++++++++++", ""}));
    EXPECT_EQ(gf_statusLineText(), "Livery scan incomplete: 3 aircraft.cfg files skipped, the next start scans again");
    EXPECT_TRUE(SCAN_LIVERIES.value);
    EXPECT_EQ(testing_support::storedParameterValue(parametersPath, "SCAN_LIVERIES"), "true");
    EXPECT_EQ(controls.updates(), std::vector<std::string>{"check SCAN_LIVERIES 1"});
}

}  // namespace
