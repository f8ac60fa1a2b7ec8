// libFuzzer target for the airport stand file reader (scripts/fuzz.sh builds
// and runs it, from its seed and with its dictionary). Any input is one stand
// file. What the reader keeps must be sound (trimmed unique names, real
// positions, uses with a weekday numbered 1, 2, 3 ...), and a handmade park
// airport file written from it must read back with every stand whose position
// survives six decimals and every use that has half-hours.
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <set>
#include <sstream>
#include <string>

#include <fmt/format.h>
#include <pugixml.hpp>

#include "airports/learned_file.h"
#include "airports/stand_file.h"
#include "airports/state.h"
#include "foundation/strings.h"
#include "foundation/user_error.h"

namespace {
void check(bool condition) {
    if (!condition) std::abort();
}

bool positionSurvives(const Stand& stand) {
    return std::stod(fmt::format("{:.6f}", stand.latitude)) != 0.0 ||
           std::stod(fmt::format("{:.6f}", stand.longitude)) != 0.0;
}

void checkTable() {
    std::set<std::string> names;
    for (const Stand& stand : g_stands) {
        check(!stand.name.empty() && stand.name == gf_trimmed(stand.name) && names.insert(stand.name).second);
        check(std::isfinite(stand.latitude) && std::isfinite(stand.longitude));
        check(stand.latitude != 0.0 || stand.longitude != 0.0);
        check(std::isfinite(stand.radius) && std::isfinite(stand.heading));
        std::int32_t number = 0;
        for (const StandUse& use : stand.uses) {
            check(use.day >= 1 && use.day <= 7 && use.active == ++number);
            check((use.hh >> 48) == 0);
        }
    }
}
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    pugi::xml_document input;
    if (!input.load_buffer(data, size)) return 0;
    gf_clearStands();
    try {
        lf_readStands(input);
    } catch (const vlt::UserErrorException&) {
        // A bad or repeated id ends the reading; the stands before it stay.
    }
    checkTable();

    AirportFileData written;
    written.code = AirportCode("EHAM");
    written.stands = g_stands;
    g_handmade = true;
    pugi::xml_document output;
    check(lf_buildAirportDocument(output, written, kParkAirportFileKind, 3));
    std::ostringstream text;
    output.save(text);
    pugi::xml_document again;
    check(static_cast<bool>(again.load_string(text.str().c_str())));
    gf_clearStands();
    lf_readStands(again);  // a file the writer made never has a bad id
    checkTable();
    std::size_t at = 0;
    for (const Stand& before : written.stands) {
        if (!positionSurvives(before)) continue;
        check(at < g_stands.size() && g_stands[at].name == before.name);
        std::size_t uses = 0;
        for (const StandUse& use : before.uses) uses += use.hh != 0 ? 1 : 0;
        check(g_stands[at].uses.size() == uses);
        ++at;
    }
    check(at == g_stands.size());

    // The input as a learned file merged into what was read.
    if (const pugi::xml_node parkpositions = lf_parkPositionsNode(input))
        for (const pugi::xml_node parkpos : parkpositions.children("parkpos"))
            for (Stand& stand : g_stands) lf_mergeLearned(parkpos.attribute("id").as_string(), parkpos, false, stand);
    g_handmade = false;
    return 0;
}
