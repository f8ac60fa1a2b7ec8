// The scan results file output/LiveriesScanned.xml: the hand-over from the
// livery scan to the processing, and the cache of the last scan between runs.
#pragma once

#include <filesystem>
#include <list>

#include "liveries/livery_record.h"
#include "settings/file_names.h"

// Writes the liveries, in list order, with the program-information block.
// An empty list writes nothing and leaves an existing file alone (true).
// A failed save is logged as a failure; false.
bool gf_writeLiveriesXml(const std::list<LiveryData>& liveries, const std::filesystem::path& path = g_liveriesScannedPath);
// The same for g_liveries.
bool gf_writeLiveriesXml();

// Replaces g_liveries by the file's liveries in lf_liveryLess order (stable:
// equal records keep the file's order). Interns the code texts it meets.
// Throws vlt::UserErrorException 51 (no file or not XML), 52 (no <liveries>
// under root), 999 (an element without a, m or t; the liveries read before
// it stay) or 533 (no livery).
void gf_readLiveriesXml(const std::filesystem::path& path = g_liveriesScannedPath);

// Sorts the list by lf_liveryLess, keeping the order of equal records.
void lf_sortLiveries(std::list<LiveryData>& liveries);
