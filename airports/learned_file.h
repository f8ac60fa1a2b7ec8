// The learned file of the park airport: what earlier visits learned of its
// stands (uses, changed radii and cargo flags, stands made by hand), its own
// settings, or, for a handmade file, the whole stand list; and the quality
// factors that rate how much is known of the stands' use.
#pragma once

#include <filesystem>
#include <string>

#include <pugixml.hpp>

#include "airports/stands.h"
#include "airports/state.h"
#include "foundation/version.h"

// Learned files of versions before this one lose their uses when read.
inline constexpr VersionData kLearnedUsesVersion{11, 10, 0};

// Merges the learned file into g_stands and applies its settings; sets
// g_handmade. File faults are logged, never thrown; a file whose reading
// stopped half-way is copied aside and named in g_learnedFileFault.
void lf_readLearned(const std::filesystem::path& path, const std::string& airportName);
// True when the stand is the one named (the learned stand then is merged
// into it: radius and cargo changes, and its uses unless the file is older).
bool lf_mergeLearned(const std::string& name, const pugi::xml_node& parkpos, bool older, Stand& stand);
// The quality factors of g_stands; (-1, -1) when no stand has a use.
QualityFactors lf_qualityFactors();
