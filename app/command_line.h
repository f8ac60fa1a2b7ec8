// The program's command line.
#pragma once

#include <optional>
#include <string>
#include <vector>

// The production switch of the arguments after the program's name:
// "--production" or "/production" switch it on, "--no-production" or
// "/no-production" off, case ignored, the last one wins; none when no switch
// was given. Other arguments are ignored.
std::optional<bool> lf_productionSwitch(const std::vector<std::string>& arguments);
