// The add-on airport scan: the afolder settings, the walk over the scenery
// folders, the bounded scan workers and their results, the scan log and the
// end of the scan.
#include "airports/addon_scan.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cctype>
#include <condition_variable>
#include <mutex>
#include <stdexcept>
#include <thread>

#include "airports/state.h"
#include "app/services/run_flags.h"
#include "app/services/state.h"
#include "foundation/file_helpers.h"
#include "foundation/text_files.h"
#include "foundation/user_error.h"
#include "foundation/zip_archive.h"
#include "platform/window_host.h"
#include "refdata/state.h"
#include "settings/settings.h"
#include "support/bgl_builder.h"
#include "support/scan_log.h"
#include "support/store_fixture.h"

namespace fs = std::filesystem;
using namespace testing_support;
using ::testing::Contains;
using ::testing::HasSubstr;
using ::testing::UnorderedElementsAre;

namespace {

// An airport file with the given number of gate stands.
Bytes airportWithStands(const std::string& ident, std::uint32_t stands) {
    std::vector<BglParkingSpec> entries;
    for (std::uint32_t k = 1; k <= stands; ++k) entries.push_back({10, 8, k, 20.0F, 90.0F, 52.3 + k * 0.001, 4.7, {}});
    return bglAirportFile({ident, false, 0, {bglNameRecord(ident + " airport"), bglParkingList(entries, false)}, {}});
}

class AddonScan : public StoreTest, public platform::WindowHost {
protected:
    AddonScan() {
        platform::setWindowHost(this);
        g_airportCodes = {AirportCode("EHAM"), AirportCode("EDDF"), AirportCode("EBBR"), AirportCode("EDLW")};
        g_publisherGroups = {{"Skyline Sceneries", "Skyline"}};
        g_thirdParties = {{"Skyline Sceneries", {"EHAM2"}}};
        g_simaddonAirports = {"EDDF"};
        g_stockSceneryPath = fs::current_path() / "P3D v5" / "Scenery";
        g_scanLimit = 2;
        g_runningScans = 0;
        for (const fs::path& folder : {g_myOrbxFolder, g_myThirdpartyFolder, g_infoFolder})
            fs::create_directories(folder);
        for (StringParam* folder : g_afolderParams) folder->value = "";
    }
    ~AddonScan() override {
        platform::setWindowHost(nullptr);
        g_airportCodes.clear();
        gf_clearReferenceData();
        g_stockSceneryPath.clear();
        g_stopRequested = false;
        g_tbloFileCount = 0;
        clearScanLog();
    }

    void postAppMessage(std::uint32_t) override {}
    void invalidateBand(const platform::Band& band) override {
        if (band.top == 0 && band.bottom == 516) ++wholeWindowRepaints;
    }

    std::string scan() {
        try {
            gf_scanAddonAirports(path());
        } catch (const vlt::UserErrorException& e) {
            return e.what();
        }
        return "";
    }
    static std::vector<std::string> scanLogFile() { return gf_readLines(g_airportsScanLogPath, 16).lines; }

