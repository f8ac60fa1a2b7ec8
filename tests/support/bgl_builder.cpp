#include "support/bgl_builder.h"

#include <cmath>
#include <fstream>
#include <stdexcept>

#include "foundation/binary_writer.h"

namespace testing_support {
namespace {
constexpr std::size_t kHeaderBytes = 56;
constexpr std::size_t kSectionBytes = 20;
constexpr std::size_t kSubsectionBytes = 16;

std::size_t padded(std::size_t size) { return (size + 3) / 4 * 4; }

std::uint32_t identDigit(char c) {
    if (c == ' ') return 0;
    if (c == '?') return 1;
    if (c >= '0' && c <= '9') return static_cast<std::uint32_t>(c - '0') + 2;
    if (c >= 'A' && c <= 'Z') return static_cast<std::uint32_t>(c - 'A') + 12;
    throw std::invalid_argument("bglIdent: bad character");
}
}  // namespace

std::uint32_t bglRawLatitude(double latitude) {
    return static_cast<std::uint32_t>(std::llround((90.0 - latitude) * 536870912.0 / 180.0));
}

std::uint32_t bglRawLongitude(double longitude) {
    return static_cast<std::uint32_t>(std::llround((longitude + 180.0) * 3.0 * 268435456.0 / 360.0));
}

std::uint32_t bglIdent(const std::string& ident) {
    std::uint32_t value = 0;
    for (const char c : ident) value = value * 38 + identDigit(c);
    return value << 5;
}

Bytes bglRecord(std::uint16_t id, const Bytes& payload, std::optional<std::uint32_t> sizeField) {
    Bytes bytes(padded(6 + payload.size()));
    BinaryWriter writer(bytes);
    writer.u16(0, id);
    writer.u32(2, sizeField.value_or(static_cast<std::uint32_t>(bytes.size())));
    writer.bytes(6, payload);
    return bytes;
}

Bytes bglNameRecord(const std::string& name) {
    const auto* data = reinterpret_cast<const std::byte*>(name.data());
    return bglRecord(0x19, Bytes(data, data + name.size()));
}

Bytes bglHelipadRecord(const BglHelipadSpec& helipad) {
    Bytes payload(30);  // 36 bytes in all
    BinaryWriter writer(payload);
    writer.u32(12 - 6, bglRawLongitude(helipad.longitude));
    writer.u32(16 - 6, bglRawLatitude(helipad.latitude));
    writer.f32(24 - 6, helipad.extent);  // the length; the reader takes the width after it
    writer.f32(28 - 6, helipad.extent);
    writer.f32(32 - 6, helipad.heading);
    return bglRecord(0x26, payload);
}

Bytes bglParkingList(const std::vector<BglParkingSpec>& entries, bool longForm, std::optional<std::uint16_t> count) {
    const std::size_t fixed = longForm ? 40 : 36;
    std::size_t size = 2;  // the count, then the entries from offset 8
    for (const BglParkingSpec& entry : entries) size += fixed + 4 * entry.airlines.size();
    Bytes payload(size);
    BinaryWriter writer(payload);
    writer.u16(0, count.value_or(static_cast<std::uint16_t>(entries.size())));
    std::size_t at = 2;
    for (const BglParkingSpec& entry : entries) {
        writer.u32(at, (entry.nameIndex & 0x3F) | ((entry.type & 0xF) << 8) | ((entry.number & 0xFFF) << 12) |
                           (static_cast<std::uint32_t>(entry.airlines.size()) << 24));
        writer.f32(at + 4, entry.radius);
        writer.f32(at + 8, entry.heading);
        writer.u32(at + 28, bglRawLongitude(entry.longitude));
        writer.u32(at + 32, bglRawLatitude(entry.latitude));
        at += fixed;
        for (const std::string& airline : entry.airlines) {
            for (std::size_t k = 0; k < airline.size() && k < 4; ++k)
                payload[at + k] = static_cast<std::byte>(airline[k]);
            at += 4;
        }
    }
    return bglRecord(longForm ? 0xAD : 0x3D, payload);
}

Bytes bglAirportRecord(const BglAirportSpec& airport) {
    const std::size_t fixed = airport.longForm ? 60 : 56;
    std::size_t size = fixed;
    for (const Bytes& record : airport.subRecords) size += record.size();
    Bytes bytes(size);
    BinaryWriter writer(bytes);
    writer.u16(0, airport.longForm ? 0xAB : 0x3C);
    writer.u32(2, airport.sizeField.value_or(static_cast<std::uint32_t>(size)));
    writer.u32(20, static_cast<std::uint32_t>(airport.altitudeMm));
    writer.u32(40, bglIdent(airport.ident));
    std::size_t at = fixed;
    for (const Bytes& record : airport.subRecords) {
        writer.bytes(at, record);
        at += record.size();
    }
    return bytes;
}

Bytes bglFile(const std::vector<BglSectionSpec>& sections, std::uint32_t headerSize,
              std::optional<std::uint32_t> sectionCount) {
    const std::size_t tables = kHeaderBytes + sections.size() * (kSectionBytes + kSubsectionBytes);
    std::size_t size = tables;
    for (const BglSectionSpec& section : sections) size += section.records.size();
    Bytes bytes(size);
    BinaryWriter writer(bytes);
    writer.u32(0, 0x19920201);
    writer.u32(4, headerSize);
    writer.u32(20, sectionCount.value_or(static_cast<std::uint32_t>(sections.size())));
    std::size_t data = tables;
    for (std::size_t k = 0; k < sections.size(); ++k) {
        const std::size_t entry = kHeaderBytes + k * kSectionBytes;
        const std::size_t subsection = kHeaderBytes + sections.size() * kSectionBytes + k * kSubsectionBytes;
        writer.u32(entry, sections[k].type);
        writer.u32(entry + 4, sections[k].flags);
        writer.u32(entry + 8, 1);
        writer.u32(entry + 12, static_cast<std::uint32_t>(subsection));
        writer.u32(entry + 16, static_cast<std::uint32_t>(kSubsectionBytes));
        writer.u32(subsection + 4, 1);
        writer.u32(subsection + 8, static_cast<std::uint32_t>(data));
        writer.u32(subsection + 12, static_cast<std::uint32_t>(sections[k].records.size()));
        writer.bytes(data, sections[k].records);
        data += sections[k].records.size();
    }
    return bytes;
}

Bytes bglAirportFile(const BglAirportSpec& airport) { return bglFile({BglSectionSpec{3, 1, bglAirportRecord(airport)}}); }

Bytes concat(std::initializer_list<Bytes> parts) {
    Bytes all;
    for (const Bytes& part : parts) all.insert(all.end(), part.begin(), part.end());
    return all;
}

void writeBytes(const std::filesystem::path& path, const Bytes& bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    if (!out) throw std::runtime_error("writeBytes: cannot open " + path.string());
    out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
}

}  // namespace testing_support
