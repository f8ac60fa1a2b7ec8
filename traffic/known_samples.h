// Samples of traffic records for aircraft already in the table: whether a
// new sample joins the queue, is changed first, replaces queued samples or
// ends the aircraft's life. Traffic thread.
#pragma once

#include "traffic/aircraft_records.h"

// Queues (or changes, replaces or refuses) the new sample of a known
// aircraft; may remove the aircraft. Escaping exceptions are logged and
// thrown on.
void decodeExisting(LiveAc& aircraft, PosSample sample);
// True when the sample may be queued in the aircraft's phase; may change the
// sample, the phase and the queue.
bool checkExtendingSituations(LiveAc& aircraft, PosSample& sample);
// The rule while the aircraft is on approach or has landed.
bool checkNewPosDuringLanding(LiveAc& aircraft, PosSample& sample);
// The general plausibility rule; sets the sample's stationary flag.
bool lf_landingCheck(LiveAc& aircraft, PosSample& sample);
// The stream shows a parked (or parking) aircraft moving off its stand.
void lf_leaveStand(LiveAc& aircraft, PosSample& sample);
// A taxiing aircraft just created whose queued stream already slows down
// from a roll rolls out.
void lf_rollOutFromTheQueue(LiveAc& aircraft);

// After activity: no hold or extension, maxAdvance 3000 and maxDelay 5000
// once a take-off was seen, else 3000.
void gf_restoreDelayWindow(LiveAc& aircraft);
// The front sample (a hold sample) falls due on the next tick.
void gf_releaseHoldSample(LiveAc& aircraft);
