// Linking and generating the airport files of scanned add-on airports: a
// pointer file to the archived file of the scenery's publisher, or a file
// generated from the scenery's own stands, in airports/my_ORBX (publisher
// "simaddon") or airports/my_thirdparty. Runs on the scan workers.
#pragma once

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>

#include "airports/stands.h"
#include "foundation/fixed_code.h"
#include "refdata/publishers.h"

// Fills BGLpath and publisher; true when the airport was linked to an
// archived file (then a pointer file was written). archivedCount is that
// file's number of stands (0 for "simaddon").
bool lf_linkScannedAirport(AirportFileData& record, std::int32_t& archivedCount,
                           const std::filesystem::path& bglPath);
// "archive/simaddon/CODE.xml" when the data base lists the airport among the
// simaddon airports; else a scan-log line and nothing.
std::optional<std::string> lf_findArchivedSimaddon(const AirportCode& code);
// "archive/thirdparty/<publisher, blanks as %20>/CODE.xml" when the data base
// lists the airport for the publisher (its count goes to archivedCount);
// else a scan-log line and nothing.
std::optional<std::string> lf_findArchivedThirdparty(const std::string& publisher, const AirportCode& code,
                                                     std::int32_t& archivedCount);
// Writes the generated file (stands sorted by name) unless it has no stands.
void lf_generateAirportFile(AirportFileData& record, std::int32_t helipadCounter);
// The folder of the scanned airport's pointer and generated files.
const std::filesystem::path& gf_scannedAirportFolder(const std::string& publisher);
