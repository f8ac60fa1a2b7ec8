// A process killed while it saves settings must leave a parameters.xml that
// still loads. The test runs this program again as a child that saves in a
// tight loop, and kills it at some moment of the loop.
#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <thread>

#include <pugixml.hpp>

#include "foundation/text_convert.h"
#include "settings/parameter_store.h"
#include "settings/settings.h"
#include "settings/xml_params.h"
#include "support/child_process.h"
#include "support/store_fixture.h"
#include "support/temp_dir.h"

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

namespace {
constexpr const char* kChildVariable = "VLNT_STORE_SAVE_LOOP_FILE";

// The count of saves the child has made, read from the file as it stands;
// -1 while the file cannot be read (the child may be replacing it).
std::int64_t savesSoFar(const fs::path& path) {
    pugi::xml_document doc;
    if (!doc.load_file(path.c_str())) return -1;
    return gf_readXmlIntParam(doc, LAST_EPOCH_TIME.key).value_or(-1);
}
}  // namespace

// Run only as the child (disabled tests run only when asked for): saves one
// setting, and every tenth time the whole file, until killed, or for at most
// a minute should the parent be gone.
TEST(ParameterStoreCrash, DISABLED_SaveLoopChild) {
    const char* file = std::getenv(kChildVariable);
    if (file == nullptr) GTEST_SKIP() << "runs only as the child of KilledSaveLoopLeavesALoadableFile";
    const fs::path path = gf_utf8Path(file);
    const auto end = Clock::now() + std::chrono::minutes(1);
    for (std::int32_t i = 1; Clock::now() < end; ++i) {
        LAST_EPOCH_TIME.value = i;
        DESTINATION.value = "SAVE" + std::to_string(i);
        if (i % 10 == 0)
            gf_saveParameters(false, path);
        else
            gf_saveIntParam(LAST_EPOCH_TIME, path);
    }
}

TEST(ParameterStoreCrash, KilledSaveLoopLeavesALoadableFile) {
    testing_support::resetAllParameters();
    testing_support::TempDir folder;
    const fs::path path = folder / "parameters.xml";
    for (int round = 1; round <= 5; ++round) {
        SCOPED_TRACE(round);
        gf_saveParameters(true, path);  // LAST_EPOCH_TIME: 0
        testing_support::ChildProcess child(
            {"--gtest_filter=ParameterStoreCrash.DISABLED_SaveLoopChild", "--gtest_also_run_disabled_tests"},
            kChildVariable, gf_wideToUtf8(path.u16string()));
        // Wait until the child is well into its loop, then kill it a few
        // milliseconds later, at whatever point of a save it then is.
        const auto deadline = Clock::now() + std::chrono::seconds(60);
        while (savesSoFar(path) < 20 && Clock::now() < deadline)
            std::this_thread::sleep_for(std::chrono::milliseconds(2));
        std::this_thread::sleep_for(std::chrono::milliseconds(3 * round));
        child.kill();
        ASSERT_LT(Clock::now(), deadline) << "the child never saved";

        pugi::xml_document doc;
        ASSERT_TRUE(doc.load_file(path.c_str()));
        EXPECT_EQ(std::distance(gf_parametersNode(doc).children("parameter").begin(),
                                gf_parametersNode(doc).children("parameter").end()),
                  66);
        testing_support::resetAllParameters();
        EXPECT_FALSE(gf_loadParameters(path)) << "the store had to create the file anew";
        EXPECT_GT(LAST_EPOCH_TIME.value, 0);
    }
    testing_support::resetAllParameters();
}
