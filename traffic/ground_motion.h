// Movement on the ground, called once per sample by the motion in the air
// (for aircraft in groundMode) and per tick for the taxi curve: the ground
// branch of a sample step, the ground configuration, the re-timing of the
// next sample, the point on the taxi curve, and the arrival at a stand.
#pragma once

#include "foundation/geodesy.h"

struct GroundCurve;
struct LiveAc;

void nextPosGround(LiveAc& aircraft);
void lf_configureOnGround(LiveAc& aircraft);
void lf_scheduleNextSample(LiveAc& aircraft);
// The point and the heading (radians, [0, 2*pi)) at x on the curve; false
// without a curve or outside its x range.
bool gf_curvePoint(const GroundCurve& curve, GeoPoint& position, double& heading, double x);
// An aircraft driving to its stand has run out of samples.
void lf_towedParks(LiveAc& aircraft);
