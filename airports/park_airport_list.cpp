#include "airports/park_airport_list.h"

#include <fmt/format.h>

#include <algorithm>
#include <exception>
#include <fstream>
#include <set>
#include <system_error>
#include <vector>

#include "airports/airport_files.h"
#include "airports/airport_services.h"
#include "app/services/status_line.h"
#include "foundation/log.h"
#include "foundation/strings.h"
#include "foundation/text_convert.h"
#include "foundation/text_files.h"
#include "settings/file_names.h"

namespace fs = std::filesystem;

namespace {
constexpr std::size_t kManyParkAirports = 3000;

const AirportRecord* findAirport(const AirportCode& code) {
    const auto found = std::find_if(g_airports.begin(), g_airports.end(),
                                    [&code](const AirportRecord& airport) { return airport.code == code; });
    return found == g_airports.end() ? nullptr : &*found;
}

ParkAirportEntry entryFor(const AirportRecord& airport, std::string stand) {
    return ParkAirportEntry{std::move(stand), airport.latitude, airport.longitude, 0.0, airport.code};
}

// The file's lines; none when it cannot be opened.
std::optional<std::vector<std::string>> readListFile() {
    std::ifstream file(g_myParkAirportsPath, std::ios::binary);
    if (!file) return std::nullopt;
    return gf_splitStreamLines(file);
}

// Reads the file's lines into the list; false when one named an unknown airport.
bool readListLines(std::list<ParkAirportEntry>& list) {
    const auto lines = readListFile();
    if (!lines) {
        gf_log(lf_pathText(g_myParkAirportsPath) + " not found");
        return true;
    }
    bool known = true;
    std::set<std::string, std::less<>> seen;
    for (const std::string& line : *lines) {
        const std::vector<std::string_view> fields = gf_splitCommaViews(line);
        if (fields.empty()) continue;
        if (fields.size() > 2) {
            gf_logMarked(fmt::format("{}:{} wrong syntax, skipped", kParkAirportsFileName, line));
            continue;
        }
        if (seen.contains(fields[0])) {
            gf_log(fmt::format("{}:{} double, skipped", kParkAirportsFileName, fields[0]));
            continue;
        }
        const AirportCode code(fields[0]);  // a malformed code ends the reading
        const AirportRecord* airport = findAirport(code);
        if (airport == nullptr) {
            gf_setStatus(fmt::format("airport {} is unknown", fields[0]), true);
            known = false;
            continue;
        }
        list.push_back(entryFor(*airport, fields.size() == 2 ? std::string(fields[1]) : std::string()));
        seen.emplace(fields[0]);
    }
    if (!list.empty())
        gf_log(fmt::format("\n{:5} park airport{} read from '{}'", list.size(), gf_plural(list.size()),
                           kParkAirportsFileName));
    if (list.size() > kManyParkAirports)
        gf_setStatus(fmt::format("Warning: There are a lot of airports ({}), that will cost VLNT much cpu time and may "
                                 "cause stutters",
                                 list.size()),
                     true);
    return known;
}

std::string lineOf(const ParkAirportEntry& entry) {
    return entry.stand.empty() ? entry.code.text() : entry.code.text() + "," + entry.stand;
}
}  // namespace

bool lf_readMyParkAirports() {
    const std::lock_guard lock(g_parkAirportsMutex);
    g_parkAirportList.clear();
    bool known = true;
    try {
        known = readListLines(g_parkAirportList);
        lf_buildParkAirportList();
    } catch (const std::exception& e) {
        gf_logMarked(fmt::format("{}: {}", "lf_readMyParkAirports", e.what()));
    }
    return known;
}

void lf_buildParkAirportList() {
    try {
        std::error_code error;
        if (!fs::is_directory(g_myThirdpartyFolder, error)) return;
        for (const fs::directory_entry& file : fs::directory_iterator(g_myThirdpartyFolder)) {
            if (!file.is_regular_file()) continue;
            const std::string stem = lf_pathText(file.path().stem());
            // Names that are no airport code are not airports.
            if (stem.size() != 4 || !std::all_of(stem.begin(), stem.end(), [](unsigned char c) { return std::isalnum(c); }))
                continue;
            const AirportCode code(stem);
            const bool listed = std::any_of(g_parkAirportList.begin(), g_parkAirportList.end(),
                                            [&code](const ParkAirportEntry& entry) { return entry.code == code; });
            const AirportRecord* airport = findAirport(code);
            if (!listed && airport != nullptr) g_parkAirportList.push_back(entryFor(*airport, std::string()));
        }
    } catch (const std::exception& e) {
        gf_logMarked(fmt::format("{}: {}", "lf_buildParkAirportList", e.what()));
    }
}

bool lf_updateMyParkAirportStand(const ParkAirportEntry& entry, const std::string& newLine, std::string& line) {
    const std::vector<std::string_view> fields = gf_splitCommaViews(line);
    if (fields.empty() || fields[0] != entry.code.text()) return false;
    line = newLine;
    gf_log(fmt::format("{}:{} updated stand", kParkAirportsFileName, newLine));
    return true;
}

void gf_addMyParkAirport() {
    if (g_parkAirportList.empty()) return;
    const ParkAirportEntry& entry = g_parkAirportList.front();
    const std::string newLine = lineOf(entry);
    std::vector<std::string> lines;
    if (auto read = readListFile()) {
        lines = std::move(*read);
        const bool replaced = std::any_of(lines.begin(), lines.end(), [&](std::string& line) {
            return lf_updateMyParkAirportStand(entry, newLine, line);
        });
        if (!replaced) {
            lines.push_back(newLine);
            gf_log(fmt::format("{}:{} new entry", kParkAirportsFileName, newLine));
        }
    } else {
        lines.push_back(newLine);
        gf_log(fmt::format("{} created with {}", kParkAirportsFileName, newLine));
    }
    std::sort(lines.begin(), lines.end());
    lines.erase(std::unique(lines.begin(), lines.end()), lines.end());
    std::error_code error;
    fs::create_directories(g_myParkAirportsPath.parent_path(), error);
    if (!gf_writeLines(lines, g_myParkAirportsPath))
        gf_logMarked(fmt::format("Could not write {}", lf_pathText(g_myParkAirportsPath)));
}

bool gf_parkFileLoaded() { return g_airportFileRead.load(); }

std::optional<GeoPoint> gf_firstParkAirportPosition() {
    const std::lock_guard lock(g_parkAirportsMutex);
    if (g_parkAirportList.empty()) return std::nullopt;
    return GeoPoint{g_parkAirportList.front().lat, g_parkAirportList.front().lon};
}
