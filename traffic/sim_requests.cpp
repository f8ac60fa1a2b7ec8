#include "traffic/sim_requests.h"

#include "simlink/request_queues.h"
#include "simlink/sim_ids.h"

namespace {

struct ControlsBlock {
    double spoilers = 0.0, throttle1 = 0.0, throttle2 = 0.0;
};

}  // namespace

SimRequests gf_librarySimRequests() {
    SimRequests requests;
    requests.setControls = [](std::uint32_t objectId, double spoilers, double throttle1, double throttle2) {
        const ControlsBlock block{spoilers, throttle1, throttle2};
        return gf_sendSimRequest("SimConnect set controls fails", [&](SimConnectClient* handle) {
            return SimConnect_SetDataOnSimObject(handle, DEF_SET_CONTROLS, objectId, 0, 0, sizeof block, &block);
        });
    };
    requests.requestStaticCg = [](std::uint32_t objectId) {
        return gf_sendSimRequest("SimConnect request StaticCG fails", [&](SimConnectClient* handle) {
            return SimConnect_RequestDataOnSimObject(handle, REQ_STATIC_CG, DEF_STATIC_CG, objectId,
                                                     simconnect::kPeriodOnce);
        });
    };
    requests.setFlightPlan = [](std::uint32_t objectId, const std::string& pathText) -> std::int32_t {
        const std::lock_guard lock(g_simQueueMutex);
        SimConnectClient* const handle = g_simHandle.load();
        if (handle == nullptr) return simconnect::kEFail;
        return SimConnect_AISetAircraftFlightPlan(handle, objectId, pathText.c_str(), REQ_FLIGHT_PLAN);
    };
    requests.requestAiInRange = [](std::uint32_t radiusMeters) {
        return gf_sendSimRequest("SimConnect request ac within range fails", [&](SimConnectClient* handle) {
            return SimConnect_RequestDataOnSimObjectType(handle, REQ_AI_IN_RANGE, DEF_AI_IN_RANGE, radiusMeters,
                                                         simconnect::kSimObjectTypeAircraft);
        });
    };
    return requests;
}

SimRequests g_simRequests = gf_librarySimRequests();
