// The records the traffic engine keeps for every aircraft and exchanges with
// the simulator link. Plain value types without virtual operations.
#pragma once

#include <cmath>
#include <cstdint>
#include <deque>
#include <limits>
#include <optional>
#include <string>
#include <string_view>

#include "foundation/fixed_code.h"
#include "traffic/model_key.h"
#include "traffic/size_category.h"

enum class AcPhase : std::uint32_t {
    pushing_back = 0,
    pushed_back = 1,
    taxi = 2,
    take_off = 3,
    flying = 4,
    parking = 5,
    parked = 6,
    birth = 7,
};

enum class AcLifeState : std::uint32_t {
    buffer = 0,           // known to the engine, not yet sent to the simulator
    adding2sim = 1,       // a create request is under way
    active = 2,           // the simulator object exists and is driven
    liveryrespawn = 3,    // removed so that it is created again
    removingfromsim = 4,  // a removal request is under way
};

enum class AcEventKind : std::uint32_t {
    liveCreated = 0,
    staticCreated = 1,
    removed = 2,
    onGround = 3,
    staticCgAndPitch = 4,
    removeBlocked = 5,
    createFailed = 6,
};

// The names used in log lines; an unknown value throws std::out_of_range.
std::string_view gf_phaseName(AcPhase phase);
std::string_view gf_lifeStateName(AcLifeState state);
std::string_view gf_sizeCategoryName(SizeCategory category);

// One position sample of a traffic record, queued per live aircraft.
struct PosSample {
    double lat = 0.0;            // degrees
    double lon = 0.0;            // degrees
    double altitudeFt = 0.0;     // exactly 0.0 means on the ground
    double groundSpeedKt = 0.0;
    double trackDeg = 0.0;       // as sent; 0.0 when absent
    double verticalSpeed = 0.0;  // feet per minute
    double trueAirspeedKt = 0.0;
    std::int32_t dueTick = 0;    // tick at which the sample is due
    // The tick at which the delayed stream had the aircraft here, as the
    // record came (0: not a record's); the due tick may be moved, this stays.
    std::int32_t streamTick = 0;
    float silenceS = 0.0F;  // how long the feed was quiet before the report (as the report gate took it)
    std::uint8_t airborne = 0;
    std::uint8_t stationary = 0;
    std::uint8_t adsbHeading = 0;      // the true heading came from an ADS-B datagram
    std::optional<double> bank;        // radians
    std::optional<double> trueHeading; // radians in (0, 2*pi]
};

// The identity of an aircraft: the first part of AcBase and of a traffic record.
struct AcIdent {
    ModelKey modelKey;
    ShortAirportCode origin;       // empty = none
    ShortAirportCode destination;  // empty = none
    std::uint8_t standUseChecked = 0;
    std::string callsign;
    std::string prevCallsign;
    std::string spareText;
    std::string registration;
};

// Moves the identity: the key, codes and flag by value, the strings by move
// (the source strings are left empty).
void gf_moveAcIdent(AcIdent& target, AcIdent& source);
void gf_destroyAcIdent(AcIdent& ident);

// The whole record of a static parked aircraft and the first part of a live one.
struct AcBase : AcIdent {
    double radiusNm = 0.0;        // half the wingspan
    double staticCgHeight = 0.0;  // feet, as the simulator reports it
    double staticPitch = 0.0;     // radians
    double takeOffPitch = 0.0;
    double climbPitch = 0.0;
    double turnRateBase = 0.0;
    double turnRate = 0.0;
    double climbPerTick = 0.0;  // feet per tick
    double taxiSpeedKt = 0.0;
    std::uint32_t hexId = 0;    // live: above 10000; static: 1 to 10000
    SizeCategory sizeCategory = SizeCategory::Light;
    std::string_view liveryTitle;  // owned by the livery list; empty = none yet
    std::int32_t flareSteps = 0;
    std::int32_t touchdownSteps = 0;
    std::int32_t rotationSteps = 0;
    std::int32_t climbOutSteps = 0;
    std::uint8_t fsltlTitle = 0;
    std::uint32_t objectId = 0;  // simulator object id; 0 = none
    double standLat = 0.0;
    double standLon = 0.0;
    double standHeading = 0.0;   // radians
    std::uint64_t parkedAt = 0;  // packed weekday and half-hour
    std::int32_t standId = 0;    // 0 = none
    AcLifeState lifeState = AcLifeState::buffer;
    std::uint32_t lastThrottle = 5;  // 5 = none yet
    std::uint32_t lastFlaps = 4;
    std::uint8_t standCargo = 0;
    std::uint8_t removeWhenCreated = 0;
    std::uint8_t eraseNow = 0;
    std::uint8_t eraseDropped = 0;
};

// Where a stream stands on its stand: the mean of so many of its reports.
inline constexpr int kStandReportsMeant = 8;

// The base of a static aircraft on a stand.
AcBase gf_newStaticAcBase(AcBase&& base, std::int32_t standId, double standLat, double standLon, double standHeading,
                          std::uint8_t standFlag);

