#include "app/paint_state.h"

#include <fmt/format.h>

#include <mutex>

#include <algorithm>

#include "airports/state.h"
#include "app/run_jobs.h"
#include "app/services/state.h"
#include "app/services/status_line.h"
#include "rtlink/state.h"
#include "settings/program_version.h"
#include "traffic/state.h"
#include "settings/settings.h"
#include "simlink/state.h"

PaintState lf_capturePaintState(ControlHost& controls) {
    PaintState s;
    s.programVersion = fmt::format("{}.{}.{}", g_programVersion.major, g_programVersion.minor, g_programVersion.patch);

    s.simConnected = g_simConnected;
    s.simRunning = g_simRunningShown;
    s.userSizeKnown = g_userSizeKnown;
    s.simName = gf_copyUserText(g_simNameText);
    s.userTitle = gf_copyUserText(g_userTitle);
    s.userStand = gf_copyUserText(g_userStandText);
    s.rtActive = g_rtActive;
    s.rtBlocked = g_rtDisplayBlocked;
    s.rtVersion = g_rtVersionText.get();
    s.trafficReader = gf_readerStatus(ReaderId::traffic);
    s.qnhReader = gf_readerStatus(ReaderId::qnh);
    s.qnh = g_shownQnh;
    s.liveCount = g_liveCount;
    s.liveryCount = g_liveryCount;
    s.simAddonCount = g_simAddonAirportCount;
    s.thirdPartyCount = g_thirdPartyAirportCount;

    s.scanLiveries = SCAN_LIVERIES.value;
    s.scanAirports = SCAN_AIRPORTS.value;
    s.aerowinx = AEROWINX.value;
    s.guidChanges = GUID_CHANGES.value;
    s.autoRange = AUTO_RANGE.value;
    s.airborneOnly = AIRBORNE_ONLY.value;
    s.straightPushBacksOnly = STRAIGHT_PBS_ONLY.value;
    s.initialLoadOnly = INITIAL_LOAD_ONLY.value;
    s.maxParkSel = MAX_PARK_SEL.value;
    s.maxLiveSel = MAX_LIVE_SEL.value;
    s.settingsLocked = g_settingsLocked;
    s.lightAircraftEnabled = controls.isEnabled(LIGHT_AIRCRAFT.controlId);
    s.helicoptersEnabled = controls.isEnabled(HELICOPTERS.controlId);
    s.highPerfEnabled = controls.isEnabled(HIGH_PERF_AIRCRAFT.controlId);
    s.mailHint = g_tbloFileCount > 0;
    s.parkFileLoaded = g_runJobs.parkFileLoaded();
    s.staticUpdateMinutes = g_staticUpdateMinutesShown;

    s.parkAirportText = g_parkAirportText.get();
    s.parkFileRead = s.parkFileLoaded;
    s.parkFileFromHistory = g_handmade;
    s.detailText1 = g_parkPublisherText.get();
    s.detailText2 = g_parkFileNameText.get();
    s.detailText3 = g_qualityText.get();
    s.trafficWeek = g_rtTrafficWeek;
    s.staticPass = g_staticPassShown;
    s.weekPass = g_weekPassShown;
    s.reservedStand = g_reservedStandShown.get();
    s.reservedStandConfirmed = g_reservedStandConfirmed;
    s.standUseUpdates = g_standChangeShown;
    s.standCount = static_cast<std::uint64_t>(std::max<std::int64_t>(0, g_standCount.load()));
    s.parkedLiveCount = g_parkedLiveCount;
    s.staticCount = g_staticCount;
    s.staticReplacedCount = g_staticReplacedCount;
    s.liveFitAverage = g_liveMeanParkedHours;
    s.staticFitAverage = g_meanParkedHours;
    s.maxPark = static_cast<std::uint64_t>(std::max(g_maxPark.load(), 0));
    s.maxParkPercent = g_maxParkPercent;

    const std::lock_guard lock(g_statusMutex);
    s.statusText = g_statusText;
    s.errorText = g_errorText;
    return s;
}
