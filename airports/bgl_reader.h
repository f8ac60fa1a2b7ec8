// The .bgl airport reader: the quick test that decides whether a scenery file
// is worth a scan worker, the walk over its airport sections, and the reading
// of each supported airport's name, altitude and stands. Runs on the scan
// workers; nothing here writes files except through the linking and
// generating of scanned airports (airports/scanned_airports.h).
#pragma once

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "airports/bgl_records.h"
#include "airports/stands.h"
#include "foundation/fixed_code.h"

// An airport record that the walk found with a usable, supported ident.
struct BglAirportRef {
    std::size_t word = 0;   // the record's word index
    std::size_t words = 0;  // the record's size in words
    bool longForm = false;  // id 0xAB (stands in an 0xAD list)
    AirportCode code;
};

// The file's bytes, or nothing when it cannot be opened or read.
std::optional<std::vector<std::byte>> lf_readBglFile(const std::filesystem::path& path);
// Whether the file has an airport section, judged from its header and
// section table alone.
bool lf_bglHasAirports(const std::filesystem::path& path);
// Walks the first subsection of every airport section to the end of the
// file and hands each airport record with a supported ident to onAirport, in
// file order. A file without the 56-byte header or a sane section table
// yields nothing.
void lf_walkBglAirports(const BglImage& image, const std::function<void(const BglAirportRef&)>& onAirport);
// The airport's name (the one name its name records agree on, else empty)
// and its altitude in feet (0 when it is not a plausible airport altitude).
AirportFileData lf_readBglAirportName(std::size_t word, const BglImage& image, bool longForm);
// Reads the airport's name, altitude and stands (helipads as met, then its
// first parking list) into record; returns the helipad counter (1 + the
// helipads taken).
std::int32_t lf_readBglAirport(const BglImage& image, const BglAirportRef& airport, AirportFileData& record,
                               const std::string& path);
// Links the airport to an archived file or generates its airport file, or both.
void lf_processBglAirport(const BglAirportRef& airport, const BglImage& image, const std::filesystem::path& path);
// The scan worker's body: reads the file and processes every supported
// airport in it. An exception is logged and passed on to the caller.
void lf_processBGLfile(const std::filesystem::path& path);
