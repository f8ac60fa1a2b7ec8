#include "app/services/shell_services.h"

#include <algorithm>
#include <system_error>

#include "foundation/strings.h"
#include "foundation/text_convert.h"
#include "platform/message_box.h"
#include "platform/shell.h"

namespace fs = std::filesystem;

namespace {
std::string upperComponent(const fs::path& part) {
    std::string text = gf_pathToUtf8(part);
    gf_toUpper(text);
    return text;
}

// The folder lies in (or is) the protected folder, comparing whole path
// components without regard to letter case.
bool isWithin(const fs::path& folder, const fs::path& protectedFolder) {
    if (protectedFolder.empty()) return false;
    auto inner = folder.begin();
    for (const fs::path& part : protectedFolder) {
        if (part.empty()) continue;  // a trailing separator
        while (inner != folder.end() && inner->empty()) ++inner;
        if (inner == folder.end() || upperComponent(*inner) != upperComponent(part)) return false;
        ++inner;
    }
    return true;
}

bool warnUnless(bool opened, const char* text) {
    if (!opened) platform::showWarning(kMessageBoxTitle, text);
    return opened;
}
}  // namespace

bool gf_openFolderOf(const fs::path& path) {
    std::error_code ec;
    if (!fs::exists(path, ec) || !path.has_parent_path()) return false;
    return platform::openFolder(path.parent_path());
}

bool gf_openParametersFolder(const fs::path& parametersPath) {
    return warnUnless(gf_openFolderOf(parametersPath), "Could not open folder with parameters.xml");
}

bool gf_openManual() {
    return warnUnless(gf_openFolderOf(fs::current_path() / g_docsFolderName / "Manual.pdf"),
                      "Could not open local folder with Manual");
}

std::string gf_installRightsText(const fs::path& installFolder, const InstallRightsProbes& probes) {
    const bool inProtected = std::any_of(probes.protectedFolders.begin(), probes.protectedFolders.end(),
                                         [&](const fs::path& p) { return isWithin(installFolder, p); });
    if (inProtected && !probes.writable(installFolder) && !probes.elevated()) return kInstallNeedsAdmin;
    return kInstallNormally;
}

std::string gf_checkInstallRights(const fs::path& installFolder) {
    return gf_installRightsText(installFolder, InstallRightsProbes{platform::protectedProgramFolders(),
                                                                   platform::canWriteInFolder,
                                                                   platform::processElevated});
}
