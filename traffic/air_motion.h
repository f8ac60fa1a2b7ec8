// Motion of an active live aircraft from sample to sample: when the front
// sample falls due, nextPosMain keeps at least two samples queued (holding
// or extending the path when the stream runs dry) and steps to the next one,
// setting the per-tick steps of position, heading, bank, pitch and altitude,
// re-timing the next sample and queuing the configuration events that suit
// the phase, height and vertical speed. Traffic thread.
//
// s0 is the front sample (the one just reached), s1 the next, s2 the one
// after. "dt" to a sample is max(its due tick - g_tick, 25).
#pragma once

#include <cstddef>
#include <cstdint>

struct LiveAc;
struct PosSample;

// Logs an escaping exception with the aircraft and throws it on.
void nextPosMain(LiveAc& aircraft);
void lf_stepSample(LiveAc& aircraft);
// The speed (kt) from s0 to s1: the mean of their ground speeds, or from
// their distance and due ticks when both stand still.
double gf_sampleSpeed(const LiveAc& aircraft);
// Re-times s1 by the distance from s0 at the sample speed.
void lf_nextPosAir(LiveAc& aircraft);
// s1 due in `ticks`, kept within the delay window around its own due tick
// unless a hold or extension is in place; never before g_tick.
void lf_setNextDue(LiveAc& aircraft, std::int32_t ticks);
// The per-sample configuration in the air, towards s1.
void lf_configureInAir(LiveAc& aircraft);
// The turn (radians, [-pi, pi]) from the heading to the bearing s1 -> s2; 0
// with fewer than three samples.
double gf_turnAngle(const LiveAc& aircraft);
void lf_bankStep(LiveAc& aircraft, double turnRad, std::int32_t ticks);
void lf_climbStepFromNext(LiveAc& aircraft);
// Drops the samples between s0 and sample k-1 when that one is airborne.
bool lf_cutToAirborne(LiveAc& aircraft, std::size_t k);
// The descent (ft/min) on approach, corrected for the QNH.
double lf_approachVs(const LiveAc& aircraft);
void lf_configureBelow10000(LiveAc& aircraft, const PosSample& front);
void lf_configureApproach(LiveAc& aircraft, const PosSample& front);
// maxAdvance and maxDelay each down by 100 while above 1000.
void gf_decayDelayWindow(LiveAc& aircraft);
