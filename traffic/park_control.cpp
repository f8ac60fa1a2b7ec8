// Choosing, reading, following and leaving the park airport (gf_parkControl,
// gf_leaveParkAirport, gf_checkParkAirports and gf_addParkAirport are
// declared in traffic/engine_jobs.h). Traffic thread.
#include <fmt/format.h>

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <mutex>

#include "airports/airport_list.h"
#include "airports/airport_services.h"
#include "app/services/controls.h"
#include "app/services/settings_lock.h"
#include "app/services/state.h"
#include "app/services/status_line.h"
#include "app/services/window_bands.h"
#include "foundation/log.h"
#include "foundation/time_texts.h"
#include "platform/window_host.h"
#include "rtlink/traffic_feed.h"
#include "settings/control_updates.h"
#include "settings/settings.h"
#include "simlink/state.h"
#include "traffic/engine_jobs.h"
#include "traffic/engine_services.h"
#include "traffic/park_airport.h"
#include "traffic/state.h"
#include "traffic/static_schedule.h"

namespace {
constexpr double kSamePositionDegrees = 1e-8;
constexpr double kNoPositionDegrees = 0.0001;

// The user position the list's distances were last computed for; traffic thread only.
GeoPoint g_listPosition{1000.0, 1000.0};

std::string codeOrBlanks(const AirportCode& code) { return code.isSet() ? code.text() : std::string(20, ' '); }

GeoPoint parkAirportPosition() { return GeoPoint{g_parkAirport.latitude, g_parkAirport.longitude}; }

bool isParkAirport(const ParkAirportEntry& entry) { return entry.code == g_parkAirport.code; }

void announce(bool status) {
    g_parkReadRequest = true;
    lf_announceStaticCalculation(status);
}

void showReservedStand(const std::string& name) {
    g_reservedStand = name;
    g_reservedStandShown = name;
    g_reservedStandConfirmed = !name.empty();
    platform::invalidateBand(kStatisticsBand);
}

Stand* standNamed(const std::string& name) {
    const auto stand = std::find_if(g_stands.begin(), g_stands.end(), [&](const Stand& s) { return s.name == name; });
    return stand == g_stands.end() ? nullptr : &*stand;
}

// The live aircraft that belong to the park airport's ground leave with it.
bool onTheAirportsGround(const LiveAc& aircraft) {
    switch (aircraft.phase) {
        case AcPhase::pushing_back:
        case AcPhase::pushed_back:
        case AcPhase::taxi:
        case AcPhase::take_off:
        case AcPhase::parking:
        case AcPhase::parked:
            return true;
        default:
            return false;
    }
}

void disableButtons(bool now, bool flush) {
    ControlUpdateBatch batch;
    if (now) batch.enableControl(g_nowButton, false);
    if (flush) batch.enableControl(g_flushStaticButton, false);
    batch.apply();
}
}  // namespace

void gf_parkControl(bool announceFlag) {
    if (g_settingsLocked && g_staticSlots.empty()) {
        gf_unlockSettings();
        gf_clearStatus();
        g_staticCallsigns.building = false;
        gf_countParkedInWeek(true);
        gf_countParkedLiveAcs(true);
    }
    if (g_parkReadRequest) {
        gf_clearStatus();
        g_parkReadRequest = false;
        const std::string failure = lf_readParkedFile();
        if (!failure.empty()) {
            gf_unlockSettings();
            gf_setStatus(failure, true);
            lf_saveAirportOnLeave();
        } else {
            g_staticUpdateMinutes = 20;
            lf_computeStatics();
        }
        gf_enableControl(DESTINATION);
        gf_flushLog();
        return;
    }
    const UserState user = gf_copyUserState();
    if (std::abs(user.lat) <= kNoPositionDegrees && std::abs(user.lon) <= kNoPositionDegrees) return;
    const GeoPoint position{user.lat, user.lon};
    lf_sortParkAirports(position);
    if (g_parkAirport.code.isSet())
        lf_parkAirportInSight(position, user.altitudeFt);
    else
        lf_userOnGround(position, user.altitudeFt, announceFlag);
}

