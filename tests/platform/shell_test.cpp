// The file explorer, the write test and the process rights through the real
// system calls (under Wine for the Windows build).
#include "platform/shell.h"

#include <gtest/gtest.h>

#include "platform/folders.h"
#include "support/explorer_windows.h"
#include "support/temp_dir.h"

namespace fs = std::filesystem;
using testing_support::TempDir;

TEST(Shell, WriteTestFileIsWrittenAndGoneAfterwards) {
    TempDir dir;
    EXPECT_TRUE(platform::tryWriteTestFile(dir / ".write_test.tmp"));
    EXPECT_FALSE(fs::exists(dir / ".write_test.tmp"));
    EXPECT_TRUE(fs::is_empty(dir.path()));
    EXPECT_FALSE(platform::tryWriteTestFile(dir / "no-such-folder" / ".write_test.tmp"));
}

TEST(Shell, OpeningAFolderInTheExplorer) {
    TempDir dir;
    EXPECT_TRUE(platform::openFolderInShell(dir.path()));
    EXPECT_FALSE(platform::openFolderInShell(dir / "no-such-folder"));
#ifdef _WIN32
    EXPECT_EQ(testing_support::endExplorersStartedHere(), 1) << "one explorer window for the one folder";
#endif
}

#ifdef _WIN32
TEST(Shell, ProgramFilesFoldersComeFromTheShell) {
    const fs::path native = platform::programFilesFolder();
    const fs::path x86 = platform::programFilesX86Folder();
    EXPECT_EQ(native.filename(), fs::path(L"Program Files"));
    EXPECT_EQ(x86.filename(), fs::path(L"Program Files (x86)"));
    EXPECT_TRUE(fs::is_directory(native));
}
#endif
