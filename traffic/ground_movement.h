// Movement on the ground: the ground branch of a sample step, the ground
// configuration, the re-timing of the next sample and the point on the taxi
// curve (called by the motion in the air for aircraft in groundMode), and the
// rules that the spawn and the user clearance share.
#pragma once

#include "foundation/geodesy.h"
#include "traffic/aircraft_records.h"

void nextPosGround(LiveAc& aircraft);
void lf_configureOnGround(LiveAc& aircraft);
void lf_scheduleNextSample(LiveAc& aircraft);
// The point and the heading (radians, [0, 2*pi)) at x on the curve; false
// without a curve or outside its x range.
bool gf_curvePoint(const GroundCurve& curve, GeoPoint& position, double& heading, double x);

// Removes the aircraft when it lies ahead of the user aircraft within the
// row's distance, altitude difference and lateral offset (row 0: 4 nm,
// 1000 ft, 700 ft; row 1: 6 nm, 3000 ft, 4000 ft). True when removed.
bool lf_removeNearUser(LiveAc& aircraft, int row);
