// Movement on the ground: the ground branch of a sample step, the ground
// configuration, the re-timing of the next sample and the point on the taxi
// curve (called by the motion in the air for aircraft in groundMode), and the
// rules that the spawn and the user clearance share.
#pragma once

#include <cmath>
#include <cstdint>

#include "foundation/geodesy.h"
#include "traffic/aircraft_records.h"
#include "traffic/motion_math.h"

// |to - from| in degrees, the short way round: in [0, 180].
inline double gf_headingDifferenceDeg(double fromRad, double toRad) {
    return std::fabs(gf_normaliseRad(toRad - fromRad)) * kRadToDeg;
}

void nextPosGround(LiveAc& aircraft);
// How fast aircraft of a category taxi at most (kt): 30, a light aircraft
// 20, a helicopter 40.
double gf_taxiCeilingKt(SizeCategory category);
// The speed (kt) at which the stream went from one sample to the next: the
// faster of their speed fields and of the speed their positions and stream
// ticks show (a field may be stale, 0 on a moving aircraft, say); from a
// sample of the aircraft's own, the speed the reports taken up to the next
// show.
double gf_streamSpeedKt(const LiveAc& aircraft, const PosSample& from, const PosSample& to);
// Whether the leg from a standing sample (where the aircraft waited) to the
// next bridges a pause of the feed of 20 s or more (the feed was that quiet
// before the next), for an aircraft on no roll (one come to rest after its
// landing is on none).
bool gf_bridgesAPause(const LiveAc& aircraft, const PosSample& from, const PosSample& to);
// A take-off seen while the aircraft makes up a pause of the feed at taxi
// speed: the leg under way is timed anew at the roll's pace.
void gf_retimeLegForARoll(LiveAc& aircraft);
// A take-off just seen while the aircraft, lined up, rolls to the report
// the stream resumed with after a pause of the feed: the leg is timed at
// the run's pace at least, the fastest of the reports queued up to the
// first in the air.
void gf_hurryTheRun(LiveAc& aircraft);
// A sample taken while the aircraft is behind the delayed stream on the
// ground (it waited out a pause of the feed, say): the leg under way is
// timed anew at twice the pace the stream shows from its target on (taxi
// speed at most) when that brings it there sooner.
void gf_retimeLegForTheStreamsPace(LiveAc& aircraft);
// A sample faster than the aircraft taxis, queued while it makes up a pause
// of the feed still short of where it lines up: the leg under way is timed
// anew at taxi speed.
void gf_retimeLegForARunAhead(LiveAc& aircraft, const PosSample& sample);
// A take-off seen after the report the aircraft makes up a pause of the feed
// towards, across the field beside the run's line: it turns onto the line
// at the nearest point first (a sample of its own, at taxi speed); the run
// goes on along it.
void gf_joinTheRunAhead(LiveAc& aircraft);
// Making up a pause of the feed towards the report the stream resumed with,
// the aircraft learns the stream taxied on from there back towards it: it
// heads for the newest such report, not round by where the stream resumed.
void gf_meetTheStream(LiveAc& aircraft);
// The speed the positions of the queued samples show from sample `from` to
// the first one ten seconds or more of the stream later (0: none that far),
// over taxi speed only where the stream's fields on the way show a roll.
double gf_streamSpeedOnKt(const LiveAc& aircraft, std::size_t from);
// The speed positions show (`shownKt`) as far as it counts beside the speed
// fields: no faster than the aircraft taxis, or a quarter faster than the
// fields when they show more. One report off the way (a stray, a jump of the
// feed) must not lift the pace.
double gf_positionsSpeedKt(const LiveAc& aircraft, double fieldsKt, double shownKt);
// Whether the aircraft is on a roll of its own: rolling out after its
// landing, or on its take-off run.
bool gf_onItsOwnRoll(const LiveAc& aircraft);
// `kt` from speed fields, as far as the positions bear it out: off a roll
// of its own (rolling out, taking off) an aircraft whose stream's positions
// from `from` to `to` show no more than taxi speed (`shownKt`) while its
// fields do not rise (a take-off run's do) taxies, whatever the fields say:
// they are stale (the last roll-out speed read on after a pause, say).
// Fields that rise across a pause to a report the aircraft is not lined up
// for are a run it has yet to taxi to.
double gf_fieldsBorneOutKt(const LiveAc& aircraft, const PosSample& from, const PosSample& to, double kt,
                           double shownKt);
