// Every message the simulator sends arrives in lf_dispatchProc, on the
// simulator client thread inside SimConnect_CallDispatch. The handlers here
// follow the simulator's state, check that it is the expected Prepar3D, and
// match new AI objects to the program's creations; the user aircraft's data
// is handled in user_aircraft.h.
#pragma once

#include <cstddef>
#include <cstdint>

#include "simlink/simconnect/received_messages.h"

// The dispatch callback; ignores a null message. Throws
// vlt::UserErrorException (71, 73, 78, 95) for what ends the link.
void lf_dispatchProc(const std::byte* message, std::uint32_t size, void* context);

void lf_onException(const simconnect::RecvException& exception);
// Throws vlt::UserErrorException 78 for a simulator that is not the
// Prepar3D version the user runs.
void lf_onOpen(const simconnect::RecvOpen& open);
// Answers to the request for the aircraft within the radius.
void lf_onSimObjectDataByType(const simconnect::RecvSimObjectData& data);

// A message too short for the fields its handler reads is logged and skipped.
void lf_logShortMessage(std::uint32_t id, std::size_t size);
