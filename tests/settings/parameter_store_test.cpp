#include "settings/parameter_store.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <thread>

#include "app/service_wiring.h"
#include "app/services/run_flags.h"
#include "foundation/text_convert.h"
#include "settings/settings.h"
#include "support/store_fixture.h"

using testing_support::readFile;
using testing_support::StoreTest;
using testing_support::writeFile;
namespace fs = std::filesystem;

namespace {
using Pairs = std::vector<std::pair<std::string, std::string>>;

// The keys of the whole file in list order.
std::vector<std::string> listedKeys() {
    std::vector<std::string> keys;
    for (auto* p : g_boolParams) keys.push_back(p->key);
    for (auto* p : g_checkBoxParams) keys.push_back(p->key);
    for (auto* p : g_intParams) keys.push_back(p->key);
    for (auto* p : g_choiceParams) keys.push_back(p->key);
    for (auto* p : g_stringParams) keys.push_back(p->key);
    for (auto* p : g_editParams) keys.push_back(p->key);
    return keys;
}

std::vector<std::string> keysOf(const Pairs& pairs) {
    std::vector<std::string> keys;
    for (const auto& pair : pairs) keys.push_back(pair.first);
    return keys;
}

Pairs replaced(Pairs pairs, const std::string& key, const std::string& value) {
    for (auto& pair : pairs)
        if (pair.first == key) pair.second = value;
    return pairs;
}

Pairs without(Pairs pairs, const std::string& key) {
    std::erase_if(pairs, [&key](const auto& pair) { return pair.first == key; });
    return pairs;
}

std::string pathText(const fs::path& path) { return gf_wideToUtf8(path.u16string()); }

const std::string kOpeningBanner = std::string(34, '*') + " parameters " + std::string(34, '*');
const std::string kClosingBanner(80, '*');

class ParameterStore : public StoreTest {
protected:
    // A file as the first start writes it.
    Pairs firstStartFile() {
        gf_initParameters(path());
        Pairs pairs = storedPairs();
        testing_support::resetAllParameters();
        recorder_.clear();
        return pairs;
    }
};
}  // namespace

TEST_F(ParameterStore, FirstStartCreatesEveryParameterWithItsDefault) {
    gf_initParameters(path());

    const Pairs pairs = storedPairs();
    ASSERT_EQ(pairs.size(), 66u);
    const std::vector<std::string> keys = keysOf(pairs);
    EXPECT_EQ(keys, listedKeys());
    EXPECT_EQ(std::count(keys.begin(), keys.end(), "AIRP_HEIGHT"), 2);
    EXPECT_EQ(storedValue("RANDOM"), "true");
    EXPECT_EQ(storedValue("RANGE"), "40");
    EXPECT_EQ(storedValue("LAST_EPOCH_TIME:"), "0");
    EXPECT_EQ(storedValue("CUSTOM_PARKING_PERCENTAGE"), "-1");
    EXPECT_EQ(storedValue("PORT_NUMBER"), "10747");
    EXPECT_EQ(storedValue("PROGRAM_VERSION"), kProgramVersionText);
    EXPECT_EQ(storedValue("SCAN_LIVERIES"), "true");
    EXPECT_EQ(storedValue("SCAN_AIRPORTS"), "true");
    EXPECT_TRUE(SCAN_LIVERIES.value && SCAN_AIRPORTS.value);
    EXPECT_TRUE(readFile(path()).starts_with("<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<root>\n  <parameters>\n"
                                             "    <parameter name=\"RANDOM\" value=\"true\" />\n"));

    const auto lines = log_.lines();
    const auto opening = std::find(lines.begin(), lines.end(), kOpeningBanner);
    ASSERT_NE(opening, lines.end());
    EXPECT_EQ(*(opening - 1), "");
    EXPECT_EQ(*(opening + 1), pathText(path()) + " not found, creating new with default values:");
    EXPECT_EQ(*(opening + 2), "RANDOM=true");
    EXPECT_EQ(*(opening + 3), "ALWAYS_ON_TOP=false");
    EXPECT_EQ(*(opening + 2 + 66), kClosingBanner);
    EXPECT_EQ(*(opening + 3 + 66), "");
    EXPECT_TRUE(log_.contains("MAX_FIT=47"));
    EXPECT_TRUE(log_.contains("PORT_NUMBER=\"10747\""));
    EXPECT_TRUE(log_.contains("LAST_EPOCH_TIME:=0"));

    const auto updates = recorder_.updates();
    EXPECT_EQ(std::count(updates.begin(), updates.end(), "check SCAN_LIVERIES 1"), 2);  // file, then the switch
    EXPECT_EQ(updates.back(), "check SCAN_AIRPORTS 1");
    EXPECT_EQ(std::count(updates.begin(), updates.end(), "choice AIRP_HEIGHT"), 1);
    EXPECT_EQ(std::count(updates.begin(), updates.end(), "text BLOCK_CALLSIGN"), 1);
}

