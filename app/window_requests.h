// The window's commands that act on the traffic thread's tables, carried out
// by the traffic thread: the window only records them (app/services/state.h).
#pragma once

// At the start of every tick, and of the run loop: adds the queued park
// airports, sets the navigation lights of parked aircraft after the check box
// changed, and removes the farthest active live aircraft while more are
// active than MAX_LIVE_SEL allows. Traffic thread.
void lf_runWindowRequests();
