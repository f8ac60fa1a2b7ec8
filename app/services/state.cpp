#include "app/services/state.h"

#include <mutex>

#include "app/services/rt_indicators.h"
#include "app/services/window_bands.h"

std::atomic<std::int32_t> g_seconds{0};
bool g_flightPaused = false;
std::int32_t g_notRunningCountdown = 100;
std::atomic<bool> g_staticUpdateRequest{false};
bool g_staticUpdatePending = false;
std::atomic<std::int32_t> g_staticUpdateMinutes{20};
std::atomic<std::uint64_t> g_daySlot{0};
std::atomic<bool> g_settingsLocked{false};
std::atomic<bool> g_productionMode{false};
std::atomic<bool> g_dbaseRead{false};
std::filesystem::path g_stockSceneryPath;
std::atomic<std::int32_t> g_scanLimit{2};
std::atomic<std::int32_t> g_runningScans{0};

std::atomic<bool> g_reReadRequest{false};
std::atomic<bool> g_removeAllStaticsRequest{false};
std::atomic<bool> g_callsignListRequest{false};
std::atomic<bool> g_blockingChanged{false};
std::atomic<bool> g_matchCacheClearRequest{false};
std::atomic<bool> g_liveryReprocessRequest{false};

std::atomic<std::uint64_t> g_liveCount{0};
std::atomic<std::uint64_t> g_parkedLiveCount{0};
std::atomic<std::uint64_t> g_staticCount{0};
std::atomic<std::uint64_t> g_staticScheduleShown{0};
std::atomic<std::int32_t> g_staticUpdateMinutesShown{20};
SharedText g_selectedCallsignText;
std::atomic<std::uint64_t> g_simAddonAirportCount{0};
std::atomic<std::uint64_t> g_thirdPartyAirportCount{0};
std::atomic<std::int32_t> g_infoSimNumber{1};
std::atomic<std::uint32_t> g_standChangeShown{0};
std::atomic<float> g_meanParkedHours{-1.0F};
std::atomic<bool> g_rtDisplayBlocked{true};
SharedText g_rtVersionText;

std::atomic<std::uint64_t> g_liveryCount{0};
std::atomic<std::uint64_t> g_tbloFileCount{0};
SharedText g_parkAirportText;
SharedText g_parkFileNameText;
SharedText g_reservedStandShown;
std::atomic<bool> g_reservedStandConfirmed{false};
std::atomic<bool> g_staticPassShown{false};
std::atomic<bool> g_weekPassShown{false};
std::atomic<std::uint64_t> g_staticReplacedCount{0};
std::atomic<float> g_liveMeanParkedHours{-1.0f};
std::atomic<std::int32_t> g_maxParkPercent{0};

std::atomic<bool> g_maxLiveCheckRequest{false};
std::atomic<std::int32_t> g_navLightsRequest{kNoNavLightsRequest};

namespace {
std::mutex g_parkAirportAddsMutex;              // a leaf lock
std::vector<ParkAirportAdd> g_parkAirportAdds;  // under g_parkAirportAddsMutex
}  // namespace

void gf_requestParkAirportAdd(const AirportCode& code, const GeoPoint& position) {
    const std::lock_guard lock(g_parkAirportAddsMutex);
    g_parkAirportAdds.push_back(ParkAirportAdd{code, position});
}

std::vector<ParkAirportAdd> gf_takeParkAirportAdds() {
    std::vector<ParkAirportAdd> adds;
    const std::lock_guard lock(g_parkAirportAddsMutex);
    adds.swap(g_parkAirportAdds);
    return adds;
}

void lf_resetWindowState() {
    g_liveCount = 0;
    g_parkedLiveCount = 0;
    g_staticCount = 0;
    g_staticScheduleShown = 0;
    g_selectedCallsignText = std::string();
    g_simAddonAirportCount = 0;
    g_thirdPartyAirportCount = 0;
    g_rtVersionText = std::string();
    g_standChangeShown = 0;
    g_meanParkedHours = -1.0F;
    g_rtDisplayBlocked = true;
    g_maxLiveCheckRequest = false;
    g_navLightsRequest = kNoNavLightsRequest;
    gf_takeParkAirportAdds();
    g_rtActive = false;
    gf_setReaderStatus(ReaderId::traffic, readerStopped);
    gf_setReaderStatus(ReaderId::qnh, readerStopped);
    for (const platform::Band& band : {kIndicatorsBand, kControlsBand, kStatisticsBand})
        platform::invalidateBand(band);
}