// One quadratic Bezier taxi segment in a local flat frame around its origin.
struct GroundCurve {
    double originLat = 0.0, originLon = 0.0;
    double xStart = 0.0, xEnd = 1.0;
    double endNorthM = 0.0, endEastM = 0.0;
    double controlEastM = std::numeric_limits<double>::quiet_NaN();  // NaN: no curve
    double controlNorthM = std::numeric_limits<double>::quiet_NaN();
    double t = 0.0, tStep = 0.0;
    double angleDeg = 0.0;
};

struct LiveAc : AcBase {
    LiveAc(const PosSample& sample, AcBase&& base, double timestamp);

    // The body of the position block, in this order.
    double lat = 0.0, lon = 0.0;
    double pitch = 0.0, bank = 0.0, heading = 0.0;  // radians; heading in [0, 2*pi)
    double altitudeFt = 0.0;
    double verticalSpeedFts = 0.0;  // feet per second
    double trueAirspeedKt = 0.0;

    std::deque<PosSample> samples;  // front: the sample being reached
    double lastRecordTime = 0.0;
    double lastCheckedLat = 0.0, lastCheckedLon = 0.0;
    std::int64_t parkedSince = 0;  // system time, 100 ns units
    std::int32_t refillState = 0;
    std::uint32_t holdStartTick = 0;
    std::int32_t createSentTick = -1;  // when its create request left for the simulator; -1 = not sent
    std::uint32_t createSerial = 0;    // the serial of that request (SpawnRequest); 0 = none sent
    AcPhase phase = AcPhase::birth;
    AcPhase prevPhase = AcPhase::birth;
    std::uint8_t pathExtended = 0, groundMode = 0, hasFlightPlan = 0, nearUserDrop = 0, holding = 0;
    double latStep = 0.0, lonStep = 0.0, pitchStep = 0.0, bankStep = 0.0, headingStep = 0.0, climbStep = 0.0;
    double verticalSpeedFpm = 0.0;
    double targetTas = 0.0;
    GroundCurve curve;
    PosSample pushBackAltEnd;  // the other end of a push-back turn
    double lastSearchLat = 0.0, lastSearchLon = 0.0;
    std::int32_t maxAdvance = 1000;
    std::int32_t maxDelay = 1000;
    std::int32_t rotationCounter = 1;
    std::int32_t pushBackCountdown = 0;
    std::uint32_t awayCount = 0;
    double targetBearing = 0.0;
    double altAboveGround = 2500.0;
    double heightAboveAirport = 0.0;
    double touchdownHeading = 0.0;
    // Landed, it has rolled on the runway's way (touchdownHeading) since: one
    // whose stream rolled out ahead of it, after a pause of the feed say,
    // turns onto the runway first, and turns off only after that.
    std::uint8_t rolledOnTheWay = 1;
    double lastPushBackDist = 0.0;
    // Where the stream first stood once the aircraft's own push-back ended
    // (0, 0: it has not stood yet).
    double pushedStoodLat = 0.0, pushedStoodLon = 0.0;
    // The newest report heard while the aircraft's own push-back ran (none
    // is queued meanwhile): judged once the push ends, so that a stream that
    // taxied off during a long push is not waited for until its next report.
    std::optional<PosSample> heardWhilePushing;
    double standDistFirst = 0.0, standDistMax = 0.0;
    // Where the stream stands on the stand: the mean of its first reports
    // there that wander about it, and how many (0: no report on the stand yet).
    double standFirstLat = 0.0, standFirstLon = 0.0;
    std::uint8_t standReportsSeen = 0;
    double standWanderNm = 0.0;  // the farthest its reports wandered from there while it stood
    // How far its reports scatter about there (mean squared, m2, of those
    // that show no speed), and how many told it.
    double standScatterSqM = 0.0;
    std::uint32_t standReports = 0;
    // Standing reports in a row at one spot off where it stands, farther
    // than it wanders: scatter once the stream leaves that spot, a move if
    // it stays (their mean squared distance, m2, how many, and the first).
    double standSpotSqM = 0.0;
    std::uint32_t standSpotReports = 0;
    double standSpotLat = 0.0, standSpotLon = 0.0;
    double turnToBearingDeg = 0.0;
    double respawnHeading = 0.0;
    std::uint8_t respawnHeadingValid = 0;
    std::uint8_t respawnAirborne = 0, respawnStationary = 0, respawnAdsbHeading = 0;
    std::uint8_t turnSide[2] = {0, 0};
    double flareElevation = 0.0;
    std::uint8_t flareElevationKnown = 0;
    std::int32_t flareStage = 0;
    std::uint8_t approach = 0, wantsStand = 0, towed = 0, climbConfigured = 0, takeOffSeen = 0;
    std::uint8_t lightsHigh[2] = {0, 0};
    std::uint8_t noseDown = 0, landed = 0, leavingStand = 0, turningToBearing = 0;
    // Taxiing tail first: pushed or towed back from where it stood (it
    // stood still until it moved off), so far.
    std::uint8_t reversing = 0, stood = 0;
    double reversedM = 0.0;
    // A leave of the stand decided on the stream, while it waits for the
    // delayed stream: what tells a report back at the stand, and what a
    // called-off leave puts back.
    struct DecidedLeave {
        std::uint8_t standing = 0;    // decided on a report that showed no speed
        std::uint8_t afterPause = 0;  // on the first report after a pause of the feed
        std::uint8_t wantsStand = 0, towed = 0;
        std::int32_t refillState = 0;
        std::int32_t frontDueTick = 0;  // the front sample's (a parked path's extension)
        std::int32_t releaseTick = 0;   // when it goes with the delayed stream, once borne out
        double lat = 0.0, lon = 0.0;    // where the report that decided it put the aircraft
        std::int32_t streamTick = 0;    // that report's
    } decidedLeave;
    // The last report of a parked aircraft's stream that lay far off its
    // stand, the feed not quiet before it: one such report moves nothing;
    // the next one far off, going on from it, bears it out.
    std::optional<PosSample> farOffStand;
    // The stream's reports of where the aircraft is: those heard and not yet
    // judged, the last ones taken, and those dropped since (scatter, until
    // reports that go on from them for long enough show the stream there).
    struct ReportGate {
        struct Heard {
            PosSample report;
            double silenceS = 0.0;     // how long the feed was quiet before it
            std::int32_t heardTick = 0;  // when it came
            // The record heard just before it (one refused before the gate
            // too) showed the aircraft standing where the last report taken
            // put it.
            std::uint8_t afterAStandingOne = 0;
        };
        std::deque<Heard> queued;
        std::deque<PosSample> taken;
        std::deque<Heard> dropped;
        // Records refused before the gate (repeats of where it stands) heard
        // while reports wait: where the stream was meanwhile.
        std::deque<PosSample> refused;
        std::deque<PosSample> refusedSinceTaken;  // ... since the last report taken
        std::uint32_t ignored = 0;       // reports dropped
        std::uint32_t judgedTaken = 0;   // the newest reports taken that were judged (on the ground)
        std::int32_t lastHeardTick = 0;  // the stream tick of the last report heard, taken or not
        std::int32_t seenHereTick = 0;   // ... of the last one refused that put it where it can be
        std::int32_t lingeredTick = 0;   // ... of the last one refused that was judged after all
        double silenceS = 0.0;           // how long the feed was quiet before the newest report taken
        double droppedSilenceS = 0.0;    // the longest it was quiet before a report dropped since
        PosSample lastHeard;             // the last report heard (its stream tick 0: none yet)
    } reportGate;
    std::uint8_t lastSearchWide = 0;  // the last stand search at lastSearchLat/Lon was the wide one
    std::uint8_t speedRises = 0;      // reports in a row on the ground each faster than the one before
    std::uint8_t speedFalls = 0;      // on a take-off run, reports slower than the one before since a faster one
    std::uint8_t rollSlows = 0;       // the report before showed a roll slowing, slower than a take-off
    std::uint8_t makingUpAPause = 0;  // its leg on the ground makes up a pause of the feed
    std::uint8_t turnsAtTaxi = 0;     // its leg on the ground turns well off its nose: taxi speed at most
    std::uint8_t heldMoving = 0;      // it was moving when its hold for the stream began
    double legPaceKt = 0.0;           // the pace its last leg on the ground was timed at
};

