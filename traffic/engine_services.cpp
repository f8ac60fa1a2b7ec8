#include "traffic/engine_services.h"

#include <chrono>

#include "airports/airport_services.h"
#include "liveries/livery_services.h"
#include "rtlink/command_link.h"
#include "settings/parameter_store.h"
#include "simlink/request_queues.h"
#include "simlink/sim_ids.h"

namespace {
std::int64_t systemClock100ns() {
    using Ticks = std::chrono::duration<std::int64_t, std::ratio<1, 10'000'000>>;
    return std::chrono::duration_cast<Ticks>(std::chrono::system_clock::now().time_since_epoch()).count();
}
}  // namespace

EngineServices gf_engineServices() {
    EngineServices services;
    services.matchLiveryLive = gf_matchLiveryLive;
    services.liveryTitleForRegistration = gf_liveryTitleForRegistration;
    services.matchLiveryParked = gf_matchLiveryParked;
    services.findStandNear = gf_findStandNear;
    services.standNameAt = gf_standNameAt;
    services.addRealStandOption = lf_addRealStandOption;
    services.requestAcWithinRange = [](std::uint32_t radiusMeters) {
        gf_sendSimRequest("SimConnect request ac within range fails", [radiusMeters](SimConnectClient* handle) {
            return SimConnect_RequestDataOnSimObjectType(handle, REQ_AI_IN_RANGE, DEF_AI_IN_RANGE, radiusMeters,
                                                         simconnect::kSimObjectTypeAircraft);
        });
    };
    services.requestStaticCg = [](std::uint32_t objectId) {
        gf_sendSimRequest("SimConnect request StaticCG fails", [objectId](SimConnectClient* handle) {
            return SimConnect_RequestDataOnSimObject(handle, REQ_STATIC_CG, DEF_STATIC_CG, objectId,
                                                     simconnect::kPeriodOnce);
        });
    };
    services.requestUserPosition = gf_requestUserPosition;
    services.setControls = [](std::uint32_t objectId, double spoilers, double throttle1, double throttle2) {
        const double block[] = {spoilers, throttle1, throttle2};
        gf_sendSimRequest("SimConnect set controls fails", [&](SimConnectClient* handle) {
            return SimConnect_SetDataOnSimObject(handle, DEF_SET_CONTROLS, objectId, 0, 0, sizeof block, block);
        });
    };
    services.setFlightPlan = [](std::uint32_t objectId, const std::string& pathText) -> std::int32_t {
        // Under the request mutex, but a refused plan is no link failure.
        const std::lock_guard lock(g_simQueueMutex);
        SimConnectClient* const handle = g_simHandle.load();
        if (handle == nullptr) return simconnect::kEFail;
        return SimConnect_AISetAircraftFlightPlan(handle, objectId, pathText.c_str(), REQ_FLIGHT_PLAN);
    };
    services.sendRtAreaRequest = gf_sendRtAreaRequest;
    services.restoreUserSettings = [] { gf_applyChangedParams(); };
    services.systemTime100ns = systemClock100ns;
    return services;
}

EngineServices g_engineServices = gf_engineServices();
