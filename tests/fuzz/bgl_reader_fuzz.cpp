// libFuzzer target for the reader of compiled scenery files (scripts/fuzz.sh
// builds and runs it, seeded with the real files in tests/airports/data/bgl).
// Any input is one file. Reading may end with the out-of-range error of a cut
// file, but must never read outside the input, and every stand it keeps must
// be one the program can park on: a name, a position on the globe, a finite
// heading, a sane radius.
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <mutex>
#include <set>
#include <stdexcept>
#include <vector>

#include "airports/bgl_reader.h"
#include "airports/state.h"
#include "foundation/file_helpers.h"

namespace {
constexpr double kMaxRadiusNm = 200.0 * 0.0005399568034557236;

void check(const AirportFileData& record) {
    std::set<std::string> names;
    for (const Stand& stand : record.stands) {
        if (stand.name.empty() || !names.insert(stand.name).second) std::abort();
        if (!(std::fabs(stand.latitude) <= 90.0) || !(std::fabs(stand.longitude) <= 180.0)) std::abort();
        if (!std::isfinite(stand.heading) || !std::isfinite(stand.radius)) std::abort();
        if (!stand.heli && !(stand.radius > 0.0 && stand.radius < kMaxRadiusNm)) std::abort();
    }
    if (record.airport_name.size() > 45 * 3) std::abort();  // 45 bytes, each at most 3 once in UTF-8
    if (record.altitude > 10000 || record.altitude < -1500) std::abort();
}
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static const bool ready = [] {
        g_airportCodes = {AirportCode("LEAB"), AirportCode("EHAM"), AirportCode("EDDF")};
        return true;
    }();
    (void)ready;
    const auto* bytes = reinterpret_cast<const std::byte*>(data);
    const BglImage image{std::vector<std::byte>(bytes, bytes + size)};
    try {
        lf_walkBglAirports(image, [&](const BglAirportRef& airport) {
            if (airport.word >= image.wordCount()) std::abort();
            AirportFileData record;
            record.code = airport.code;
            lf_readBglAirport(image, airport, record, "fuzz.bgl");
            check(record);
        });
    } catch (const std::out_of_range&) {
        // a cut file: its processing ends here
    }
    const std::lock_guard lock(g_scanLogMutex);
    g_scanLogLines.clear();
    return 0;
}