    std::atomic<int> wholeWindowRepaints{0};
};

TEST_F(AddonScan, NoFolderSetEndsWithError49AndKeepsTheScanOn) {
    fs::create_directories(g_docsFolderName);
    writeFile(fs::path(g_docsFolderName) / "Manual.pdf", "%PDF");
    writeFile(path(), "<root />");
    testing::internal::CaptureStdout();
    EXPECT_EQ(scan(), "49: Exit Velantra_P3D first!   Then set one or more afolder parameters to your add-on "
                      "airports, see Manual 6.2");
    // The manual and the folder of the settings are shown to the user (a
    // build without a file manager says which folders it would show).
    const std::string shown = testing::internal::GetCapturedStdout();
#ifndef _WIN32
    EXPECT_THAT(shown, HasSubstr("[open] " + (fs::current_path() / g_docsFolderName).string() + "\n"));
    EXPECT_THAT(shown, HasSubstr("[open] " + path().parent_path().string() + "\n"));
#endif
    EXPECT_TRUE(SCAN_AIRPORTS.value);
    EXPECT_EQ(storedParameterValue(path(), "SCAN_AIRPORTS"), "<none>");
    EXPECT_TRUE(log_.contains("++++++++++++++++++++++++ airports scan manual  starts +++++++++++++++++++++++++++++"));
    EXPECT_FALSE(log_.contains("airports scan ends"));
}

TEST_F(AddonScan, FolderInsideTheStockSceneryIsError42) {
    const fs::path addons = fs::current_path() / "addons";
    const fs::path world = g_stockSceneryPath / "World";
    afolder1.value = addons.string();
    afolder3.value = world.string();
    EXPECT_EQ(scan(), "42: parameter afolder3 points to stock airports instead of add-on airports!");
    EXPECT_TRUE(SCAN_AIRPORTS.value);
    // The comparison is one of bytes: another letter case is no error here
    // (the walk keeps such a folder out later).
    g_stockSceneryPath = fs::current_path() / "p3d v5" / "scenery";
    std::vector<fs::path> folders;
    lf_readAfolderParameters(folders);
    EXPECT_EQ(folders, (std::vector<fs::path>{addons, world}));
    EXPECT_TRUE(log_.contains("From parameter afolder1: " + addons.string()));
    EXPECT_TRUE(log_.contains("From parameter afolder3: " + world.string()));
    // Without a known stock scenery nothing is kept out.
    g_stockSceneryPath.clear();
    EXPECT_NO_THROW(lf_readAfolderParameters(folders));
    EXPECT_EQ(folders.size(), 2u);
}

TEST_F(AddonScan, StockSceneryTestIgnoresLetterCase) {
    const fs::path stock = g_stockSceneryPath;
    std::string upper = stock.string();
    std::transform(upper.begin(), upper.end(), upper.begin(), [](unsigned char c) { return std::toupper(c); });
    EXPECT_TRUE(gf_isInStockScenery(stock / "World" / "x.bgl"));
    EXPECT_TRUE(gf_isInStockScenery(fs::path(upper) / "AFRICA"));
    EXPECT_FALSE(gf_isInStockScenery(stock.parent_path() / "Addon Scenery"));
    EXPECT_FALSE(gf_isInStockScenery(stock.parent_path()));  // shorter than the stock path
    g_stockSceneryPath.clear();
    EXPECT_FALSE(gf_isInStockScenery(stock / "World"));
}

TEST_F(AddonScan, WalksTheFoldersLinksTheirAirportsAndSwitchesTheScanOff) {
    const fs::path addons = fs::current_path() / "addons";
    const fs::path otherCase = fs::current_path() / "P3D V5" / "SCENERY" / "World";
    for (const fs::path& folder : {addons / "Skyline Sceneries EHAM" / "scenery", addons / "ORBX" / "EDDF",
                                   addons / "x" / "statics", addons / "x" / "_heliports", addons / "y" / "Statics",
                                   g_stockSceneryPath / "World", otherCase})
        fs::create_directories(folder);
    writeBytes(addons / "Skyline Sceneries EHAM" / "scenery" / "EHAM.bgl", airportWithStands("EHAM", 2));
    writeBytes(addons / "ORBX" / "EDDF" / "AP_EDDF.BGL", airportWithStands("EDDF", 3));
    writeBytes(addons / "y" / "Statics" / "EDLW.bgl", airportWithStands("EDLW", 1));  // the test is case-sensitive
    // Kept out: statics, heliports, other extensions, files without airports, the stock scenery.
    for (const fs::path& file : {addons / "x" / "statics" / "EBBR.bgl", addons / "x" / "_heliports" / "EBBR.bgl",
                                 addons / "x" / "EBBR.bgx", g_stockSceneryPath / "World" / "EBBR.bgl",
                                 otherCase / "EBBR.bgl"})
        writeBytes(file, airportWithStands("EBBR", 1));
    writeBytes(addons / "x" / "objects.bgl", bglFile({{0x65, 1, Bytes(64)}}));
    writeFile(addons / "notes.txt", "not scenery");
    afolder0.value = addons.string();
    afolder1.value = (addons / "notes.txt").string();
    afolder2.value = (addons / "missing").string();
    afolder4.value = otherCase.string();
    writeFile(g_myThirdpartyFolder / "OLD1.txt", "from the previous scan");
    writeFile(g_myOrbxFolder / "OLD2.xml", "from the previous scan");
    writeFile(g_airportsScanLogPath, "the previous scan log");

    EXPECT_EQ(scan(), "");

    EXPECT_EQ(readFile(g_myThirdpartyFolder / "EHAM.txt"), "archive/thirdparty/Skyline%20Sceneries/EHAM.xml\n");
    EXPECT_EQ(readFile(g_myOrbxFolder / "EDDF.txt"), "archive/simaddon/EDDF.xml\n");
    EXPECT_FALSE(fs::exists(g_myThirdpartyFolder / "OLD1.txt"));
    EXPECT_FALSE(fs::exists(g_myOrbxFolder / "OLD2.xml"));
    EXPECT_FALSE(fs::exists(g_myOrbxFolder / "EDDF.xml"));  // a linked simaddon airport is never generated
    const std::vector<std::string> lines = scanLogFile();
    ASSERT_FALSE(lines.empty());
    EXPECT_EQ(lines.front(), "Scanning for addon  airports in " + addons.string());
    EXPECT_THAT(lines, UnorderedElementsAre(lines.front(), "from filename => publisher simaddon",
                                           "simaddon airport EDDF linked to archive/simaddon/EDDF.xml",
                                           "thirdparty airport EHAM linked to archive/thirdparty/Skyline%20Sceneries/"
                                           "EHAM.xml",
                                           "===> EDLW has 1 parkpos while archived one has 0",
                                           "Generated EDLW.xml: 1 position"));
    for (const std::string& expected :
         {"From parameter afolder0: " + addons.string(), std::string("The scan will search 4 folders"),
          (addons / "notes.txt").string() + " is not a folder name, skipped!",
          (addons / "missing").string() + " does not exist, skipped!", g_airportsScanLogPath.string() + " written",
          std::string("EDLW copied to ") + (fs::path(g_tbloName) / "EDLW.xml").string(),
          "! Mail " + (fs::current_path() / g_tbloName / g_tbloZipName).string() + " to support@velantra-p3d.example",
          std::string("-------------------------- airports scan ends    ----------------------------")})
        EXPECT_TRUE(log_.contains(expected)) << expected;
    EXPECT_FALSE(log_.contains("Warning: Scan has not found any add-on airports"));
    EXPECT_FALSE(SCAN_AIRPORTS.value);
    EXPECT_EQ(storedParameterValue(path(), "SCAN_AIRPORTS"), "false");
    EXPECT_THAT(recorder_.updates(), Contains("check SCAN_AIRPORTS 0"));
    // The generated file was collected for off-line learning and, without a
    // pointer file beside it, stays in use.
    EXPECT_TRUE(fs::exists(g_myThirdpartyFolder / "EDLW.xml"));
    EXPECT_FALSE(fs::exists(fs::path(g_tbloName) / "EDLW.xml"));  // only in the zip
    const ZipArchive zip(fs::path(g_tbloName) / g_tbloZipName, ZipMode::ReadOnly);
    ASSERT_EQ(zip.entries().size(), 1u);
    EXPECT_EQ(zip.entries()[0].name, "EDLW.xml");
    EXPECT_FALSE(log_.contains("Zippen TBLO folder failed"));
    EXPECT_EQ(g_tbloFileCount, 1u);
    EXPECT_THAT(recorder_.updates(), Contains("enable tblo.zip 1"));
    EXPECT_GE(wholeWindowRepaints, 2);
    EXPECT_EQ(g_runningScans, 0);
    EXPECT_THAT(scanLogLines(), testing::IsEmpty());  // written out and emptied
}

TEST_F(AddonScan, ScanThatFindsNothingSaysSoAndStillSwitchesOff) {
    const fs::path empty = fs::current_path() / "empty";
    fs::create_directories(empty);
    afolder0.value = empty.string();
    EXPECT_EQ(scan(), "");
    EXPECT_TRUE(log_.contains("The scan will search 1 folder"));
    EXPECT_FALSE(log_.contains("1 folders"));
    EXPECT_TRUE(log_.contains("Warning: Scan has not found any add-on airports"));
    EXPECT_EQ(storedParameterValue(path(), "SCAN_AIRPORTS"), "false");
    EXPECT_EQ(scanLogFile(), std::vector<std::string>{"Scanning for addon  airports in " + empty.string()});
}

TEST_F(AddonScan, SimaddonAirportsAloneAreAFind) {
    const fs::path orbx = fs::current_path() / "ORBX";
    fs::create_directories(orbx);
    writeBytes(orbx / "EDDF.bgl", airportWithStands("EDDF", 3));
    afolder0.value = orbx.string();
    EXPECT_EQ(scan(), "");
    EXPECT_TRUE(fs::exists(g_myOrbxFolder / "EDDF.txt"));
    EXPECT_FALSE(log_.contains("Warning: Scan has not found any add-on airports"));
}

// Scenery files that all pass the quick test, for the worker tests.
class ScanWorkers : public AddonScan {
protected:
    ScanWorkers() {
        fs::create_directories(folder_);
        for (int k = 0; k < kFiles; ++k)
            writeBytes(folder_ / ("f" + std::to_string(k) + ".bgl"), airportWithStands("EHAM", 1));
    }
    static constexpr int kFiles = 6;
    const fs::path folder_ = fs::current_path() / "scenery";
};

// A gate the test opens for waiting workers one permit at a time.
class Gate {
public:
    // Called by a worker: counts it in, waits for a permit, counts it out.
    void pass() {
        std::unique_lock lock(mutex_);
        ++inside_;
        ++started_;
        maxInside_ = std::max(maxInside_, inside_);
        changed_.notify_all();
        changed_.wait(lock, [&] { return permits_ > 0; });
        --permits_;
        --inside_;
    }
    void waitForStarted(int count) {
        std::unique_lock lock(mutex_);
        changed_.wait(lock, [&] { return started_ >= count; });
    }
    void open(int permits) {
        const std::lock_guard lock(mutex_);
        permits_ += permits;
        changed_.notify_all();
    }
    int maxInside() const {
        const std::lock_guard lock(mutex_);
        return maxInside_;
    }
    int inside() const {
        const std::lock_guard lock(mutex_);
        return inside_;
    }

private:
    mutable std::mutex mutex_;
    std::condition_variable changed_;
    int inside_ = 0, started_ = 0, maxInside_ = 0, permits_ = 0;
};

TEST_F(ScanWorkers, AtMostTheLimitRunAtOnce) {
    Gate gate;
    std::atomic<int> done{0};
    std::thread scanner([&] {
        lf_scanAirportFolder(folder_, [&](const fs::path&) {
            gate.pass();
            ++done;
        });
    });
    // Whenever two workers wait at the gate, no third has started; then both
    // go, and the next two start.
    for (int started = 2; started <= kFiles; started += 2) {
        gate.waitForStarted(started);
        EXPECT_LE(gate.inside(), 2);
        EXPECT_LE(g_runningScans.load(), 2);
        gate.open(2);
    }
    scanner.join();
    EXPECT_EQ(done, kFiles);
    EXPECT_EQ(gate.maxInside(), 2);
    EXPECT_EQ(g_runningScans, 0);
}

TEST_F(ScanWorkers, FailingWorkersBecomeScanLogLinesAndFreeTheirPlace) {
    std::atomic<int> calls{0};
    lf_scanAirportFolder(folder_, [&](const fs::path&) {
        ++calls;
        throw std::runtime_error("broken file");
    });
    EXPECT_EQ(calls, kFiles);
    EXPECT_EQ(g_runningScans, 0);
    // Four results are taken right after a launch, the last two after the walk.
    int inner = 0, outer = 0;
    for (const std::string& line : scanLogLines()) {
        if (line.starts_with("===>  airports search aborted, futs inner,\nbroken file\n3\n" + folder_.string())) ++inner;
        if (line == "===>  airports search in " + folder_.string() + " aborted, futs outer error: broken file") ++outer;
    }
    EXPECT_EQ(inner, kFiles - 2);
    EXPECT_EQ(outer, 2);
}

TEST_F(ScanWorkers, WorkerThatDoesNotFinishIsGivenUp) {
    Gate gate;
    std::atomic<int> calls{0};
    lf_scanAirportFolder(
        folder_,
        [&](const fs::path&) {
            if (++calls == 1) gate.pass();  // the first worker waits until the test lets it go
        },
        std::chrono::milliseconds(20));
    EXPECT_THAT(scanLogLines(), Contains(HasSubstr("===>  airports search aborted, futs inner,\nFuture wait timed out "
                                                   "after 10 seconds\n3\n")));
    gate.open(1);
    while (g_runningScans.load() != 0) std::this_thread::sleep_for(std::chrono::milliseconds(1));
    // Counted once every worker has ended: the walk gives up the last ones
    // too when their threads start late, but it still starts them all.
    EXPECT_EQ(calls, kFiles);
}

TEST_F(ScanWorkers, StopRequestEndsTheWalk) {
    g_stopRequested = true;
    std::atomic<int> calls{0};
    lf_scanAirportFolder(folder_, [&](const fs::path&) { ++calls; });
    EXPECT_EQ(calls, 0);
}

}  // namespace
