// One installed livery as the scan finds it and the results file keeps it,
// and the order and equality of the scanned-livery list.
#pragma once

#include <cstdint>
#include <string>

#include "refdata/state.h"

struct LiveryData {
    std::string title;    // the title the simulator creates the aircraft by
    std::string regcode;  // the registration painted on it; empty when none is known
    std::uint16_t airline = 0;   // airline id; 0 = none
    std::uint16_t airline2 = 0;  // second airline id (flown for another operator); 0 = none
    std::uint16_t model = 0;     // model id; 0 = none
    std::uint8_t cargo = 0;
    std::int16_t folderNumber = 0;  // 1-based livery folder; 0 when read from the results file

    // Equal for the scan's unique step: title, the three ids and the
    // registration; cargo and folder number do not count.
    bool operator==(const LiveryData& other) const {
        return title == other.title && airline == other.airline && airline2 == other.airline2 &&
               model == other.model && regcode == other.regcode;
    }
};

// The livery's airline, second airline, model and cargo flag as one unit.
inline RegCodes gf_liveryCodes(const LiveryData& livery) {
    return RegCodes{livery.airline, livery.airline2, livery.model, livery.cargo};
}

// A livery without airline or model is of no use to the matching.
bool lf_liveryIncomplete(const LiveryData& livery);
// The list order: airline code text, second airline code text, model code
// text (byte-wise; an id without a code reads as ""), then, for equal ids
// only, the title.
bool lf_liveryLess(const LiveryData& x, const LiveryData& y);
