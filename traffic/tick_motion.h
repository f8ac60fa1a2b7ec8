// The motion of one live aircraft in one tick: the steps set per sample are
// applied (on the ground the way the nose points, slowing while it turns),
// the heading turns towards the wanted one, and the flare, the lowering of
// the nose after touch-down, the rotation and the climb-out run. Traffic
// thread; a few additions, comparisons, one direction and at most two curve
// points per tick.
#pragma once

struct LiveAc;

void lf_followCurve(LiveAc& aircraft);
// Longitude into [-180, 180); a latitude beyond a pole folded back over it.
void gf_wrapPosition(double& lat, double& lon);
