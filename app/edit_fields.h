// The three edit fields (the simulator's install path, the callsign to block
// and the destination airport) and the blocking that the "Block" and
// "Unblock" buttons share with them. The user confirms a field with Enter;
// invalid input never changes a setting: the status line names the problem
// and the field shows the stored value again.
#pragma once

#include <cstdint>
#include <string>

#include "app/commands.h"

// Enter in one of the three fields (the window consumes the key).
void lf_onEditEnter(WindowContext& window, const EditParam& field);
// The control's text as UTF-8; empty (and logged) when the control is
// missing or its text cannot be converted.
std::string lf_getTextFromId(ControlHost& controls, std::uint16_t id);

void lf_applyBlockCallsign(WindowContext& window);
// Ends the blocking of BLOCK_CALLSIGN, when one is set.
void lf_unblockLiveAc(WindowContext& window);
// "Block": blocks the callsign chosen in the list, without further checks.
void lf_setBlockCallsign(WindowContext& window, const std::string& callsign);

void lf_applyDestination(WindowContext& window);
// The outcome of a destination: 0 emptied, 1 not valid, 2 already set, 3 unknown.
void lf_checkDestination(WindowContext& window, int code, const std::string& text);

void lf_applyInstallPath(WindowContext& window, const std::string& text);
