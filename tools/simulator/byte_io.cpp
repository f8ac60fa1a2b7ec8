#include "tools/simulator/byte_io.h"

#include <algorithm>
#include <bit>
#include <cstring>

namespace simulator {

std::uint32_t ByteReader::u32(std::size_t offset) const {
    if (!has(offset, 4)) return 0;
    return static_cast<std::uint32_t>(bytes_[offset]) | static_cast<std::uint32_t>(bytes_[offset + 1]) << 8 |
           static_cast<std::uint32_t>(bytes_[offset + 2]) << 16 | static_cast<std::uint32_t>(bytes_[offset + 3]) << 24;
}

std::uint64_t ByteReader::u64(std::size_t offset) const {
    if (!has(offset, 8)) return 0;
    return static_cast<std::uint64_t>(u32(offset)) | static_cast<std::uint64_t>(u32(offset + 4)) << 32;
}

float ByteReader::f32(std::size_t offset) const {
    return std::bit_cast<float>(u32(offset));
}

double ByteReader::f64(std::size_t offset) const {
    return std::bit_cast<double>(u64(offset));
}

std::span<const std::uint8_t> ByteReader::bytes(std::size_t offset, std::size_t count) const {
    if (!has(offset, count)) return {};
    return bytes_.subspan(offset, count);
}

std::optional<FixedText> readFixedText(const ByteReader& reader, std::size_t offset, std::size_t fieldSize) {
    const auto field = reader.bytes(offset, fieldSize);
    if (field.size() != fieldSize) return std::nullopt;
    const auto* zero = static_cast<const std::uint8_t*>(std::memchr(field.data(), 0, field.size()));
    if (zero == nullptr) return std::nullopt;
    FixedText result;
    result.text.assign(reinterpret_cast<const char*>(field.data()), static_cast<std::size_t>(zero - field.data()));
    for (const auto* p = zero; p != field.data() + field.size(); ++p)
        if (*p != 0) result.cleanTail = false;
    return result;
}

void ByteWriter::u32(std::uint32_t value) {
    for (int shift = 0; shift < 32; shift += 8) bytes_.push_back(static_cast<std::uint8_t>(value >> shift));
}

void ByteWriter::i64(std::int64_t value) {
    const auto bits = static_cast<std::uint64_t>(value);
    u32(static_cast<std::uint32_t>(bits));
    u32(static_cast<std::uint32_t>(bits >> 32));
}

void ByteWriter::f32(float value) {
    u32(std::bit_cast<std::uint32_t>(value));
}

void ByteWriter::f64(double value) {
    i64(std::bit_cast<std::int64_t>(value));
}

void ByteWriter::fixedText(std::string_view text, std::size_t fieldSize) {
    if (fieldSize == 0) return;
    const std::size_t count = std::min(text.size(), fieldSize - 1);
    bytes_.insert(bytes_.end(), text.begin(), text.begin() + static_cast<std::ptrdiff_t>(count));
    zeros(fieldSize - count);
}

void ByteWriter::raw(std::span<const std::uint8_t> data) {
    bytes_.insert(bytes_.end(), data.begin(), data.end());
}

void ByteWriter::zeros(std::size_t count) {
    bytes_.insert(bytes_.end(), count, 0);
}

void ByteWriter::patchU32(std::size_t offset, std::uint32_t value) {
    if (offset + 4 > bytes_.size()) return;
    for (int i = 0; i < 4; ++i)
        bytes_[offset + static_cast<std::size_t>(i)] = static_cast<std::uint8_t>(value >> (8 * i));
}

std::string hexBytes(std::span<const std::uint8_t> bytes, std::size_t limit) {
    static constexpr char kDigits[] = "0123456789abcdef";
    std::string out;
    const std::size_t count = std::min(bytes.size(), limit);
    out.reserve(count * 3);
    for (std::size_t i = 0; i < count; ++i) {
        if (i != 0) out += ' ';
        out += kDigits[bytes[i] >> 4];
        out += kDigits[bytes[i] & 15];
    }
    if (count < bytes.size()) out += " ...";
    return out;
}

}  // namespace simulator
