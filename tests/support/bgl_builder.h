// Builds compiled scenery files (.bgl) for tests and benchmarks: a 56-byte
// header, a section table with one subsection per section, and each
// section's records, with airports of either record form, name records,
// helipads and parking lists (airline codes included). Every size field can
// be set by hand, so that cut and hostile files are built as easily as good
// ones.
#pragma once

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

namespace testing_support {

using Bytes = std::vector<std::byte>;

// Packed coordinates as the files hold them.
std::uint32_t bglRawLatitude(double latitude);
std::uint32_t bglRawLongitude(double longitude);
// The packed ident word of a text of "0"-"9", "A"-"Z" (and ' ' for digit 0,
// '?' for digit 1).
std::uint32_t bglIdent(const std::string& ident);

// One record: id, a size field (the real size unless given), the payload
// after the 6-byte header, padded with zeros to whole words unless unpadded.
Bytes bglRecord(std::uint16_t id, const Bytes& payload, std::optional<std::uint32_t> sizeField = std::nullopt);
// A name record (0x19), padded with NULs to whole words.
Bytes bglNameRecord(const std::string& name);

struct BglHelipadSpec {
    double latitude = 0.0;
    double longitude = 0.0;
    float extent = 20.0F;  // metres
    float heading = 0.0F;  // degrees
};
Bytes bglHelipadRecord(const BglHelipadSpec& helipad);

struct BglParkingSpec {
    std::uint32_t nameIndex = 10;  // "g"
    std::uint32_t type = 8;        // gate
    std::uint32_t number = 1;
    float radius = 20.0F;
    float heading = 90.0F;
    double latitude = 52.3;
    double longitude = 4.76;
    std::vector<std::string> airlines;
};
// A parking list (0x3D, or 0xAD in the long form); count overrides the entry count field.
Bytes bglParkingList(const std::vector<BglParkingSpec>& entries, bool longForm,
                     std::optional<std::uint16_t> count = std::nullopt);

struct BglAirportSpec {
    std::string ident = "EHAM";
    bool longForm = false;
    std::int32_t altitudeMm = -3353;  // -11 ft
    // The records after the fixed part, in order (names, helipads, lists, others).
    std::vector<Bytes> subRecords;
    std::optional<std::uint32_t> sizeField;  // the airport record's size field
};
Bytes bglAirportRecord(const BglAirportSpec& airport);

struct BglSectionSpec {
    std::uint32_t type = 3;
    std::uint32_t flags = 1;
    Bytes records;  // the first subsection's record data
};
// The whole file: header, section table, subsection entries, then each
// section's records. headerSize and sectionCount override those fields.
Bytes bglFile(const std::vector<BglSectionSpec>& sections, std::uint32_t headerSize = 56,
              std::optional<std::uint32_t> sectionCount = std::nullopt);
// One airport section holding the airport (the airport record last in the file).
Bytes bglAirportFile(const BglAirportSpec& airport);

Bytes concat(std::initializer_list<Bytes> parts);
void writeBytes(const std::filesystem::path& path, const Bytes& bytes);

}  // namespace testing_support
