#include "airports/bgl_records.h"

#include <fmt/format.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <stdexcept>
#include <string_view>

#include "airports/airport_list.h"
#include "foundation/file_helpers.h"
#include "foundation/log.h"

namespace {
constexpr double kLatitudePerUnit = 3.3527612686157227e-7;   // 180 / 2^29
constexpr double kLongitudePerUnit = 4.470348358154297e-7;   // 360 / (3 * 2^28)
constexpr double kRadiansPerDegree = 0.017453292519943295;
constexpr double kFullCircle = 6.283185307179586;
constexpr double kSameHelipad = 1e-8;  // degrees
constexpr std::int64_t kMaxNameLength = 45;
constexpr std::uint32_t kIdentBase = 38;
constexpr std::size_t kParkingEntryWords = 9;  // 36 bytes; one more in an 0xAD list

const std::array<std::string_view, 12> kNamePrefixes = {"", "r", "p", "np", "ep", "sep", "sp", "swp", "wp", "nwp",
                                                        "g", ""};

template <class T>
T checked(std::optional<T> value) {
    if (!value) throw std::out_of_range("invalid vector subscript");
    return *value;
}

std::string positionText(double latitude, double longitude) { return fmt::format("{:.6f},{:.6f}", latitude, longitude); }

// Types 0, 12 and 13 are no parking positions for aircraft.
bool isParkingType(std::uint32_t type) { return type != 0 && type != 12 && type != 13; }
bool isRampType(std::uint32_t type) { return (type >= 1 && type <= 7) || type == 14; }
constexpr std::uint32_t kCargoType = 5;
}  // namespace

BglImage::BglImage(std::vector<std::byte> bytes) : bytes_(std::move(bytes)) {
    bytes_.resize((bytes_.size() + 3) / 4 * 4, std::byte{0});
}

std::uint16_t BglImage::u16(std::size_t word, std::size_t offset) const {
    return checked(reader().u16(word * 4 + offset));
}

std::uint32_t BglImage::u32(std::size_t word, std::size_t offset) const {
    return checked(reader().u32(word * 4 + offset));
}

float BglImage::f32(std::size_t word, std::size_t offset) const { return checked(reader().f32(word * 4 + offset)); }

std::byte BglImage::byte(std::size_t word, std::size_t offset) const {
    const std::size_t at = word * 4 + offset;
    if (at >= bytes_.size()) throw std::out_of_range("invalid vector subscript");
    return bytes_[at];
}

double gf_bglLatitude(std::uint32_t raw) { return 90.0 - raw * kLatitudePerUnit; }
double gf_bglLongitude(std::uint32_t raw) { return raw * kLongitudePerUnit - 180.0; }

bool gf_bglPositionValid(double latitude, double longitude) {
    // NaN fails every comparison and so is invalid as well.
    if (!(latitude >= -90.0 && latitude <= 90.0 && longitude >= -180.0 && longitude <= 180.0)) return false;
    return !(std::fabs(latitude) <= 0.0001 && std::fabs(longitude) <= 0.0001);
}

std::pair<std::string, bool> lf_decodeBglIdent(std::uint32_t packed) {
    std::string reversed;
    bool usable = true;
    for (std::uint32_t value = packed >> 5; value != 0; value /= kIdentBase) {
        const std::uint32_t digit = value % kIdentBase;
        if (digit == 0) {
            reversed.push_back(' ');
            usable = false;
        } else if (digit == 1) {
            reversed.push_back('?');
            usable = false;
        } else if (digit < 12) {
            reversed.push_back(static_cast<char>('0' + digit - 2));
        } else {
            reversed.push_back(static_cast<char>('A' + digit - 12));
        }
    }
    return {std::string(reversed.rbegin(), reversed.rend()), usable};
}

std::pair<std::string, bool> lf_checkBglAirportIdent(const std::string& ident) {
    std::string upper = ident;
    if (upper.size() == 3 || upper.size() == 4)
        for (char& c : upper)
            if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
    if (upper.size() != 4) return {upper, false};
    if (gf_isSupportedAirport(AirportCode(upper))) return {upper, true};
    gf_addScanLogLine(fmt::format("{} is not an airport supported by RealTraffic ", upper));
    return {upper, false};
}

std::string lf_decodeAirportNAME(const BglImage& image, std::size_t word) {
    std::string name;
    try {
        const std::int64_t declared = static_cast<std::int64_t>(image.u32(word, 2) & 0xFFFF) - 6;
        const auto length = static_cast<std::size_t>(std::clamp<std::int64_t>(declared, 0, kMaxNameLength));
        for (std::size_t k = 0; k < std::min<std::size_t>(length, 2); ++k)
            name.push_back(static_cast<char>(image.byte(word, 6 + k)));
        if (length > 2) {
            // Whole words from the record's word 2 on, then the rest of the next word.
            const std::size_t whole = (length - 2) / 4;
            const std::size_t first = word + 2;
            const std::size_t inside = first < image.wordCount() ? std::min(whole, image.wordCount() - first) : 0;
            if (inside < whole)
                gf_log(fmt::format("! name blocks truncated at o3={}, available={}", word, inside));
            for (std::size_t w = 0; w < inside; ++w)
                for (std::size_t k = 0; k < 4; ++k) name.push_back(static_cast<char>(image.byte(first + w, k)));
            for (std::size_t k = 0; k < (length - 2) % 4; ++k)
                name.push_back(static_cast<char>(image.byte(first + inside, k)));
        }
    } catch (const std::exception&) {
        gf_log("lf_decodeAirportNAME EXCEPTION");
    }
    while (!name.empty() && name.back() == '\0') name.pop_back();
    return name;
}

