#include "support/update_site.h"

#include <fmt/format.h>

#include <stdexcept>

#include "foundation/version.h"
#include "foundation/zip_archive.h"
#include "support/temp_dir.h"

namespace testing_support {

std::string versionsJsonOf(const std::vector<std::pair<std::string, std::string>>& items) {
    std::string json = "{";
    for (const auto& [item, text] : items) {
        const VersionData version{std::string_view(text)};
        if (version.toString() != text) throw std::invalid_argument("versionsJsonOf: not a version: " + text);
        json += fmt::format("{}\n  \"{}\": {{\"major\": {}, \"minor\": {}, \"patch\": {}}}", json.size() > 1 ? "," : "",
                            item, version.major, version.minor, version.patch);
    }
    return json + "\n}\n";
}

std::string zipBytesOf(const std::vector<std::pair<std::string, std::string>>& entries) {
    if (entries.empty()) return std::string("PK\x05\x06", 4) + std::string(18, '\0');
    const TempDir dir;
    const std::filesystem::path path = dir / "archive.zip";
    ZipArchive archive(path, ZipMode::New);
    for (const auto& [name, content] : entries) archive.addData(name, content);
    archive.close();
    return readFile(path);
}

}  // namespace testing_support