TEST_F(ParameterStore, SecondStartReadsTheFileBackUnchanged) {
    firstStartFile();
    const std::string bytes = readFile(path());
    RANGE.value = 12;  // whatever memory holds, the file decides

    gf_initParameters(path());

    EXPECT_EQ(readFile(path()), bytes);
    EXPECT_EQ(RANGE.value, 40);
    EXPECT_EQ(PROGRAM_VERSION.value.get(), kProgramVersionText);
    EXPECT_TRUE(log_.contains("from '" + pathText(path()) + "'"));
    EXPECT_FALSE(log_.contains("This is a version update"));
    EXPECT_FALSE(fs::exists(appData_ / "parameters0.xml"));
}

TEST_F(ParameterStore, LoadClampsIntsAndDerivesTheRadius) {
    Pairs pairs = firstStartFile();
    pairs = replaced(pairs, "RANGE", "1000");
    pairs = replaced(pairs, "MAX_FIT", "-5");
    pairs = replaced(pairs, "MAIN_WINDOW_X", "99999");
    writePairs(pairs);

    EXPECT_FALSE(gf_loadParameters(path()));

    EXPECT_EQ(RANGE.value, 100);
    EXPECT_EQ(MAX_FIT.value, 0);
    EXPECT_EQ(MAIN_WINDOW_X.value, 30000);
    EXPECT_EQ(g_rangeNm, 100.0);
    EXPECT_EQ(g_rangeMeters, 185200);
    EXPECT_TRUE(log_.contains("RANGE=100"));

    writePairs(replaced(pairs, "RANGE", "25"));
    gf_loadParameters(path());
    EXPECT_EQ(g_rangeNm, 25.0);
    EXPECT_EQ(g_rangeMeters, 46300);
}

TEST_F(ParameterStore, MissingKeyIsAppendedWithItsDefault) {
    writePairs(without(firstStartFile(), "WEEK"));
    WEEK.value = true;

    EXPECT_FALSE(gf_loadParameters(path()));

    EXPECT_FALSE(WEEK.value);
    const Pairs pairs = storedPairs();
    ASSERT_EQ(pairs.size(), 66u);
    EXPECT_EQ(pairs.back(), (std::pair<std::string, std::string>{"WEEK", "false"}));
}

TEST_F(ParameterStore, ParameterWithoutValueReadsAsFalseZeroOrEmpty) {
    firstStartFile();
    pugi::xml_document doc = readDocument();
    for (auto element : doc.child("root").child("parameters").children("parameter")) {
        const std::string name = element.attribute("name").value();
        if (name == "RANDOM" || name == "MAX_FIT" || name == "PORT_NUMBER") element.remove_attribute("value");
    }
    ASSERT_TRUE(doc.save_file(path().c_str()));

    gf_loadParameters(path());

    EXPECT_FALSE(RANDOM.value);
    EXPECT_EQ(MAX_FIT.value, 0);
    EXPECT_EQ(PORT_NUMBER.value.get(), "");
    EXPECT_EQ(storedPairs().size(), 66u);  // nothing appended
    EXPECT_EQ(storedValue("RANDOM"), "");
}

TEST_F(ParameterStore, DuplicatesReadTheFirstAndWriteAll) {
    Pairs pairs = firstStartFile();
    pairs.insert(pairs.begin(), {"RANGE", "8"});
    writePairs(pairs);

    gf_loadParameters(path());
    EXPECT_EQ(RANGE.value, 8);

    RANGE.value = 65;
    gf_saveIntParam(RANGE, path());
    int matches = 0;
    for (const auto& [name, value] : storedPairs()) {
        if (name != "RANGE") continue;
        ++matches;
        EXPECT_EQ(value, "65");
    }
    EXPECT_EQ(matches, 2);
    EXPECT_TRUE(log_.contains("RANGE=65"));
}

