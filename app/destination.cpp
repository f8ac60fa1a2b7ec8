#include "app/destination.h"

#include <fmt/format.h>

#include <algorithm>
#include <stdexcept>

#include "airports/state.h"
#include "app/services/state.h"
#include "app/services/status_line.h"
#include "foundation/fixed_code.h"
#include "settings/control_updates.h"
#include "settings/parameter_store.h"
#include "settings/settings.h"

void lf_showDestination(const std::string& text, const AirportRecord& airport,
                        const std::filesystem::path& parametersPath) {
    gf_setStringParam(DESTINATION, text, parametersPath);
    gf_showParamText(DESTINATION);
    gf_setStatus(fmt::format("New destination: {}", text), true);
    AirportCode code;
    try {
        code = AirportCode(DESTINATION.value.get());
    } catch (const std::invalid_argument&) {
        return;  // not a code: nothing to park at
    }
    // The traffic thread owns the park-airport list: it adds the airport at its next tick.
    gf_requestParkAirportAdd(code, GeoPoint{airport.latitude, airport.longitude});
    ControlUpdateBatch batch;
    batch.enableControl(g_rereadButton, false);
    batch.apply();
}

const AirportRecord* lf_findAirport(const std::string& code) {
    const AirportCode wanted(code);
    const auto found = std::find_if(g_airports.begin(), g_airports.end(),
                                    [&](const AirportRecord& airport) { return airport.code == wanted; });
    return found == g_airports.end() ? nullptr : &*found;
}
