#include "foundation/backups.h"

#include <fmt/format.h>

#include <system_error>

#include "foundation/log.h"
#include "foundation/text_convert.h"
#include "platform/files.h"

namespace fs = std::filesystem;

namespace {
constexpr std::string_view kBackupMark = "0";

std::string displayName(const fs::path& path) {
    return gf_wideToUtf8(path.u16string());
}
}  // namespace

std::optional<fs::path> gf_generationName(const fs::path& path, int generation) {
    std::string name = gf_pathToUtf8(path.filename());
    const auto dot = name.rfind('.');
    if (dot == std::string::npos) return std::nullopt;
    std::string marks;
    for (int i = 0; i < generation; ++i) marks += kBackupMark;
    name.insert(dot, marks);
    return path.parent_path() / gf_utf8Path(name);
}

void lf_copyGeneration(const fs::path& source, const fs::path& target) {
    std::error_code ec;
    if (!fs::exists(source, ec)) return;
    if (!platform::copyFileOverwrite(source, target, ec))
        gf_logMarked(fmt::format("copy {} -> {} failed: {}", displayName(source), displayName(target),
                                 ec.message()));
}

void gf_saveUpto3GenerationsOf(const fs::path& path) {
    const auto first = gf_generationName(path, 1);
    if (!first) {
        gf_logMarked(fmt::format("gf_saveUpto3GenerationsOf: no dot in filename: {}", displayName(path)));
        return;
    }
    const auto second = gf_generationName(path, 2);
    const auto third = gf_generationName(path, 3);
    lf_copyGeneration(*second, *third);
    lf_copyGeneration(*first, *second);
    lf_copyGeneration(path, *first);
}

bool gf_save1GenerationOf(const fs::path& path) {
    const auto first = gf_generationName(path, 1);
    if (!first) {
        gf_logMarked(fmt::format("gf_save1GenerationOf: no dot in filename: {}", displayName(path)));
        return false;
    }
    std::error_code ec;
    const bool present = fs::exists(path, ec);
    if (ec) {
        gf_logMarked(fmt::format("exists({}): {}", displayName(path), ec.message()));
        return false;
    }
    if (!present) return true;
    if (!platform::copyFileOverwrite(path, *first, ec)) {
        gf_logMarked(fmt::format("copy {} -> {} failed: {}", displayName(path), displayName(*first),
                                 ec.message()));
        return false;
    }
    return true;
}