TEST_F(ParameterStore, FileWithoutRootIsRewrittenWholeOnTheNextSave) {
    Pairs pairs = replaced(firstStartFile(), "RANGE", "30");
    std::string bytes = "<parameters>\n";
    for (const auto& [name, value] : pairs)
        bytes += "<parameter name=\"" + name + "\" value=\"" + value + "\" />\n";
    writeFile(path(), bytes + "</parameters>\n");

    EXPECT_FALSE(gf_loadParameters(path()));
    EXPECT_EQ(RANGE.value, 30);

    AIRBORNE_ONLY.value = true;
    gf_saveBoolParam(AIRBORNE_ONLY, path());

    EXPECT_TRUE(log_.contains("Placing a root level around a new parameters.xml to make it 100% xml compliance"));
    const Pairs rewritten = storedPairs();  // under root now
    ASSERT_EQ(rewritten.size(), 66u);
    EXPECT_EQ(storedValue("RANGE"), "30");
    EXPECT_EQ(storedValue("AIRBORNE_ONLY"), "true");
}

TEST_F(ParameterStore, FileWithoutParametersIsKeptBeforeDefaultsReplaceIt) {
    const std::string bytes = "<root><settings><parameter name=\"RANGE\" value=\"20\"/></settings></root>";
    writeFile(path(), bytes);

    EXPECT_TRUE(gf_loadParameters(path()));

    EXPECT_EQ(readFile(appData_ / "parameters0.xml"), bytes);
    EXPECT_EQ(storedPairs().size(), 66u);
    EXPECT_TRUE(log_.contains(" not found, creating new with default values:"));
}

TEST_F(ParameterStore, OneSettingSaveOverAnUnreadableFileKeepsEveryValue) {
    firstStartFile();
    gf_loadParameters(path());
    RANGE.value = 25;
    PORT_NUMBER.value = "12345";
    writeFile(path(), "<root><parameters>");  // broken, say by another program

    MAX_FIT.value = 9;
    gf_saveIntParam(MAX_FIT, path());

    EXPECT_EQ(readFile(appData_ / "parameters0.xml"), "<root><parameters>");
    ASSERT_EQ(storedPairs().size(), 66u);
    EXPECT_EQ(storedValue("MAX_FIT"), "9");
    EXPECT_EQ(storedValue("RANGE"), "25");
    EXPECT_EQ(storedValue("PORT_NUMBER"), "12345");
}

TEST_F(ParameterStore, UnparsableFileIsSetAsideBeforeTheWindowOpens) {
    writeFile(path(), "<root><parameters><parameter name=");

    EXPECT_FALSE(gf_loadWindowPosition(path()));

    EXPECT_EQ(readFile(appData_ / "parameters0.xml"), "<root><parameters><parameter name=");
    EXPECT_FALSE(fs::exists(path()));
    const auto lines = log_.lines();
    EXPECT_TRUE(std::any_of(lines.begin(), lines.end(), [this](const std::string& line) {
        return line.starts_with("==> " + pathText(path()) + " failed to load (") &&
               line.ends_with("). Saved as 0.xml and removed.");
    }));
    EXPECT_EQ(MAIN_WINDOW_X.value, 400);

    EXPECT_NO_THROW(gf_initParameters(path()));
    EXPECT_EQ(storedPairs().size(), 66u);
    EXPECT_EQ(readFile(appData_ / "parameters0.xml"), "<root><parameters><parameter name=");
}

TEST_F(ParameterStore, WindowPositionIsReadClampedOrDefaulted) {
    EXPECT_FALSE(gf_loadWindowPosition(path()));  // no file: defaults, no monitor check
    writePairs({{"MAIN_WINDOW_X", "-40000"}});
    MAIN_WINDOW_Y.value = 77;

    EXPECT_TRUE(gf_loadWindowPosition(path()));

    EXPECT_EQ(MAIN_WINDOW_X.value, -30000);
    EXPECT_EQ(MAIN_WINDOW_Y.value, 20);
}

