#include "app/services/shell_folders.h"

#include <gtest/gtest.h>

#include "platform/folders.h"
#include "support/environment.h"
#include "support/explorer_windows.h"
#include "support/temp_dir.h"

namespace fs = std::filesystem;
using testing_support::TempDir;
using testing_support::writeFile;

TEST(InstallRights, OnlyAnUnwritableProtectedFolderWithoutElevationNeedsTheAdministrator) {
    for (int bits = 0; bits < 8; ++bits) {
        const bool protectedFolder = (bits & 1) != 0, writable = (bits & 2) != 0, elevated = (bits & 4) != 0;
        const std::string expected =
            bits == 1 ? "A new version is available. Run the installer as Administrator"
                      : "A new version is available.\nThe installer can be executed normally (no Administrator rights required).";
        EXPECT_EQ(lf_installRightsText(protectedFolder, writable, elevated), expected) << bits;
    }
}

TEST(InstallRights, AFolderIsInsideWhenItsLeadingComponentsMatchIgnoringCase) {
    const struct {
        const char* folder;
        const char* parent;
        bool inside;
    } cases[] = {
        {"C:/Program Files/Velantra_P3D", "C:/Program Files", true},
        {"c:/PROGRAM FILES/Velantra_P3D", "C:/Program Files", true},
        {"C:/Program Files", "C:/Program Files/", true},
        {"C:/Program Files/Velantra_P3D/", "C:/Program Files", true},
        {"C:/Program Files (x86)/Velantra_P3D", "C:/Program Files", false},
        {"C:/Program Filesx/Velantra_P3D", "C:/Program Files", false},
        {"C:/Program Files/../Games/Velantra_P3D", "C:/Program Files", false},
        {"D:/Program Files/Velantra_P3D", "C:/Program Files", false},
        {"C:/Program", "C:/Program Files", false},
        {"C:/Games/Velantra_P3D", "", false},
    };
    for (const auto& c : cases) EXPECT_EQ(lf_isInsideFolder(c.folder, c.parent), c.inside) << c.folder << " in " << c.parent;
}

TEST(InstallRights, TheWriteTestLeavesNothingBehind) {
    TempDir programFiles;
    fs::create_directory(programFiles / "Velantra_P3D");
#ifndef _WIN32
    const testing_support::ScopedEnvironment variable("ProgramFiles", programFiles.path().string());
#endif
    EXPECT_EQ(gf_checkInstallRights(programFiles / "Velantra_P3D"), kRunInstallerNormally);
    EXPECT_TRUE(fs::is_empty(programFiles / "Velantra_P3D"));
#ifdef _WIN32
    // A program installed below the real Program Files folder, which is
    // protected: writable here, so it is installed normally.
    const fs::path installed = platform::programFilesFolder() / "Velantra_P3D test";
    fs::create_directories(installed);
    EXPECT_EQ(gf_checkInstallRights(installed), kRunInstallerNormally);
    EXPECT_TRUE(fs::is_empty(installed));
    fs::remove(installed);
#endif
}

TEST(OpenFolderOf, OpensTheFolderOfAnExistingFileOnly) {
    TempDir dir(true);
    fs::create_directory("new_version");
    writeFile("new_version/install_new_version.exe", "MZ");
    ::testing::internal::CaptureStdout();
    EXPECT_TRUE(gf_openFolderOf("new_version/install_new_version.exe"));
    EXPECT_FALSE(gf_openFolderOf("new_version/missing.exe"));
    EXPECT_FALSE(gf_openFolderOf("missing/install_new_version.exe"));
    const std::string printed = ::testing::internal::GetCapturedStdout();
#ifdef _WIN32
    EXPECT_EQ(testing_support::endExplorersStartedHere(), 1);
#else
    // The stand-in for the explorer names the absolute folder, once.
    EXPECT_EQ(printed, "open folder: " + (dir / "new_version").string() + "\n");
#endif
}