void lf_sortParkAirports(const GeoPoint& user) {
    const std::lock_guard lock(g_parkAirportsMutex);
    std::list<ParkAirportEntry>& list = g_parkAirportList;
    if (list.empty()) return;
    const auto distance = [&](const ParkAirportEntry& entry) { return gf_distanceNm(user, GeoPoint{entry.lat, entry.lon}); };
    if (std::abs(user.lat - g_listPosition.lat) <= kSamePositionDegrees &&
        std::abs(user.lon - g_listPosition.lon) <= kSamePositionDegrees) {
        list.front().distanceNm = distance(list.front());
        return;
    }
    g_listPosition = user;
    for (ParkAirportEntry& entry : list) entry.distanceNm = distance(entry);
    // A destination the user typed stays at the head.
    if (DESTINATION.value.empty())
        list.sort([](const ParkAirportEntry& a, const ParkAirportEntry& b) { return a.distanceNm < b.distanceNm; });
}

void lf_userOnGround(const GeoPoint& user, double altitudeFt, bool announceFlag) {
    if (g_userOnGround) {
        const std::optional<AirportCode> closest = gf_closestAirportStand(user);
        if (!closest) {
            gf_setStatus("User aircraft on the ground, no RT supported airport in sight", true);
            return;
        }
        if (!gf_hasAirportFile(*closest)) {
            gf_setStatus(fmt::format("User aircraft on the ground at {}", closest->text()) + ", no airport file found",
                         true);
            return;
        }
        gf_log(fmt::format("User aircraft on the ground at {}", codeOrBlanks(*closest)));
        if (lf_parkAirportText(*closest)) announce(announceFlag);
        return;
    }
    gf_enableControl(DESTINATION);
    AirportCode code;
    double distance = 0.0;
    {
        const std::lock_guard lock(g_parkAirportsMutex);
        if (g_parkAirportList.empty()) return;
        code = g_parkAirportList.front().code;
        distance = g_parkAirportList.front().distanceNm;
    }
    if (distance > AIRP_RANGE.value || altitudeFt > AIRP_HEIGHT.value || !lf_parkAirportText(code)) return;
    gf_setStatus(fmt::format("{} in sight at {:.1F} nm", code.text(), distance), true);
    announce(false);
}

void lf_parkAirportInSight(const GeoPoint& user, double altitudeFt) {
    if (g_userOnGround) return;
    const double parkDistance = gf_distanceNm(user, parkAirportPosition());
    const std::string label = gf_airportLabel(g_parkAirport);
    if (parkDistance > AIRP_RANGE.value || altitudeFt > AIRP_HEIGHT.value) {
        gf_log(fmt::format("\n{} {} is out of sight ({:.1F} nm), parked aircraft will be removed", gf_simClockText(),
                           label, parkDistance));
        gf_leaveParkAirport();
        return;
    }
    ParkAirportEntry first;
    {
        const std::lock_guard lock(g_parkAirportsMutex);
        if (g_parkAirportList.empty() || isParkAirport(g_parkAirportList.front())) return;
        first = g_parkAirportList.front();
    }
    if (first.distanceNm > AIRP_RANGE.value || first.distanceNm > parkDistance) return;
    gf_log(fmt::format("\n{} {} is in sight ({:.1F} nm), parked aircraft at {} will be removed first",
                       gf_simClockText(), first.code.text(), first.distanceNm, label));
    gf_leaveParkAirport();
}

bool lf_parkAirportText(const AirportCode& code) {
    const auto record = std::find_if(g_airports.begin(), g_airports.end(),
                                     [&](const AirportRecord& airport) { return airport.code == code; });
    if (record == g_airports.end()) {
        g_parkAirportText = std::string();
        return false;
    }
    {
        const std::lock_guard lock(g_parkAirportsMutex);
        g_parkAirport = *record;
    }
    const std::string label = gf_airportLabel(*record);
    gf_log(fmt::format("\nThe park airport is {}", label));
    g_parkAirportText = label;
    platform::invalidateBand(kStatisticsBand);
    return true;
}

void lf_announceStaticCalculation(bool status) {
    gf_lockSettings();
    g_trafficFeed.startCollecting();
    if (status) gf_setStatus("Calculating static parked aircraft ...", false);
}

