// The livery categories: per size category the installed pax and cargo
// liveries, the models of three categories that the last matching step
// picks from, the switch-off of a traffic option without liveries, and the
// models with a generic livery.
#pragma once

#include <cstdint>
#include <filesystem>

#include "liveries/state.h"
#include "traffic/size_category.h"

// Logs the category's livery counts and model codes. Light, Buzjets and
// Rotorcraft fill their model list. Without any livery of Light, HighPerf
// or Rotorcraft the category's setting is switched off (saved to the
// parameters file) and its check box disabled; with liveries the box is
// enabled.
void lf_categorySummary(SizeCategory category, const std::filesystem::path& parametersPath);
// Logs the models' codes, 20 a line; the first set flag (light, buzjet,
// rotorcraft) chooses the list the ids are appended to.
void lf_writeCategoryList(bool light, bool buzjet, bool rotorcraft, const ModelIds& ids);
// Logs the models that have a livery of the generic airline "ZZZ".
void lf_genericLiveries();
// A model of the category's list (the first with RANDOM off); 0 when empty.
std::uint16_t lf_randomLightModel();
std::uint16_t lf_randomBuzjetModel();
std::uint16_t lf_randomRotorcraftModel();
