// The traffic engine's job of one tick and the dispatch of the traffic
// records it takes from the adding stack. Traffic thread.
#pragma once

#include "rtlink/traffic_record.h"
#include "traffic/aircraft_records.h"

// lf_handleAddingStack (engine_jobs.h) runs, in this order: the AI-object
// events, every live aircraft's update with the compaction of erased
// records, the hand-over of the position blocks, the pacing of create and
// remove requests, at most two records of the adding stack, one spawn
// request, the requests to the simulator and RealTraffic, and g_tick + 1.

// One update of one live aircraft; true when its record is to be erased.
bool updateLiveAc(LiveAc& aircraft);
// Releases at most one removal every 10 ticks and one creation every 50
// (live before static) to the simulator link.
void lf_paceSimRequests();
// Every 100 ticks (20 with g_fastRangeRequests) asks the simulator for the
// aircraft within the radius; every 100 ticks sends the user's position to
// RealTraffic and refreshes g_userRef.
void lf_requestAcWithinRange();

// One traffic record: a new aircraft, or a sample for a known one.
void lf_dispatchStreamRecord(StreamRecord& record);
// The reports of the aircraft judged by now (with those after them, or at
// their time) and taken go to its samples.
void lf_passSettledReports(LiveAc& aircraft);
// Admission of a new aircraft: its registration may give another model;
// unknown models are dropped.
void lf_appendLiveAcWrapped(StreamRecord& record);
// Admission by size category and the altitude rule at the park airport;
// appends a buffered aircraft in phase birth.
void lf_appendLiveAc(StreamRecord& record);
// The altitude rule of admission: flying below 10000 ft within 108 ft of the
// park airport's elevation.
bool lf_nearFieldElevation(double altitudeFt);
// Of an aircraft not yet created, heard on the ground: a record flagged
// airborne slower than a fixed-wing aircraft flies (a flipped flag), which
// the altitude rule lets by.
bool lf_flippedOnTheGround(const LiveAc& aircraft, const StreamRecord& record);
