#include <gtest/gtest.h>

#include <filesystem>

#include "foundation/text_convert.h"
#include "platform/files.h"
#include "support/temp_dir.h"

namespace fs = std::filesystem;

// A file whose name the ANSI code page cannot hold still has a short name
// of plain characters on Windows, naming the same file; elsewhere there is none.
TEST(ShortPath, NamesTheSameFileInPlainCharacters) {
    testing_support::TempDir dir;
    const fs::path file = dir.path() / gf_utf8Path("Ωμέγα flight plan.pln");
    testing_support::writeFile(file, "x");
    const fs::path shortForm = platform::shortPathName(file);
#ifdef _WIN32
    ASSERT_FALSE(shortForm.empty());
    EXPECT_TRUE(fs::equivalent(shortForm, file));
    EXPECT_TRUE(gf_utf8ToAnsi(gf_pathToUtf8(shortForm.filename())).has_value());
#else
    EXPECT_TRUE(shortForm.empty());
#endif
    EXPECT_TRUE(platform::shortPathName(dir.path() / "missing.pln").empty());
}
