#include "airports/airport_files.h"

#include <fmt/format.h>

#include <algorithm>
#include <cctype>
#include <optional>
#include <vector>

#include "airports/airport_services.h"
#include "airports/state.h"
#include "foundation/download_site.h"
#include "foundation/downloader.h"
#include "foundation/log.h"
#include "foundation/text_convert.h"
#include "foundation/text_files.h"
#include "settings/file_names.h"

namespace fs = std::filesystem;

namespace {
constexpr std::string_view kXmlExtension = ".xml";
constexpr std::string_view kArchiveStock = "archive\\stock\\";
constexpr std::string_view kArchiveSimaddon = "archive\\simaddon\\";
constexpr std::string_view kArchiveThirdparty = "archive\\thirdparty\\";
constexpr std::string_view kAirportsPrefix = "airports\\";
constexpr std::string_view kLocalPrefix = "airports";

std::string lowered(std::string_view text) {
    std::string copy(text);
    std::transform(copy.begin(), copy.end(), copy.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return copy;
}

std::vector<std::string_view> pieces(std::string_view text) {
    std::vector<std::string_view> parts;
    std::size_t start = 0;
    for (std::size_t at = text.find('\\'); at != std::string_view::npos; at = text.find('\\', start)) {
        parts.push_back(text.substr(start, at - start));
        start = at + 1;
    }
    parts.push_back(text.substr(start));
    return parts;
}

// A folder or file name that stays where it is joined: not empty, not made
// of dots and blanks alone (Windows drops trailing dots and blanks, so ". ."
// would become ".."), and without a separator or a drive's colon.
bool isPlainName(std::string_view piece) {
    return piece.find_first_not_of(". ") != std::string_view::npos &&
           piece.find_first_of(":/\\") == std::string_view::npos;
}

// The folder joined with backslash-separated pieces; none when a piece is
// empty, "." or ".." or could name a drive.
std::optional<fs::path> joined(fs::path folder, std::string_view relative) {
    for (const std::string_view piece : pieces(relative)) {
        if (!isPlainName(piece)) return std::nullopt;
        folder /= gf_utf8Path(piece);
    }
    return folder;
}

fs::path orEmpty(const std::optional<fs::path>& path) { return path.value_or(fs::path()); }

std::string_view fileNameOf(std::string_view text) {
    const auto at = text.rfind('\\');
    return at == std::string_view::npos ? text : text.substr(at + 1);
}

bool hasXmlExtension(std::string_view text) {
    const std::string_view name = fileNameOf(text);
    const auto dot = name.rfind('.');
    return dot != std::string_view::npos && lowered(name.substr(dot)) == kXmlExtension;
}

void replaceAll(std::string& text, std::string_view from, std::string_view to) {
    for (auto at = text.find(from); at != std::string::npos; at = text.find(from, at + to.size()))
        text.replace(at, from.size(), to);
}

fs::path underThirdparty(const std::string& publisherFolder, std::string_view fileName) {
    if (publisherFolder.empty()) return {};
    return orEmpty(joined(g_learnedFolder / "thirdparty" / gf_utf8Path(publisherFolder), fileName));
}

// The add-on folder of a scenery file, as the scan wrote its path (either
// separator): the folder that holds the file, or the one above when that is
// named "scenery"; "" when the path names none.
std::string addonFolderOf(std::string_view bglPath) {
    std::string text(bglPath);
    std::replace(text.begin(), text.end(), '/', '\\');
    std::vector<std::string_view> folders = pieces(text);
    folders.pop_back();  // the file's name
    if (!folders.empty() && lowered(folders.back()) == "scenery") folders.pop_back();
    return folders.empty() ? std::string() : std::string(folders.back());
}

bool existsQuietly(const fs::path& path) {
    std::error_code error;
    return fs::exists(path, error);
}
}  // namespace

std::string gf_airportFileName(const AirportCode& code) { return code.text() + std::string(kXmlExtension); }

fs::path gf_airportXmlPath(const AirportCode& code) { return gf_utf8Path(gf_airportFileName(code)); }

fs::path gf_airportTxtPath(const AirportCode& code) { return gf_utf8Path(code.text() + ".txt"); }

std::string lf_pathText(const fs::path& path) { return gf_wideToUtf8(path.u16string()); }

std::string lf_trimBlanks(std::string_view text) {
    const auto first = text.find_first_not_of(' ');
    if (first == std::string_view::npos) return {};
    const auto last = text.find_last_not_of(' ');
    return std::string(text.substr(first, last - first + 1));
}

std::string lf_learnedPublisherFolder(std::string_view publisher) {
    std::string folder(publisher);
    std::replace_if(folder.begin(), folder.end(), [](char c) { return c == '/' || c == '\\' || c == ':'; }, ' ');
    folder = lf_trimBlanks(folder);
    return isPlainName(folder) ? folder : std::string();
}

bool lf_readPointerFile(const fs::path& path, std::string& line) {
    line.clear();
    if (!existsQuietly(path)) return false;
    const FileLines file = gf_readLines(path, 1);
    if (!file.ok || file.lines.empty()) return false;
    std::string first = file.lines.front();
    while (!first.empty() && std::isspace(static_cast<unsigned char>(first.back()))) first.pop_back();
    if (first.size() < kXmlExtension.size() || lowered(first.substr(first.size() - kXmlExtension.size())) != kXmlExtension)
        return false;
    line = std::move(first);
    return true;
}

std::string gf_locateAirportFile(const AirportCode& code) {
    std::string line;
    for (const fs::path& folder : {g_myThirdpartyFolder, g_myOrbxFolder}) {
        if (lf_readPointerFile(folder / gf_airportTxtPath(code), line)) return line;
        const fs::path xml = folder / gf_airportXmlPath(code);
        if (fs::exists(xml)) return lf_pathText(xml);
    }
    const auto found = std::lower_bound(g_airports.begin(), g_airports.end(), code,
                                        [](const AirportRecord& r, const AirportCode& c) { return r.code < c; });
    for (auto it = found; it != g_airports.end() && it->code == code; ++it)
        if (it->stands >= 1) return "archive/stock/" + gf_airportFileName(code);
    return {};
}

bool gf_hasAirportFile(const AirportCode& code) {
    for (const fs::path& folder : {g_myThirdpartyFolder, g_myOrbxFolder})
        if (existsQuietly(folder / gf_airportXmlPath(code)) || existsQuietly(folder / gf_airportTxtPath(code)))
            return true;
    const auto found = std::find_if(g_airports.begin(), g_airports.end(),
                                    [&code](const AirportRecord& record) { return record.code == code; });
    return found != g_airports.end() && found->stands >= 1;
}

std::string lf_downloadAirportFile(const std::string& relativePath, const fs::path& target) {
    const std::string url = gf_airportArchiveBaseUrl() + relativePath;
    const CurlHandle handle = gf_makeCurlHandle();
    if (Downloader(handle.get()).download(url, target, false)) return {};
    if (fs::exists(target)) fs::remove(target);
    std::string message = fmt::format("failed to download: '{}'", url);
    gf_log(message);
    return message;
}

bool lf_isLocalAirportFile(const std::string& located) {
    return located.starts_with(kLocalPrefix) || gf_utf8Path(located).is_absolute();
}

fs::path lf_learnedFilePath(const std::string& located, const std::string& publisher, std::string_view bglPath) {
    if (located.empty()) return {};
    std::string text = located;
    std::replace(text.begin(), text.end(), '/', '\\');
    if (!hasXmlExtension(text)) return {};
    const std::string_view fileName = fileNameOf(text);
    const std::string_view view(text);
    if (view.starts_with(kArchiveStock)) return orEmpty(joined(g_learnedStockFolder, fileName));
    if (view.starts_with(kArchiveSimaddon)) return orEmpty(joined(g_learnedSimaddonFolder, fileName));
    if (const auto at = view.find(kArchiveThirdparty); at != std::string_view::npos) {
        const std::string_view rest = view.substr(at + kArchiveThirdparty.size());
        const auto end = rest.find('\\');
        if (end == std::string_view::npos) return {};
        std::string folder(rest.substr(0, end));
        replaceAll(folder, "%20", " ");
        return underThirdparty(lf_learnedPublisherFolder(folder), fileName);
    }
    if (view.starts_with(kAirportsPrefix)) {
        const std::string_view rest = view.substr(kAirportsPrefix.size());
        if (rest.starts_with("my_thirdparty2024\\") || rest.starts_with("my_thirdparty\\")) {
            std::string folder = lf_learnedPublisherFolder(publisher);
            // A file generated from scenery of no known publisher learns in
            // a folder named after its add-on.
            if (folder.empty()) folder = lf_learnedPublisherFolder(addonFolderOf(bglPath));
            return underThirdparty(folder, fileName);
        }
        return orEmpty(joined(g_learnedFolder, rest));
    }
    return {};
}
