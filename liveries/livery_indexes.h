// The processing of the scanned liveries into the indexes the matching
// searches, once per process on the start-up thread.
#pragma once

#include <cstdint>
#include <string_view>

#include "liveries/state.h"

// gf_processScannedLiveries: liveries/livery_services.h.

// g_liveriesByAirline from g_liveries: liveries without a second airline
// under their airline, those with one under the combined code of both
// airlines (and, where that airline has none of its own, under the second
// airline, noted in g_offeredAirlines); first insertion of a key wins.
void lf_buildAirlineIndex();
// g_paxByAirline and g_cargoByAirline from g_liveriesByAirline.
void lf_buildLiveryIndexes();
// The stored copy of a scanned title (same bytes), or an empty view.
std::string_view lf_findScannedTitle(std::string_view title);
// g_liveriesByAirline has the airline and, under it, the model.
bool lf_hasAirlineModel(std::uint16_t airline, std::uint16_t model);
// g_paxByModel and g_cargoByModel over all airlines.
void lf_buildModelIndex();
// g_similarModelsWithLiveries.
void lf_buildSimilarModels();
// For a model the airline has no livery of: the models similar to it of
// which the airline has liveries; null when there are none. Each entry of
// g_airlineSimilarModels is made on first use and kept, so that the
// matching's reordering in place lasts. Traffic thread (tests: any).
ModelIds* lf_airlineSimilarModels(std::uint16_t airline, std::uint16_t model);
