#include "airports/airport_list.h"

#include <fmt/format.h>

#include <algorithm>
#include <stdexcept>

#include "foundation/decrypt.h"
#include "foundation/file_helpers.h"
#include "foundation/log.h"
#include "foundation/text_convert.h"
#include "foundation/user_error.h"
#include "settings/file_names.h"

namespace {
constexpr int kAirportListErrorCode = 88;
constexpr std::size_t kReservedAirports = 15000;
constexpr std::string_view kNoCode3 = "XXX";

void lf_appendAirport(const AirportRecord& record) {
    // Grow by half the capacity: the list is reserved once for all airports,
    // and a larger list should not double a big block.
    if (g_airports.size() == g_airports.capacity())
        g_airports.reserve(g_airports.capacity() + std::max<std::size_t>(g_airports.capacity() / 2, 1));
    g_airports.push_back(record);
    g_airportCodes.insert(record.code);
}

// Steps that may fail for the whole list: load, find "airports", read each "ap".
void lf_readAirportList(const std::string& pathText) {
    pugi::xml_document document;
    const pugi::xml_parse_result parsed = document.load_file(g_airportsXmlPath.c_str());
    if (!parsed) throw std::runtime_error(pathText + " not loaded: " + parsed.description());
    const pugi::xml_node airports = document.child("root").child("airports");
    if (!airports) throw std::runtime_error("Missing <airports> root in: " + pathText);
    for (pugi::xml_node ap = airports.child("ap"); ap; ap = ap.next_sibling("ap"))
        lf_readAirport(ap, AirportCode(ap.attribute("c").value()));
}
}  // namespace

void lf_readAirport(const pugi::xml_node& airport, const AirportCode& code) {
    const std::string codeText = code.text();
    if (!airport.attribute("la") || !airport.attribute("lo")) {
        gf_logMarked(fmt::format("Missing latLons for airport '{}'", codeText));
        return;
    }
    if (!airport.attribute("a")) {
        gf_logMarked(fmt::format("Missing alt for airport '{}'", codeText));
        return;
    }
    if (!airport.attribute("s")) gf_logMarked(fmt::format("Missing stands for airport '{}'", codeText));

    AirportRecord record;
    record.code = code;
    record.stands = airport.attribute("s").as_int(0);
    record.altitude = airport.attribute("a").as_float(0.0F);
    record.latitude = airport.attribute("la").as_double(0.0);
    record.longitude = airport.attribute("lo").as_double(0.0);
    const pugi::xml_attribute code3 = airport.attribute("i");
    try {
        record.code3 = ShortAirportCode(code3 ? std::string_view(code3.value()) : kNoCode3);
        lf_appendAirport(record);
    } catch (const std::exception& e) {
        gf_log(fmt::format("Error storing airport '{}' '{}': {}", codeText, code3.value(), e.what()));
    }
}

bool gf_readAirports() {
    if (g_airportsLoaded) return !g_airports.empty();
    try {
        gf_streamDecrypt(g_airportsEncPath, g_airportsXmlPath);  // a failure shows as a file that does not load
    } catch (const std::exception& e) {
        lf_logReadAirportsException(e.what());
        throw;
    }
    if (g_airports.capacity() < kReservedAirports) g_airports.reserve(kReservedAirports);

    const std::string pathText = gf_pathToUtf8(g_airportsXmlPath);
    try {
        lf_readAirportList(pathText);
    } catch (const std::exception& e) {
        gf_removeFileIfExists(g_airportsXmlPath);
        // Nothing of a broken list stays behind: a later start-up reads it
        // anew instead of adding to a half-read list.
        g_airports.clear();
        g_airportCodes.clear();
        throw vlt::UserErrorException(kAirportListErrorCode, e.what());
    }

    std::stable_sort(g_airports.begin(), g_airports.end(),
                     [](const AirportRecord& a, const AirportRecord& b) { return a.code.bytes() < b.code.bytes(); });
    gf_log(fmt::format("{:5} airports read", g_airports.size()));
    gf_removeFileIfExists(g_airportsXmlPath);
    g_airports.shrink_to_fit();
    g_airportsLoaded = true;
    return !g_airports.empty();
}

bool gf_isSupportedAirport(const AirportCode& code) { return g_airportCodes.contains(code); }

std::string gf_airportLabel(const AirportRecord& airport) {
    std::string label = airport.code.isSet() ? airport.code.text() : "?";
    const std::string code3 = airport.code3.text();
    if (airport.code3.isSet() && code3 != kNoCode3) label += " (" + code3 + ")";
    return label;
}

void lf_logReadAirportsException(const std::string& text) {
    gf_logMarked(fmt::format("{} exception : {}", "gf_readAirports", text));
}
