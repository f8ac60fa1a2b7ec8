#include "airports/bgl_reader.h"

#include <fmt/format.h>

#include <cmath>
#include <exception>
#include <stdexcept>
#include <system_error>

#include "airports/scanned_airports.h"
#include "foundation/file_helpers.h"
#include "foundation/log.h"
#include "foundation/text_convert.h"

namespace fs = std::filesystem;

namespace {
constexpr std::uint32_t kHeaderBytes = 56;
constexpr std::size_t kHeaderWords = 14;
constexpr std::size_t kSectionWords = 5;
constexpr std::size_t kSectionBytes = 20;
constexpr std::uint32_t kAirportSection = 3;
constexpr std::uint32_t kLongSubsections = 0x10000;  // 20-byte subsection entries: not read
constexpr std::size_t kIdentWord = 10;               // offset 40
constexpr std::size_t kAltitudeOffset = 20;
constexpr double kFeetPerMetre = 3.2808399;
constexpr double kHighestAirportFeet = 10000.0;
// Below the lowest airport on earth (about -1266 ft): a broken altitude field.
constexpr double kLowestAirportFeet = -1500.0;
// The dash of the code page that these log lines have always used.
constexpr std::string_view kDash = "\x97";

std::size_t firstSubRecord(const BglAirportRef& airport) { return airport.word + (airport.longForm ? 15 : 14); }

std::string utf8Name(std::string name) {
    try {
        (void)utf8_to_wide(name);
        return name;
    } catch (const std::exception&) {
        return gf_ansiToUtf8(name);  // older scenery holds names in the Windows code page
    }
}

// A walk met as many records as it may look at.
void logTooManyRecords(int walk, std::string_view what) {
    gf_logMarked(fmt::format("Error: Maximum loop iterations reached ({}) {} possible corrupt {}", walk, kDash, what));
}

void logZeroSize(std::size_t word, bool marked) {
    const std::string text = fmt::format("   Warning: decodeSizeAtBoundary returned 0 at o3 = {}", word);
    if (marked)
        gf_logMarked(text);
    else
        gf_log(text);
}

// Steps 2 and 3 of the walk for one section entry.
void walkSection(const BglImage& image, std::size_t section,
                 const std::function<void(const BglAirportRef&)>& onAirport) {
    const std::size_t words = image.wordCount();
    const std::size_t entry = kHeaderWords + kSectionWords * section;
    if (entry + 3 >= words || image.u32(entry) != kAirportSection || (image.u32(entry + 1) & kLongSubsections) != 0)
        return;
    const std::size_t subsection = image.u32(entry + 3) / 4 + 2;
    if (subsection >= words) return;
    std::size_t word = image.u32(subsection) / 4;
    for (std::uint32_t count = 1; word < words; ++count) {
        if (count >= kBglMaxRecords) {
            logTooManyRecords(2, "BGL or malformed input.");
            return;
        }
        const std::uint16_t id = image.recordId(word);
        const std::size_t size = image.recordWords(word);
        if (id == kBglAirportId || id == kBglAirportLongId) {
            if (size == 0) {
                gf_logMarked(fmt::format("   Warning: decodeSizeAtBoundary returned {} at o2 = {}", 0, word));
                return;
            }
            if (word + kIdentWord < words) {
                const auto [ident, usable] = lf_decodeBglIdent(image.u32(word + kIdentWord));
                if (usable) {
                    const auto [code, supported] = lf_checkBglAirportIdent(ident);
                    if (supported) onAirport(BglAirportRef{word, size, id == kBglAirportLongId, AirportCode(code)});
                }
            }
        }
        if (size == 0) return;
        word += size;
    }
}
}  // namespace

std::optional<std::vector<std::byte>> lf_readBglFile(const fs::path& path) {
    std::error_code error;
    const std::uintmax_t size = fs::file_size(path, error);
    if (error) return std::nullopt;
    const StdioFile file = gf_openStdioFile(path, "rb");
    if (!file) return std::nullopt;
    std::vector<std::byte> bytes(static_cast<std::size_t>(size));
    if (!bytes.empty() && std::fread(bytes.data(), 1, bytes.size(), file.get()) != bytes.size()) return std::nullopt;
    return bytes;
}

bool lf_bglHasAirports(const fs::path& path) {
    std::error_code error;
    const std::uintmax_t size = fs::file_size(path, error);
    if (error || size < kHeaderBytes + 1) return false;
    const StdioFile file = gf_openStdioFile(path, "rb");
    if (!file) return false;
    std::vector<std::byte> head(kHeaderBytes);
    if (std::fread(head.data(), 1, head.size(), file.get()) != head.size()) return false;
    const std::uint32_t sections = BinaryReader(head).u32(20).value_or(0);
    if (sections == 0 || sections > (size - kHeaderBytes) / kSectionBytes) return false;
    // The table lies wholly inside the file (checked above): read it at once.
    std::vector<std::byte> table(static_cast<std::size_t>(sections) * kSectionBytes);
    if (std::fread(table.data(), 1, table.size(), file.get()) != table.size()) return false;
    const BinaryReader reader(table);
    for (std::size_t k = 0; k < sections; ++k)
        if (reader.u32(k * kSectionBytes) == kAirportSection) return true;
    return false;
}