BglParking lf_decodeBglParking(const BglImage& image, std::size_t word, bool longForm) {
    BglParking parking;
    const std::uint32_t packed = image.u32(word);
    parking.nameIndex = packed & 0x3F;
    parking.type = (packed >> 8) & 0xF;
    parking.number = (packed >> 12) & 0xFFF;
    parking.radius = image.f32(word, 4);
    parking.heading = image.f32(word, 8);
    parking.longitude = gf_bglLongitude(image.u32(word, 28));
    parking.latitude = gf_bglLatitude(image.u32(word, 32));
    const std::uint32_t codes = packed >> 24;
    const std::size_t fixedWords = kParkingEntryWords + (longForm ? 1 : 0);
    parking.words = fixedWords + codes;
    // The codes are only kept for the record; a cut file may end among them.
    for (std::size_t c = 0; c < codes && word + fixedWords + c < image.wordCount(); ++c) {
        std::string code;
        for (std::size_t k = 0; k < 4; ++k) {
            const auto ch = static_cast<char>(image.byte(word + fixedWords + c, k));
            if (ch == '\0') break;
            code.push_back(ch);
        }
        parking.airlines.push_back(std::move(code));
    }
    return parking;
}

std::string gf_bglParkingName(const BglParking& parking) {
    std::string prefix;
    if (parking.nameIndex < kNamePrefixes.size())
        prefix = kNamePrefixes[parking.nameIndex];
    else if (parking.nameIndex < 38)
        prefix = std::string(1, static_cast<char>('A' + parking.nameIndex - 12));
    return fmt::format("{}{}", prefix, parking.number);
}

void lf_readBglHelipad(std::size_t word, const BglImage& image, BglAirportReading& airport) {
    const double latitude = gf_bglLatitude(image.u32(word, 16));
    const double longitude = gf_bglLongitude(image.u32(word, 12));
    if (!gf_bglPositionValid(latitude, longitude)) {
        gf_addScanLogLine("lat/lon helipad incorrect (skipped): " + positionText(latitude, longitude));
        return;
    }
    for (const auto& [takenLat, takenLon] : airport.helipads) {
        if (std::fabs(takenLat - latitude) <= kSameHelipad && std::fabs(takenLon - longitude) <= kSameHelipad) {
            gf_addScanLogLine("double helipad " + airport.record->airport_name + " (skipped) " +
                              positionText(latitude, longitude));
            return;
        }
    }
    const float extent = image.f32(word, 28);
    // The heading follows the extent in a full (36-byte) helipad record.
    const float heading = image.recordWords(word) >= 9 ? image.f32(word, 32) : 0.0F;
    if (!std::isfinite(extent) || !std::isfinite(heading)) {
        gf_addScanLogLine("extent/heading helipad incorrect (skipped): " + positionText(latitude, longitude));
        return;
    }
    airport.helipads.emplace_back(latitude, longitude);
    airport.record->stands.emplace_back(std::vector<StandUse>{}, fmt::format("helipad{}", airport.helipadCounter),
                                        latitude, longitude, heading * kRadiansPerDegree, extent * 0.5, false,
                                        false, true);
    ++airport.helipadCounter;
}

void lf_readBglParking(std::size_t word, const BglImage& image, BglAirportReading& airport, bool longForm) {
    const std::uint16_t count = image.u16(word, 6);
    std::size_t entry = word + 2;
    for (std::uint16_t k = 0; k < count; ++k) {
        const BglParking parking = lf_decodeBglParking(image, entry, longForm);
        entry += parking.words;
        const double radius = parking.radius;
        if (!(radius > 1.0 && radius < 200.0)) {  // NaN too
            gf_addScanLogLine(fmt::format("Skipped position with radius {:.1F} m in {}", radius, airport.path));
            continue;
        }
        std::string name = gf_bglParkingName(parking);
        if (!isParkingType(parking.type)) continue;
        if (!gf_bglPositionValid(parking.latitude, parking.longitude)) {
            gf_addScanLogLine(
                fmt::format("LatLon {} invalid (skipped)", positionText(parking.latitude, parking.longitude)));
            continue;
        }
        if (!std::isfinite(parking.heading)) {
            gf_addScanLogLine(fmt::format("Skipped position {} with heading {:.1F} in {}", name,
                                          static_cast<double>(parking.heading), airport.path));
            continue;
        }
        std::optional<std::string> unique = lf_checkDuplicateStandIds(name, airport.standNames, airport.path);
        if (!unique) continue;
        const double heading = parking.heading == 0.0F ? kFullCircle : parking.heading * kRadiansPerDegree;
        airport.record->stands.emplace_back(std::vector<StandUse>{}, std::move(*unique), parking.latitude,
                                            parking.longitude, heading, radius, parking.type == kCargoType,
                                            isRampType(parking.type), false);
    }
}

std::optional<std::string> lf_checkDuplicateStandIds(const std::string& name, std::set<std::string>& names,
                                                     const std::string& path) {
    if (names.insert(name).second) return name;
    for (char suffix = 'a'; suffix <= 'j'; ++suffix) {
        std::string candidate = name + suffix;
        if (names.insert(candidate).second) return candidate;
    }
    gf_addScanLogLine(fmt::format("{}Warning: more than 10 duplicate IDs {} in {}", "===> ", name, path));
    return std::nullopt;
}
