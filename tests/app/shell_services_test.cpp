// The installer-rights message of a new version, and opening a file's folder.
#include "app/services/shell_services.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "platform/shell.h"
#include "support/temp_dir.h"

namespace fs = std::filesystem;

TEST(InstallRights, AdministratorOnlyForAProtectedFolderThatCannotBeWrittenWithoutElevation) {
#ifdef _WIN32
    const fs::path programFiles = "C:\\Program Files";
    const fs::path programFilesX86 = "C:\\Program Files (x86)";
#else
    const fs::path programFiles = "/opt/Program Files";
    const fs::path programFilesX86 = "/opt/Program Files (x86)";
#endif
    const struct {
        const char* name;
        fs::path folder;
        bool writable, elevated;
        const char* text;
    } cases[] = {
        {"protected, read-only, not elevated", programFiles / "Velantra_P3D", false, false, kInstallNeedsAdmin},
        {"the other protected folder", programFilesX86 / "Velantra_P3D", false, false, kInstallNeedsAdmin},
        {"letter case ignored", fs::path(programFiles.string().replace(programFiles.string().size() - 5, 5, "FILES")) / "V",
         false, false, kInstallNeedsAdmin},
        {"protected but writable", programFiles / "Velantra_P3D", true, false, kInstallNormally},
        {"protected, elevated", programFiles / "Velantra_P3D", false, true, kInstallNormally},
        {"a name that only begins alike", fs::path(programFiles.string() + " Extra") / "V", false, false,
         kInstallNormally},
        {"elsewhere", programFiles.parent_path() / "Games" / "V", false, false, kInstallNormally},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const InstallRightsProbes probes{{programFiles, programFilesX86},
                                         [&](const fs::path& folder) {
                                             EXPECT_EQ(folder, c.folder);
                                             return c.writable;
                                         },
                                         [&] { return c.elevated; }};
        EXPECT_EQ(gf_installRightsText(c.folder, probes), c.text);
    }
}

TEST(InstallRights, TheWriteTestLeavesNothingBehind) {
    testing_support::TempDir folder;
    EXPECT_TRUE(platform::canWriteInFolder(folder.path()));
    EXPECT_TRUE(fs::is_empty(folder.path()));
    EXPECT_FALSE(platform::canWriteInFolder(folder / "missing"));
    EXPECT_EQ(gf_checkInstallRights(folder.path()), kInstallNormally);
}

TEST(OpenFolder, OnlyAnExistingPathWithAParent) {
    testing_support::TempDir folder;
    EXPECT_FALSE(gf_openFolderOf(folder / "missing.zip"));
    EXPECT_FALSE(gf_openFolderOf(""));
}
