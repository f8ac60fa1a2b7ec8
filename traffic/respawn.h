// The respawn rule: an active aircraft whose identity, route or livery
// changed is removed and created again. Traffic thread.
#pragma once

#include "rtlink/traffic_record.h"
#include "traffic/aircraft_records.h"

// False when the record must not be decoded.
bool lf_respawn(LiveAc& aircraft, const StreamRecord& record);
// A buffered aircraft takes the record's origin, destination, callsign and registration.
void lf_mergeBufferedIdent(LiveAc& aircraft, const StreamRecord& record);
// Fills in or takes over the route; true when it changed.
bool lf_routeChanged(LiveAc& aircraft, const StreamRecord& record);
// True when the livery stays; takes the record's registration.
bool lf_identityUnchanged(LiveAc& aircraft, const StreamRecord& record);
// True when the record's registration calls for another livery.
bool lf_liveryByRegistration(LiveAc& aircraft, const StreamRecord& record);
// Forgets the livery so that the next spawn chooses livery and phase again.
void lf_resetLivery(LiveAc& aircraft);
// Removes the object while keeping the record (life state liveryrespawn);
// the aircraft is created again when its object is gone.
void liveryRespawn(LiveAc& aircraft);
