#include "app/services/shell_folders.h"

#include <system_error>
#include <vector>

#include "platform/folders.h"
#include "platform/shell.h"

namespace fs = std::filesystem;

namespace {
// The path's components without empty ones (a trailing separator gives one).
std::vector<std::u16string> componentsOf(const fs::path& path) {
    std::vector<std::u16string> parts;
    for (const fs::path& part : path.lexically_normal())
        if (!part.empty()) parts.push_back(part.u16string());
    return parts;
}

char16_t foldAscii(char16_t c) { return c >= u'A' && c <= u'Z' ? static_cast<char16_t>(c - u'A' + u'a') : c; }

bool sameIgnoringCase(const std::u16string& a, const std::u16string& b) {
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i)
        if (foldAscii(a[i]) != foldAscii(b[i])) return false;
    return true;
}
}  // namespace

bool gf_openFolderOf(const fs::path& file) {
    std::error_code error;
    const fs::path absolute = fs::absolute(file, error);
    if (error || !fs::exists(absolute, error) || !absolute.has_relative_path()) return false;
    return platform::openFolderInShell(absolute.parent_path());
}

std::string lf_installRightsText(bool protectedFolder, bool writable, bool elevated) {
    return protectedFolder && !writable && !elevated ? kRunInstallerAsAdministrator : kRunInstallerNormally;
}

bool lf_isInsideFolder(const fs::path& folder, const fs::path& parent) {
    const std::vector<std::u16string> inner = componentsOf(folder);
    const std::vector<std::u16string> outer = componentsOf(parent);
    if (outer.empty() || outer.size() > inner.size()) return false;
    for (std::size_t i = 0; i < outer.size(); ++i)
        if (!sameIgnoringCase(inner[i], outer[i])) return false;
    return true;
}

std::string gf_checkInstallRights(const fs::path& installFolder) {
    const bool protectedFolder = lf_isInsideFolder(installFolder, platform::programFilesFolder()) ||
                                 lf_isInsideFolder(installFolder, platform::programFilesX86Folder());
    const bool writable = platform::tryWriteTestFile(installFolder / ".write_test.tmp");
    return lf_installRightsText(protectedFolder, writable, platform::isProcessElevated());
}
