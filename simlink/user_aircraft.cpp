#include "simlink/user_aircraft.h"

#include <fmt/format.h>

#include <chrono>
#include <cmath>
#include <mutex>
#include <stdexcept>

#include "app/services/run_flags.h"
#include "app/services/status_line.h"
#include "foundation/geodesy.h"
#include "foundation/log.h"
#include "foundation/user_error.h"
#include "refdata/code_tables.h"
#include "refdata/state.h"
#include "rtlink/state.h"
#include "simlink/dispatch.h"
#include "simlink/sim_ids.h"
#include "traffic/state.h"

using namespace simconnect;

namespace {

constexpr std::size_t kUserStateSize = 96;
constexpr std::size_t kMaxTitleCharacters = 48;
constexpr double kJumpNm = 10.0;
constexpr double kStandingStillKt = 2.0;

// The simulator reports (0, 0) until it knows the user aircraft.
bool isNoPosition(double lat, double lon) { return std::abs(lat) <= 0.0001 && std::abs(lon) <= 0.0001; }

std::optional<UserState> readUserState(std::span<const std::byte> block) {
    if (block.size() < kUserStateSize) return std::nullopt;
    UserState s;
    double* const values[] = {&s.lat, &s.lon, &s.pitch, &s.bank, &s.heading, &s.altitudeFt, &s.altAboveGroundFt,
                              &s.groundVelocityKt};
    std::size_t offset = 0;
    for (double* value : values) {
        *value = *blockFloat64(block, offset);
        offset += 8;
    }
    for (std::int64_t* value : {&s.zuluTime, &s.zuluDayOfYear, &s.zuluYear, &s.lightStates}) {
        *value = *blockInt64(block, offset);
        offset += 8;
    }
    return s;
}

void setPainted(std::string& text, const std::string& value) {
    {
        const std::lock_guard lock(g_userStateMutex);
        text = value;
    }
    lf_repaintStatusBand();
}

void onStaticCg(const RecvSimObjectData& data) {
    const auto cg = blockFloat64(data.data, 0);
    const auto pitch = blockFloat64(data.data, 8);
    if (!cg || !pitch) return lf_logShortMessage(static_cast<std::uint32_t>(RecvId::SimObjectData), 40 + data.data.size());
    gf_pushAcEvent({data.objectId, 0, 0, AcEventKind::staticCgAndPitch, *cg, *pitch});
}

void onUserOnGround(std::span<const std::byte> block) {
    const auto onGround = blockInt64(block, 0);
    if (!onGround) return lf_logShortMessage(static_cast<std::uint32_t>(RecvId::SimObjectData), 40 + block.size());
    if (!isNoPosition(g_userState.lat, g_userState.lon)) {
        g_userOnGround.store(static_cast<std::uint32_t>(*onGround) != 0);
        g_userOnGroundKnown.store(true);
    }
    g_newUserSample.store(true);
}

void onUserStand(const GeoPoint& position) {
    const std::string name = gf_standNameAt(position);
    if (!name.empty() && name != g_lastUserStand)
        setPainted(g_userStandText, name);
    else if (name.empty() && !g_lastUserStand.empty())
        setPainted(g_userStandText, std::string());
    g_lastUserStand = name;
}

void onUserState(const RecvSimObjectData& data) {
    auto state = readUserState(data.data);
    if (!state) return lf_logShortMessage(static_cast<std::uint32_t>(RecvId::SimObjectData), 40 + data.data.size());
    if (state->altitudeFt < 0.0) state->altitudeFt = 0.0;
    {
        const std::lock_guard lock(g_userStateMutex);
        g_userState = *state;
    }
    const GeoPoint position{state->lat, state->lon};
    if (!isNoPosition(g_prevUserPos.lat, g_prevUserPos.lon) && !isNoPosition(position.lat, position.lon) &&
        gf_distanceNm(g_prevUserPos, position) > kJumpNm) {
        gf_log("Teleport");
        gf_requestStop(ExitReason::NewFlight, 30);
    }
    g_prevUserPos = position;
    onUserStand(position);
    if (g_rtLevel2.load())
        if (const auto epoch = lf_simTimeEpoch(*state)) g_simTimeEpoch.store(*epoch);
    g_userObjectId.store(data.objectId);
}

// The model code a title of a known add-on stands for, or "".
std::string modelFromTitle(const std::string& title) {
    if (title.size() < 13) return {};
    const std::string head = title.substr(0, 13);
    if (head == "Aerosoft A319") return "A319";
    if (head == "Aerosoft A320") return "A320";
    if (head == "Aerosoft A321") return "A321";
    return {};
}

void userModel(std::span<const std::byte> block) {
    const auto raw = blockString32(block, 0);
    if (!raw) throw std::runtime_error("the ATC MODEL block is cut short");
    if (raw->empty())
        throw vlt::UserErrorException(71, "atc_model= in [General] section of your aircraft.cfg is empty or missing");
    std::string model = *raw;
    gf_logContinued(fmt::format("model raw: {}", model));
    std::string line = "SimConnect: User aircraft model: " + model;

    if (model.find("camerapod") != std::string::npos || model.find("Crew Vessel") != std::string::npos) {
        g_userSizeKnown.store(true);
        lf_repaintStatusBand();
        g_userHalfSpan.store(hwsp(gf_modelId("E190")));
        g_userHalfSpanSet.store(true);
        g_userCategory.store(SizeCategory::Light);
        gf_logContinued(line);
        return;
    }

    // A span of 0 is a model the data base has no wingspan for: as unknown
    // as a model code too long to be one.
    const double maxSpan = g_maxHalfSpan;
    double span = model.size() < 5 ? hwsp(gf_modelId(model)) : maxSpan;
    if (span == 0.0) span = maxSpan;
    bool known = span != maxSpan;
    if (!known) {
        const std::string deduced = modelFromTitle(gf_copyUserText(g_userTitle));
        if (!deduced.empty()) {
            model = deduced;
            line = "SimConnect: User aircraft model deduced from title: " + model;
            span = hwsp(gf_modelId(model));
            known = span != 0.0;
            if (!known) span = maxSpan;
        }
    }
    g_userHalfSpan.store(span);
    g_userHalfSpanSet.store(true);

    g_userSizeKnown.store(known);
    lf_repaintStatusBand();
    if (known)
        line += fmt::format(", half wing span: {:.1F} meter", span * kMetersPerNm);
    else
        gf_setStatus("User aircraft wing span unknown, max is taken instead, please report in my Forum!", true);
    const SizeCategory category = gf_modelCategory(gf_modelId(model));
    g_userCategory.store(category);
    line += fmt::format(", category: {}", gf_sizeCategoryName(category));
    gf_logContinued(line);
}

}  // namespace

