// The motion of one live aircraft in one tick: the steps set per sample are
// applied, the heading turns towards the wanted one, and the flare, the
// lowering of the nose after touch-down, the rotation and the climb-out run.
// Traffic thread; only additions, comparisons and one curve point per tick.
#pragma once

struct LiveAc;

void lf_followCurve(LiveAc& aircraft);
// Longitude into [-180, 180); a latitude beyond a pole folded back over it.
void gf_wrapPosition(double& lat, double& lon);
