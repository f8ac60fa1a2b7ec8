// The records of a compiled scenery file (.bgl) that the add-on airport scan
// reads: the file image with its checked reads, packed coordinates and
// idents, the airport name, helipads and parking lists. Everything here runs
// on the scan workers and touches only the worker's own data, the scan log
// and the program log.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "airports/stands.h"
#include "foundation/binary_reader.h"

// The whole file, its length rounded up to whole 4-byte words with zero
// bytes. Records start on word boundaries, so positions are word indexes.
// A read outside the image throws std::out_of_range "invalid vector
// subscript", which ends the file's processing.
class BglImage {
public:
    BglImage() = default;
    explicit BglImage(std::vector<std::byte> bytes);

    std::size_t wordCount() const { return bytes_.size() / 4; }
    std::uint16_t u16(std::size_t word, std::size_t offset = 0) const;
    std::uint32_t u32(std::size_t word, std::size_t offset = 0) const;
    float f32(std::size_t word, std::size_t offset = 0) const;
    // One byte (for texts).
    std::byte byte(std::size_t word, std::size_t offset) const;
    // A record's id (u16 at its offset 0).
    std::uint16_t recordId(std::size_t word) const { return u16(word); }
    // A record's size in words: the u32 at its offset 2, which spans two words, divided by 4.
    std::size_t recordWords(std::size_t word) const { return u32(word, 2) / 4; }
    // Whether a record header (6 bytes) at the word lies wholly in the image.
    bool holdsHeader(std::size_t word) const { return word < wordCount() && bytes_.size() - word * 4 >= 6; }

private:
    BinaryReader reader() const { return BinaryReader(bytes_); }

    std::vector<std::byte> bytes_;
};

inline constexpr std::uint16_t kBglAirportId = 0x3C;
inline constexpr std::uint16_t kBglAirportLongId = 0xAB;
inline constexpr std::uint16_t kBglNameId = 0x19;
inline constexpr std::uint16_t kBglHelipadId = 0x26;
inline constexpr std::uint16_t kBglParkingId = 0x3D;      // in an 0x3C airport
inline constexpr std::uint16_t kBglParkingLongId = 0xAD;  // in an 0xAB airport
// Each record walk stops at this many records: a corrupt file cannot keep a worker busy.
inline constexpr std::uint32_t kBglMaxRecords = 9000;

// Packed coordinates: the unsigned raw value scaled.
double gf_bglLatitude(std::uint32_t raw);
double gf_bglLongitude(std::uint32_t raw);
// A usable stand position: on the globe and not at 0/0 (within 0.0001 degrees).
bool gf_bglPositionValid(double latitude, double longitude);

// The ident text of a packed ident word (the value above 5 bits in base 38,
// most significant digit first) and whether every digit is usable; a blank
// or "?" stands for a digit 0 or 1.
std::pair<std::string, bool> lf_decodeBglIdent(std::uint32_t packed);
// The upper-cased ident and whether it is an airport of the airport list. A
// 4-letter ident the list does not know adds a scan-log line.
std::pair<std::string, bool> lf_checkBglAirportIdent(const std::string& ident);

// The name of a name record: at most 45 bytes, trailing NULs dropped.
std::string lf_decodeAirportNAME(const BglImage& image, std::size_t word);

// One entry of a parking list as the file holds it.
struct BglParking {
    std::uint32_t nameIndex = 0;  // the stand-name prefix
    std::uint32_t type = 0;       // 0..15
    std::uint32_t number = 0;
    float radius = 0.0F;   // metres
    float heading = 0.0F;  // degrees
    double latitude = 0.0;
    double longitude = 0.0;
    std::vector<std::string> airlines;  // the airline codes after the fixed part
    std::size_t words = 0;              // the entry's length, codes included
};
// Decodes the entry at the word; longForm for the entries of an 0xAD list.
BglParking lf_decodeBglParking(const BglImage& image, std::size_t word, bool longForm);
// The stand name of an entry: the prefix of its name index and its number.
std::string gf_bglParkingName(const BglParking& parking);

// What the reader keeps of one airport while it reads it.
struct BglAirportReading {
    AirportFileData* record = nullptr;     // the airport's data; stands are appended
    std::string path;                      // the .bgl file as UTF-8, for scan-log lines
    std::set<std::string> standNames;      // for the duplicate test
    std::vector<std::pair<double, double>> helipads;  // latitude, longitude of the helipads taken
    std::int32_t helipadCounter = 1;       // the number of the next helipad
};

// Adds the helipad record at the word as a stand, or a scan-log line why not.
void lf_readBglHelipad(std::size_t word, const BglImage& image, BglAirportReading& airport);
// Adds the stands of the parking list at the word.
void lf_readBglParking(std::size_t word, const BglImage& image, BglAirportReading& airport, bool longForm);
// The name to use for a stand (the name, or the name with "a" .. "j"), nothing
// when all are taken; a name returned is added to the set.
std::optional<std::string> lf_checkDuplicateStandIds(const std::string& name, std::set<std::string>& names,
                                                     const std::string& path);
