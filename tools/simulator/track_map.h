// An SVG map of the user aircraft's and the AI objects' tracks, so a person
// can see at a glance where the program put its aircraft and how it moved
// them.
#pragma once

#include <string>

#include "tools/simulator/simulation.h"

namespace simulator {

std::string trackMapSvg(const Simulation& sim);

// Text made safe for an XML text node or attribute.
std::string xmlEscaped(std::string_view text);

}  // namespace simulator
