// The park airport's own values of the eight per-airport settings: taken
// from its learned file, or adapted to what is known of its stands. They
// hold for the run only; the user's values come back when the airport is
// left (g_globalSettingsBackup).
#pragma once

#include <pugixml.hpp>

#include "airports/state.h"

// Applies each setting the learned file holds (parking_percentage becomes 30
// when it holds none), updating its control and logging it.
void lf_applyLearnedSettings(const pugi::xml_node& document);
// Without a learned file: little real but some soft use switches PARK_SOFT
// and WEEK on and MAX_FIT to 24 hours, much real use switches both off; the
// parking percentage follows the airport list's stand class.
void lf_adaptSettingsToAirport(const QualityFactors& quality, const AirportCode& code);