void lf_walkBglAirports(const BglImage& image, const std::function<void(const BglAirportRef&)>& onAirport) {
    const std::size_t words = image.wordCount();
    if (words < 2 || image.u32(1) != kHeaderBytes || words <= kHeaderWords) return;
    const std::uint64_t sections = image.u32(5);
    if (sections == 0 || kHeaderWords + kSectionWords * sections > words) return;
    for (std::size_t k = 0; k < sections; ++k) walkSection(image, k, onAirport);
}

AirportFileData lf_readBglAirportName(std::size_t word, const BglImage& image, bool longForm) {
    AirportFileData named;
    // Signed: an airport below sea level keeps its negative altitude.
    const auto millimetres = static_cast<std::int32_t>(image.u32(word, kAltitudeOffset));
    const double feet = std::round(millimetres * kFeetPerMetre / 1000.0);
    named.altitude = feet > kHighestAirportFeet || feet < kLowestAirportFeet ? 0 : static_cast<std::int32_t>(feet);
    // This walk is not bounded by the airport record: it ends with the file,
    // and a record header cut by the end of the file ends it too.
    std::size_t at = word + (longForm ? 15 : 14);
    for (std::uint32_t count = 1; image.holdsHeader(at); ++count) {
        if (count >= kBglMaxRecords) {
            logTooManyRecords(3, "Airport Basic data or malformed input.");
            break;
        }
        const std::size_t size = image.recordWords(at);
        if (size == 0) {
            logZeroSize(at, true);
            break;
        }
        if (image.recordId(at) == kBglNameId) {
            const std::string decoded = lf_decodeAirportNAME(image, at);
            if (named.airport_name.empty())
                named.airport_name = decoded;
            else if (decoded != named.airport_name)
                named.airport_name.clear();  // the records disagree: no name
        }
        at += size;
    }
    return named;
}

std::int32_t lf_readBglAirport(const BglImage& image, const BglAirportRef& airport, AirportFileData& record,
                               const std::string& path) {
    AirportFileData named = lf_readBglAirportName(airport.word, image, airport.longForm);
    record.airport_name = utf8Name(std::move(named.airport_name));
    record.altitude = named.altitude;
    BglAirportReading reading{&record, path, {}, {}, 1};
    const std::uint16_t parkingId = airport.longForm ? kBglParkingLongId : kBglParkingId;
    const std::size_t end = airport.word + airport.words;
    std::size_t at = firstSubRecord(airport);
    for (std::uint32_t count = 1; at < end; ++count) {
        if (count >= kBglMaxRecords) {
            logTooManyRecords(1, "SIA or malformed input");
            break;
        }
        if (at >= image.wordCount()) {
            gf_log(fmt::format("   Error: o3={} exceeded data buffer size ({}), aborting.", at, image.wordCount()));
            break;
        }
        const std::uint16_t id = image.recordId(at);
        const std::size_t size = image.recordWords(at);
        if (id == parkingId) {
            lf_readBglParking(at, image, reading, airport.longForm);  // only the first list counts
            break;
        }
        if (id == kBglHelipadId) lf_readBglHelipad(at, image, reading);
        if (size == 0) {
            logZeroSize(at, id == kBglNameId || id == kBglHelipadId);
            break;
        }
        at += size;
    }
    return reading.helipadCounter;
}

void lf_processBglAirport(const BglAirportRef& airport, const BglImage& image, const fs::path& path) {
    AirportFileData record;
    record.code = airport.code;
    std::int32_t archived = 0;
    const bool linked = lf_linkScannedAirport(record, archived, path);
    const std::int32_t helipadCounter = lf_readBglAirport(image, airport, record, record.BGLpath);
    const auto found = static_cast<std::int64_t>(record.stands.size());
    const bool moreThanArchived = found > archived && record.publisher != kSimaddonPublisher;
    if (moreThanArchived)
        gf_addScanLogLine(fmt::format("{}{} has {} parkpos while archived one has {}", "===> ", airport.code.text(),
                                      found, archived));
    if (!linked || moreThanArchived) lf_generateAirportFile(record, helipadCounter);
}

void lf_processBGLfile(const fs::path& path) {
    try {
        std::optional<std::vector<std::byte>> bytes = lf_readBglFile(path);
        if (!bytes) return;
        const BglImage image(std::move(*bytes));
        lf_walkBglAirports(image, [&](const BglAirportRef& airport) { lf_processBglAirport(airport, image, path); });
    } catch (const std::exception& e) {
        gf_logMarked(fmt::format("Exception in lf_processBGLfile (std::ex): {} {} {}", gf_wideToUtf8(path.u16string()),
                                 kDash, e.what()));
        throw;
    } catch (...) {
        gf_logMarked(fmt::format("Exception in lf_processBGLfile: {}", gf_wideToUtf8(path.u16string())));
        throw;
    }
}