// The fastest (kt) an aircraft on the ground may go while its stream shows
// `streamKt`: twice the stream's speed (5 kt at least: a speed field may be
// stale) to make up lost time, but no faster than its category taxis, and
// faster than that only as fast as the stream itself (on the runway's
// take-off or landing roll; never a helicopter, which lifts off instead).
// An aircraft that cannot catch up so stays behind.
double gf_groundCeilingKt(const LiveAc& aircraft, double streamKt);
// How fast (kt) the aircraft itself goes on the ground now: its step along
// its way (along the curve it is on), whatever the speed fields of its
// samples say.
double gf_ownGroundSpeedKt(const LiveAc& aircraft);
// The configuration for the leg from the sample just reached, which the
// aircraft came to at `arrivedKt` (0: standing, or not known).
void lf_configureOnGround(LiveAc& aircraft, double arrivedKt = 0.0);
void lf_scheduleNextSample(LiveAc& aircraft);
// The point and the heading (radians, [0, 2*pi)) at x on the curve; false
// without a curve or outside its x range.
bool gf_curvePoint(const GroundCurve& curve, GeoPoint& position, double& heading, double x);
// The curve's length in metres between two values of its parameter.
double gf_curveLengthM(const GroundCurve& curve, double from, double to);
// The parameter `share` of the curve's whole length on from t. The
// parameter itself runs fast where the control point lies far and slowly
// where it lies close: stepping it evenly would crawl away from a sample
// close behind the control point and then race to a far one.
double gf_curveAdvance(const GroundCurve& curve, double t, double share);

// The taxi curve from the aircraft's position through s1 (its control
// point, taken out of the queue) to s2.
void lf_buildCurve(LiveAc& aircraft);
// A curve's control point as the curve should have it: brought towards the
// line ahead of the nose (behind the tail when pushed), by 10 m at most, so
// the curve leaves the way the aircraft points and a noisy or coarse stream
// turns into a smooth way rather than a turn on the spot at every sample;
// kept where it is when it lies off to the side or behind.
GeoPoint lf_controlAhead(const LiveAc& aircraft, const GeoPoint& control);
// A curve from the aircraft's position through the control point to the end
// (its parameter at the start; its step and angle are the caller's).
void gf_setCurve(LiveAc& aircraft, const GeoPoint& control, const GeoPoint& end);
// A sample half way between s0 and s1 becomes the new s1.
void lf_insertMidSample(LiveAc& aircraft);
// A mid sample where s0 and s1 differ much in speed and lie far apart.
void lf_checkSpeedChange(LiveAc& aircraft);
// True when the curve holds a control point.
bool gf_hasCurve(const GroundCurve& curve);
// No curve: NaN control point and x range, parameter 0.
void gf_clearCurve(GroundCurve& curve);

// The rotation starts (the climb-out follows in the per-tick motion).
void lf_takeOff(LiveAc& aircraft);
// The stream shows a take-off: the aircraft is configured for it.
void lf_towedTakeOff(LiveAc& aircraft);
// Take-off seen: throttle and spoilers as given, flaps 1, lights for the
// runway, no approach, no stand wanted, a wide delay window.
void gf_armForTakeOff(LiveAc& aircraft, std::uint32_t throttle, std::uint32_t spoilers);
// Every queued sample after the front is at the category's take-off speed.
bool lf_takeOffSpeedReached(const LiveAc& aircraft);
// The category's take-off speed in knots; an unknown category throws
// std::out_of_range("invalid unordered_map<K, T> key").
double gf_takeOffSpeedKt(SizeCategory category);

// Removes the aircraft when it lies ahead of the user aircraft within the
// row's distance, altitude difference and lateral offset (row 0: 4 nm,
// 1000 ft, 700 ft; row 1: 6 nm, 3000 ft, 4000 ft). True when removed.
bool lf_removeNearUser(LiveAc& aircraft, int row);