// Stores the old phase in prevPhase first; a change to the same phase changes nothing.
void gf_setPhase(LiveAc& aircraft, AcPhase phase);

// One position block for the simulator: the 64-byte data block of AI positions
// and the object it is for.
struct PosUpdate {
    double lat = 0.0, lon = 0.0, pitch = 0.0, bank = 0.0, heading = 0.0, altitudeFt = 0.0, verticalSpeedFts = 0.0,
           trueAirspeedKt = 0.0;
    std::uint32_t objectId = 0;
};

// The simulator's initial-position structure (56 bytes on the wire).
struct InitPosition {
    double lat = 0.0, lon = 0.0, altitudeFt = 0.0;
    double pitchDeg = 0.0, bankDeg = 0.0, headingDeg = 0.0;
    std::uint32_t onGround = 0;
    std::uint32_t airspeed = 0;  // always 0
};

struct SpawnRequest {
    InitPosition position;
    std::string callsign;  // the object's tail number; recognises the created object
    std::string_view liveryTitle;
    std::uint32_t hexId = 0;
    // A live creation's serial, given when it leaves the engine (never 0):
    // the link reports it with the object, which tells the answer to an
    // aircraft's own creation from a late object of one given up before.
    std::uint32_t createSerial = 0;
};

struct AcEvent {
    std::uint32_t objectId = 0;
    std::uint32_t id = 0;
    std::uint32_t createSerial = 0;  // liveCreated: the serial of the creation it answers; else 0
    AcEventKind kind = AcEventKind::liveCreated;
    double value1 = 0.0;
    double value2 = 0.0;
};

// One entry of the created-objects list: the event it came from, with the
// third word as a per-tick counter (0 on entry, -1 = done).
struct CreatedEntry {
    std::uint32_t objectId = 0;
    std::uint32_t id = 0;
    std::int32_t counter = 0;
    AcEventKind kind = AcEventKind::liveCreated;  // liveCreated or staticCreated
    double value1 = 0.0;
    double value2 = 0.0;
};