std::string lf_readParkedFile() {
    gf_clearStands();
    g_parkAirportInfo = ParkAirportInfo{};
    const AirportCode code = g_parkAirport.code;
    const std::string located = gf_locateAirportFile(code);
    if (located.empty()) return fmt::format("{} {} not found", "lf_readParkedFile", codeOrBlanks(code));
    const std::string failure = gf_readApf(located, g_parkAirportInfo);
    if (!failure.empty()) return failure;
    if (g_userOnGroundKnown) {
        const UserState user = gf_copyUserState();
        const std::string userStand = gf_standNameAt(GeoPoint{user.lat, user.lon});
        const std::lock_guard lock(g_parkAirportsMutex);
        std::list<ParkAirportEntry>& list = g_parkAirportList;
        if (!list.empty() && isParkAirport(list.front())) {
            if (!userStand.empty() && userStand != list.front().stand) {
                list.front().stand = userStand;
                gf_addMyParkAirport();
            }
        } else {
            list.push_front(ParkAirportEntry{userStand, g_parkAirport.latitude, g_parkAirport.longitude, 0.0, code});
            gf_addMyParkAirport();
        }
    }
    {
        const std::lock_guard lock(g_standsMutex);
        std::sort(g_stands.begin(), g_stands.end(),
                  [](const Stand& a, const Stand& b) { return a.standId < b.standId; });
    }
    std::string reserved;
    {
        const std::lock_guard lock(g_parkAirportsMutex);
        const std::list<ParkAirportEntry>& list = g_parkAirportList;
        if (!list.empty() && isParkAirport(list.front()) && standNamed(list.front().stand) != nullptr)
            reserved = list.front().stand;
    }
    showReservedStand(reserved);
    g_parkFileNameText = std::filesystem::path(located).filename().string();
    platform::invalidateBand(kStatisticsBand);
    return {};
}

void gf_leaveParkAirport() {
    g_staticSlots.clear();
    gf_removeAllStatics();
    for (LiveAc& aircraft : g_liveAcs) {
        if (!onTheAirportsGround(aircraft)) continue;
        aircraft.standLat = 0.0;
        aircraft.standLon = 0.0;
        aircraft.standHeading = 0.0;
        aircraft.standId = 0;
        aircraft.standCargo = 0;
        if (aircraft.lifeState == AcLifeState::active || aircraft.lifeState == AcLifeState::adding2sim)
            removeAircraftFromSim(aircraft);
    }
    std::erase_if(g_liveAcs, [](const LiveAc& aircraft) { return aircraft.eraseDropped != 0; });
    lf_saveAirportOnLeave();
}

void lf_saveAirportOnLeave() {
    if (g_airportFileUpdates != 0) gf_saveAirportFile();
    // The user's own values come back whenever the airport's were applied,
    // learned something or not.
    g_engineServices.restoreUserSettings();
    disableButtons(!INITIAL_LOAD_ONLY.value, true);
    {
        const std::lock_guard lock(g_parkAirportsMutex);
        g_parkAirport = AirportRecord{};
    }
    gf_setReaderParkAirport(ReaderParkAirport{});
    g_parkAirportText = std::string();
    g_parkFileNameText = std::string();
    g_parkPublisherText = std::string();
    g_qualityText = std::string();
    g_airportFileRead = false;
    g_standCount = 0;
    g_standUseUpdates = 0;
    g_standChangeShown = 0;
    g_staticCallsigns.building = false;
    showReservedStand(std::string());
    g_staticRemovals.clear();
    g_staticSlots.clear();
    gf_clearStands();
    platform::invalidateBand(kStatisticsBand);
    platform::invalidateBand(kControlsBand);
}

bool gf_checkParkAirports(bool check, std::string& text) {
    if (!lf_readMyParkAirports()) return false;
    text = "park airports and stands are okay";
    if (!check || !g_userOnGroundKnown || g_settingsLocked) return true;
    std::string listed;
    {
        const std::lock_guard lock(g_parkAirportsMutex);
        if (g_parkAirportList.empty() || !isParkAirport(g_parkAirportList.front())) return true;
        listed = g_parkAirportList.front().stand;
    }
    if (!gf_copyUserText(g_userStandText).empty() || listed.empty() || listed == g_reservedStand) return true;
    text = fmt::format("reserved stand changed from '{}' to '{}'", g_reservedStand, listed);
    if (Stand* old = standNamed(g_reservedStand)) old->excluded = 0;
    showReservedStand(listed);
    gf_clearReservedStand(listed);
    if (Stand* reserved = standNamed(listed)) reserved->excluded = 1;
    return true;
}

void gf_addParkAirport(const AirportCode& code, const GeoPoint& position) {
    const std::lock_guard lock(g_parkAirportsMutex);
    std::list<ParkAirportEntry>& list = g_parkAirportList;
    const auto known = std::find_if(list.begin(), list.end(), [&](const ParkAirportEntry& e) { return e.code == code; });
    if (known != list.end()) {
        list.splice(list.begin(), list, known);
        return;
    }
    list.push_front(ParkAirportEntry{"", position.lat, position.lon, 0.0, code});
    gf_addMyParkAirport();
}
