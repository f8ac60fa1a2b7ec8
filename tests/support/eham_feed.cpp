#include "support/eham_feed.h"

#include <mutex>

#include "rtlink/traffic_feed.h"
#include "rtlink/traffic_record.h"
#include "settings/settings.h"

namespace testing_support {

void acceptTrafficAtEham() {
    const GeoPoint eham{52.3086, 4.7639};
    gf_setTrafficRefPos(eham);
    gf_setReaderParkAirport(ReaderParkAirport{AirportCode("EHAM"), eham, -11});
    g_rangeNm = 40.0;
    const std::lock_guard lock(g_addingStackMutex);
    g_addingStack.clear();
    g_acceptTraffic = true;
}

void stopAcceptingTraffic() {
    {
        const std::lock_guard lock(g_addingStackMutex);
        g_addingStack.clear();
        g_acceptTraffic = false;
    }
    gf_setReaderParkAirport(ReaderParkAirport{});
}

std::size_t addingStackSize() {
    const std::lock_guard lock(g_addingStackMutex);
    return g_addingStack.size();
}

}  // namespace testing_support