void lf_onSimObjectData(const RecvSimObjectData& data) {
    switch (data.requestId) {
        case REQ_STATIC_CG: onStaticCg(data); break;
        case REQ_USER_TITLE: lf_onUserTitle(data.data); break;
        case REQ_USER_MODEL: lf_onUserModel(data.data); break;
        case REQ_USER_ON_GROUND: onUserOnGround(data.data); break;
        case REQ_USER_STATE: onUserState(data); break;
        default: break;
    }
}

void lf_onUserTitle(std::span<const std::byte> block) {
    const auto raw = blockStringV(block, 0);
    if (!raw || raw->empty()) {
        gf_log("! Title of your aircraft is empty?");
        return;
    }
    const std::string title = lf_firstCharacters(*raw, kMaxTitleCharacters);
    if (title == g_userTitle) return;  // the client thread is its only writer
    setPainted(g_userTitle, title);
    gf_logContinued("SimConnect: User aircraft title: " + title);
}

void lf_onUserModel(std::span<const std::byte> block) {
    try {
        userModel(block);
    } catch (const vlt::UserErrorException&) {
        throw;
    } catch (...) {
        throw vlt::UserErrorException(73, "It looks like you have not selected an aircraft as user vehicle");
    }
}

void gf_saveUserParkStand() {
    if (!g_userOnGroundKnown.load()) return;
    const UserState user = gf_copyUserState();
    if (user.groundVelocityKt > kStandingStillKt) return;
    const std::string stand = gf_standNameAt({user.lat, user.lon});
    if (stand.empty()) return;
    const std::lock_guard lock(g_parkAirportsMutex);
    if (lf_takeUserParkStand(g_parkAirportList, g_parkAirport, stand)) gf_addMyParkAirport();
}

bool lf_takeUserParkStand(std::list<ParkAirportEntry>& list, const AirportRecord& parkAirport,
                          const std::string& standName) {
    if (list.empty() || !parkAirport.code.isSet() || list.front().code != parkAirport.code) return false;
    if (list.front().stand == standName) return false;
    list.front().stand = standName;
    return true;
}

std::optional<std::int64_t> lf_simTimeEpoch(const UserState& state) {
    if (state.zuluYear < 1970 || state.zuluYear > 9999 || state.zuluDayOfYear < 1 || state.zuluDayOfYear > 366 ||
        state.zuluTime < 0 || state.zuluTime > 86400)
        return std::nullopt;
    using namespace std::chrono;
    const sys_days newYear = year{static_cast<int>(state.zuluYear)} / January / 1;
    const std::int64_t days = newYear.time_since_epoch().count() + state.zuluDayOfYear - 1;
    return days * 86400 + state.zuluTime;
}

std::string lf_firstCharacters(const std::string& text, std::size_t count) {
    std::size_t end = 0;
    for (std::size_t characters = 0; end < text.size() && characters < count; ++characters) {
        ++end;  // past the lead byte, then past its continuation bytes
        while (end < text.size() && (static_cast<unsigned char>(text[end]) & 0xC0) == 0x80) ++end;
    }
    return text.substr(0, end);
}