TEST_F(ParameterStore, VersionGate) {
    struct Case {
        const char* stored;
        VersionData program;
        bool tooOld;
        const char* storedAfter;
        const char* updateLine;  // nullptr: none
        bool newVersionFolderRemoved;
    };
    const Case cases[] = {
        {"11.0.1", {11, 0, 2}, true, "11.0.2", "This is a version update from 11.0.1 -> 11.0.2", false},
        {"11.0.2", {11, 1, 0}, false, "11.1.0", "This is a version update from 11.0.2 -> 11.1.0", true},
        {"11.0.2", {11, 0, 2}, false, "11.0.2", nullptr, false},
        {"12.0.0", {11, 0, 2}, false, "11.0.2", nullptr, false},
        {"", {11, 0, 2}, false, "11.0.2", nullptr, false},
        // A text that is no version is no version at all, never 0.0.0.
        {"11.0.2 ", {11, 0, 2}, false, "11.0.2", nullptr, false},
        {"11.1", {11, 0, 2}, false, "11.0.2", nullptr, false},
        {"11.0.3-beta", {11, 0, 2}, false, "11.0.2", nullptr, false},
        {"0.0.0", {11, 0, 2}, true, "11.0.2", "This is a version update from 0.0.0 -> 11.0.2", false},
    };
    const Pairs base = firstStartFile();
    for (const Case& c : cases) {
        SCOPED_TRACE(c.stored);
        testing_support::resetAllParameters();
        writePairs(replaced(base, "PROGRAM_VERSION", c.stored));
        fs::create_directories("new_version/sub");
        gf_loadParameters(path());
        const auto before = log_.lines().size();
        EXPECT_EQ(gf_checkVersionUpdate(path(), c.program), c.tooOld);
        EXPECT_EQ(PROGRAM_VERSION.value.get(), c.storedAfter);
        EXPECT_EQ(storedValue("PROGRAM_VERSION"), c.storedAfter);
        EXPECT_EQ(!fs::exists("new_version"), c.newVersionFolderRemoved);
        const auto lines = log_.lines();
        const std::vector<std::string> added(lines.begin() + static_cast<std::ptrdiff_t>(before), lines.end());
        const bool updateLogged = std::any_of(added.begin(), added.end(), [](const std::string& line) {
            return line.starts_with("This is a version update");
        });
        EXPECT_EQ(updateLogged, c.updateLine != nullptr);
        if (c.updateLine) {
            EXPECT_NE(std::find(added.begin(), added.end(), c.updateLine), added.end());
        }
    }
}

TEST_F(ParameterStore, TooOldFileIsReplacedByDefaultsWhileLoadedValuesStay) {
    writePairs(replaced(replaced(firstStartFile(), "PROGRAM_VERSION", "11.0.1"), "RANGE", "25"));

    gf_initParameters(path());

    EXPECT_EQ(RANGE.value, 25);
    EXPECT_EQ(storedValue("RANGE"), "40");
    EXPECT_EQ(storedValue("PROGRAM_VERSION"), kProgramVersionText);
    EXPECT_EQ(storedPairs().size(), 66u);
    // The user's file is kept whole as it was.
    const fs::path kept = path().parent_path() / "parameters0.xml";
    EXPECT_EQ(testing_support::storedParameterValue(kept, "RANGE"), "25");
    EXPECT_EQ(testing_support::storedParameterValue(kept, "PROGRAM_VERSION"), "11.0.1");
    EXPECT_TRUE(log_.contains("Your previous version was too old to convert the old text box parameters to the "
                              "newdropbox values."));
    EXPECT_TRUE(log_.contains("Velantra_P3D re-starts with default parameter values ..."));
}

TEST_F(ParameterStore, AStoredVersionThatIsNoVersionKeepsEverySetting) {
    for (const char* stored : {"11.0.2 ", "11.1", "11.0.3-beta"}) {
        SCOPED_TRACE(stored);
        testing_support::resetAllParameters();
        fs::remove(path().parent_path() / "parameters0.xml");
        writePairs(replaced(replaced(replaced(firstStartFile(), "PROGRAM_VERSION", stored), "RANGE", "25"),
                            "PORT_NUMBER", "12000"));

        gf_initParameters(path());

        EXPECT_EQ(storedValue("RANGE"), "25");
        EXPECT_EQ(storedValue("PORT_NUMBER"), "12000");
        EXPECT_EQ(storedValue("PROGRAM_VERSION"), g_programVersion.toString());
        EXPECT_FALSE(fs::exists(path().parent_path() / "parameters0.xml"));
    }
    EXPECT_FALSE(log_.contains("re-starts with default parameter values"));
}

