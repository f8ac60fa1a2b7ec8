#include "updater/new_version.h"

#include <fmt/format.h>

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <optional>
#include <stdexcept>
#include <string>
#include <system_error>

#include "app/services/run_flags.h"
#include "app/services/shell_services.h"
#include "app/services/status_line.h"
#include "foundation/download_site.h"
#include "foundation/downloader.h"
#include "foundation/file_helpers.h"
#include "foundation/log.h"
#include "foundation/text_convert.h"
#include "foundation/text_files.h"
#include "foundation/user_error.h"
#include "foundation/zip_archive.h"
#include "platform/message_box.h"
#include "settings/file_names.h"
#include "settings/program_version.h"

namespace fs = std::filesystem;

namespace {
std::string utf8(const fs::path& path) { return gf_pathToUtf8(path); }

bool download(const std::string& url, const fs::path& target) {
    const CurlHandle handle = gf_makeCurlHandle();
    return Downloader(handle.get()).download(url, target, true);
}

// A failed download or archive: nothing of it may be taken for an installer.
bool lf_abandonNewProgram(const fs::path& archivePath, const fs::path& installer) {
    gf_removeFileIfExists(installer);
    gf_removeFileIfExists(archivePath);
    return false;
}

// Writes every entry of the archive to the installer file, in the archive's
// order (the archive holds the installer as its one entry). False when the
// archive cannot be opened or an entry cannot be read whole.
bool lf_unzipInstaller(const fs::path& archivePath, const fs::path& installer) {
    std::optional<ZipArchive> archive;
    try {
        archive.emplace(archivePath, ZipMode::ReadOnly);
    } catch (const std::runtime_error& e) {
        gf_logMarked(fmt::format("Could not open {}", utf8(archivePath)));
        gf_logContinued(e.what());
        return false;
    }
    for (const ZipEntry& entry : archive->entries()) {
        std::error_code error;
        fs::remove(installer, error);
        if (error) gf_logMarked(fmt::format("Warning: could not remove old installer: {}", error.message()));
        std::ofstream out(installer, std::ios::binary | std::ios::trunc);
        if (!out) {
            gf_logMarked(fmt::format("Could not create output file {}", utf8(installer)));
            continue;
        }
        int code = archive->readContent(entry, out);
        out.close();
        if (code == 0 && out.fail()) code = ZipArchive::kWriteError;
        if (code != 0) {
            gf_logMarked(fmt::format("Unzipping error code: {}", code));
            gf_logContinued(ZipArchive::errorText(code));
            return false;
        }
        gf_log(fmt::format("{} unzipped to {}", utf8(archivePath), utf8(installer)));
    }
    return true;
}

// Moves the installer into the folder through "<name>.part", checking that
// the size survives the rename.
bool lf_moveInstaller(const fs::path& installer, const fs::path& folder) {
    const fs::path name = installer.filename();
    fs::path part = folder / name;
    part += ".part";
    const fs::path final = folder / name;
    std::error_code ignored;
    fs::remove(part, ignored);
    fs::remove(final, ignored);

    std::error_code error;
    const std::uintmax_t size1 = fs::file_size(installer, error);
    if (error) {
        gf_log(fmt::format("file_size({}) failed: {}", utf8(installer), error.message()));
        return false;
    }
    fs::rename(installer, part, error);
    if (error) {
        gf_log(fmt::format("could not rename {} => {}: {}", utf8(installer), utf8(part), error.message()));
        return false;
    }
    const std::uintmax_t size2 = fs::file_size(part, error);
    if (error) {
        gf_log(fmt::format("file_size({}) failed: {}", utf8(part), error.message()));
        return false;
    }
    if (size2 != size1) {
        gf_log(fmt::format("rename {} => {} suspicious: size {} != {}", utf8(installer), utf8(part), size1, size2));
        return false;
    }
    fs::rename(part, final, error);
    if (error) {
        gf_log(fmt::format("could not finalize rename {} => {}: {}", utf8(part), utf8(final), error.message()));
        return false;
    }
    fs::remove(installer, error);
    if (error) gf_logMarked(fmt::format("Warning: could not remove extracted: {}", error.message()));
    return true;
}
}  // namespace

bool lf_downloadNewProgram(const VersionData& webVersion) {
    const fs::path archivePath = kReleaseArchiveName;
    const fs::path installer = g_installerName;
    const fs::path folder = g_newVersionFolder;
    // An installer left by an earlier attempt must never pass for this one.
    gf_removeFileIfExists(installer);

    const std::string url = fmt::format("{}{}/{}", gf_releaseBaseUrl(), kProgramName, kReleaseArchiveName);
    if (!download(url, archivePath)) {
        gf_setStatus(fmt::format("Downloading program installer file version {} failed", webVersion.toString()), true);
        return lf_abandonNewProgram(archivePath, installer);
    }
    gf_log(fmt::format("Downloaded {}", utf8(archivePath)));
    if (!lf_unzipInstaller(archivePath, installer)) return lf_abandonNewProgram(archivePath, installer);

    if (!fs::is_directory(folder)) fs::create_directory(folder);
    std::error_code error;
    fs::remove(archivePath, error);
    if (error) gf_logMarked(fmt::format("Warning: could not remove downloaded zip: {}", error.message()));
    if (!fs::exists(installer)) {
        gf_logMarked(fmt::format("{} does not exists?", utf8(installer)));
        return false;
    }
    return lf_moveInstaller(installer, folder);
}

bool lf_prepareNewVersion(const VersionData& webVersion) {
    if (!lf_downloadNewProgram(webVersion))
        throw vlt::UserErrorException(
            112, "The downloading/unzipping of the new version failed? Try manually via the Trelvon website");
    const fs::path folder = g_newVersionFolder;
    if (!download(gf_docsBaseUrl() + g_releaseNotesName, folder / g_releaseNotesName))
        gf_logMarked(fmt::format("could not download {} to {}", g_releaseNotesName, utf8(folder)));

    const std::string rights = gf_checkInstallRights(fs::current_path());
    gf_logAndFlush(rights);
    if (!gf_writeTextFile(rights, folder / kReadmeName))
        gf_logMarked(fmt::format("could not write {}", utf8(folder / kReadmeName)));

    if (gf_openFolderOf(fs::current_path() / folder / g_installerName)) {
        gf_flushLog();
    } else {
        platform::showWarning(kMessageBoxTitle, "Could not open File Explorer at new version");
        gf_setStatus("Opening file explorer at the new version failed? Try manually via the Trelvon website.", true);
    }
    gf_requestStop(ExitReason::NewVersion, 0);
    return false;
}
