// The fixed-width texts every log line about an aircraft uses.
#pragma once

#include <string>

#include "traffic/aircraft_records.h"

// "{:3}{:4} {:4}{:3}": airline code, ",{}" with the second airline's code
// when there is one, model code, "(C)" for cargo.
std::string gf_modelKeyText(const ModelKey& key);
// "{} {}": the identity text ("{:8} {:12} {:3}->{:3}": callsign,
// registration, route; eight blanks for no route) and the model key text.
std::string gf_acText(const AcBase& aircraft);
// "{:8} {} {}": callsign, registration, model key text.
std::string gf_acRegText(const AcBase& aircraft);