TEST_F(ParameterStore, OneSettingWritersPersistTheCurrentValue) {
    firstStartFile();
    gf_loadParameters(path());
    recorder_.clear();

    gf_setStringParam(DESTINATION, "EHAM", path());
    HOLDING_THRESHOLD_METERS.value = 300;
    gf_saveIntParam(HOLDING_THRESHOLD_METERS, path());
    LIG_PRIORITIZE.value = false;
    gf_saveBoolParam(LIG_PRIORITIZE, path());
    BLOCK_CALLSIGN.value = "KLM123";
    gf_saveStringParam(BLOCK_CALLSIGN, path());
    gf_showParamText(BLOCK_CALLSIGN);

    EXPECT_EQ(DESTINATION.value.get(), "EHAM");
    EXPECT_EQ(storedValue("DESTINATION"), "EHAM");
    EXPECT_EQ(storedValue("HOLDING_THRESHOLD_METERS"), "300");
    EXPECT_EQ(storedValue("LIG_PRIORITIZE"), "false");
    EXPECT_EQ(storedValue("BLOCK_CALLSIGN"), "KLM123");
    EXPECT_EQ(storedPairs().size(), 66u);
    EXPECT_TRUE(log_.contains("DESTINATION=\"EHAM\""));
    EXPECT_EQ(recorder_.updates(), (std::vector<std::string>{"text BLOCK_CALLSIGN"}));
}

TEST_F(ParameterStore, FailedWholeFileSaveIsLogged) {
    const fs::path missing = appData_ / "no-such-folder" / "parameters.xml";
    gf_saveParameters(false, missing);
    EXPECT_TRUE(log_.contains("==> saving: " + pathText(missing) + " failed"));
    EXPECT_TRUE(log_.contains(kClosingBanner));
    EXPECT_FALSE(fs::exists(missing.parent_path()));
}

// A settings folder the program cannot write to (made read-only, a full
// disk): each save that edits the file in place says so, and the file keeps
// what it held.
TEST_F(ParameterStore, FailedSavesInPlaceAreLoggedAndLeaveTheFile) {
    struct Case {
        const char* name;
        std::function<void(const fs::path&)> save;
    };
    const std::vector<Case> cases = {
        {"one setting", [](const fs::path& file) {
             RANGE.value = 77;
             gf_saveIntParam(RANGE, file);
         }},
        {"a typed text", [](const fs::path& file) { gf_setStringParam(DESTINATION, "EHAM", file); }},
        {"a key missing at load", [](const fs::path& file) { gf_loadParameters(file); }},
    };
#ifdef _WIN32
    GTEST_SKIP() << "a whole path is limited there, so the file itself would not load";
#endif
    // A name as long as a folder entry may be: the file loads, while its
    // temporary sibling, whose name is longer, cannot be created.
    const fs::path file = path().parent_path() / (std::string(245, 'p') + ".xml");
    const std::string failed = "==> saving: " + pathText(file) + " failed";
    const Pairs stored = without(firstStartFile(), "MAX_FIT");
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        writePairs(stored);
        fs::copy_file(path(), file, fs::copy_options::overwrite_existing);
        const std::string before = readFile(file);
        const auto failures = [&] {
            return std::ranges::count_if(log_.lines(),
                                         [&](const std::string& line) { return line.find(failed) != std::string::npos; });
        };
        const auto failuresBefore = failures();

        c.save(file);

        EXPECT_EQ(failures(), failuresBefore + 1);
        EXPECT_EQ(readFile(file), before);
    }
}

TEST_F(ParameterStore, ParameterLinesAreNotLoggedWhileStopping) {
    firstStartFile();
    gf_connectFoundation();  // the log asks the run flags
    g_stopRequested = true;
    MAX_FIT.value = 11;
    gf_saveIntParam(MAX_FIT, path());
    gf_loadParameters(path());
    g_stopRequested = false;

    EXPECT_EQ(storedValue("MAX_FIT"), "11");
    EXPECT_FALSE(log_.contains("MAX_FIT=11"));
    EXPECT_TRUE(log_.contains(kOpeningBanner));
}

TEST_F(ParameterStore, ApplyChangedParamsPutsTheUsersValuesBack) {
    firstStartFile();
    gf_loadParameters(path());
    RANGE.value = 25;
    gf_backupGlobalSettings();
    // The park airport's file brings its own values.
    MAX_LIVE_SEL.value = 50;
    MAX_FIT.value = 20;
    RANGE.value = 10;
    parking_percentage.value = 60;
    AUTO_RANGE.value = false;
    INITIAL_LOAD_ONLY.value = true;
    PARK_SOFT.value = false;  // unchanged
    WEEK.value = true;
    gf_backupGlobalSettings();  // a second read keeps the user's values
    recorder_.clear();

    gf_applyChangedParams(path());

    EXPECT_EQ(MAX_LIVE_SEL.value, 500);
    EXPECT_EQ(MAX_FIT.value, 47);
    EXPECT_EQ(RANGE.value, 25);
    EXPECT_EQ(g_rangeNm, 25.0);
    EXPECT_EQ(g_rangeMeters, 46300);
    EXPECT_EQ(parking_percentage.value, 30);
    EXPECT_TRUE(AUTO_RANGE.value);
    EXPECT_FALSE(INITIAL_LOAD_ONLY.value);
    EXPECT_FALSE(WEEK.value);
    EXPECT_EQ(storedValue("MAX_LIVE_SEL"), "500");
    EXPECT_EQ(storedValue("MAX_FIT"), "47");
    EXPECT_EQ(storedValue("RANGE"), "25");
    EXPECT_EQ(storedValue("parking_percentage"), "30");  // written, though never loaded
    EXPECT_EQ(storedValue("AUTO_RANGE"), "true");
    EXPECT_EQ(storedValue("WEEK"), "false");
    EXPECT_EQ(recorder_.updates(),
              (std::vector<std::string>{"choice MAX_LIVE_SEL", "maxfit", "radius 25", "choice parking_percentage",
                                        "check AUTO_RANGE 1", "enable RANGE 0", "enable AR_ABOVE_HEIGHT 1",
                                        "check INITIAL_LOAD_ONLY 0", "check WEEK 0"}));

    // Nothing more to put back: a second call changes nothing.
    recorder_.clear();
    RANGE.value = 10;
    gf_applyChangedParams(path());
    EXPECT_EQ(RANGE.value, 10);
    EXPECT_TRUE(recorder_.updates().empty());
}

TEST_F(ParameterStore, ApplyChangedParamsWithoutBackupDoesNothing) {
    firstStartFile();
    const std::string bytes = readFile(path());
    RANGE.value = 10;

    gf_applyChangedParams(path());

    EXPECT_EQ(RANGE.value, 10);
    EXPECT_EQ(readFile(path()), bytes);
    EXPECT_TRUE(recorder_.updates().empty());
}

TEST_F(ParameterStore, TwoThreadsSavingDifferentKeysKeepBothValues) {
    firstStartFile();
    gf_loadParameters(path());
    std::thread window([this] {
        for (int i = 1; i <= 100; ++i) {
            HOLDING_THRESHOLD_METERS.value = 100 + i;
            gf_saveIntParam(HOLDING_THRESHOLD_METERS, path());
        }
    });
    std::thread traffic([this] {
        for (int i = 1; i <= 100; ++i) {
            gf_setStringParam(DESTINATION, "E" + std::to_string(i), path());
        }
    });
    window.join();
    traffic.join();

    EXPECT_EQ(storedValue("HOLDING_THRESHOLD_METERS"), "200");
    EXPECT_EQ(storedValue("DESTINATION"), "E100");
    EXPECT_EQ(storedPairs().size(), 66u);
}

TEST_F(ParameterStore, WorksInAFolderWithNonAsciiLetters) {
    const fs::path folder = appData_ / gf_utf8Path("Jos\xC3\xA9 \xC3\x9Cml\xC3\xA4ut \xE6\x97\xA5\xE6\x9C\xAC");
    fs::create_directories(folder);
    const fs::path file = folder / "parameters.xml";

    gf_initParameters(file);
    EXPECT_TRUE(fs::exists(file));
    testing_support::resetAllParameters();
    RANGE.value = 12;
    gf_saveIntParam(RANGE, file);
    testing_support::resetAllParameters();
    EXPECT_TRUE(gf_loadWindowPosition(file));

    EXPECT_FALSE(gf_loadParameters(file));
    EXPECT_EQ(RANGE.value, 12);
    EXPECT_TRUE(log_.contains("from '" + pathText(file) + "'"));
    EXPECT_TRUE(log_.contains("Jos\xC3\xA9 \xC3\x9Cml\xC3\xA4ut \xE6\x97\xA5\xE6\x9C\xAC"));
}
