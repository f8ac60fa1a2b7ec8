#include "foundation/binary_writer.h"

#include <bit>
#include <cstring>

#include <gsl/assert>

void BinaryWriter::u16(std::size_t offset, std::uint16_t value) {
    Expects(offset <= bytes_.size() && bytes_.size() - offset >= 2);
    for (std::size_t k = 0; k < 2; ++k) bytes_[offset + k] = static_cast<std::byte>(value >> (8 * k));
}

void BinaryWriter::u32(std::size_t offset, std::uint32_t value) {
    Expects(offset <= bytes_.size() && bytes_.size() - offset >= 4);
    for (std::size_t k = 0; k < 4; ++k) bytes_[offset + k] = static_cast<std::byte>(value >> (8 * k));
}

void BinaryWriter::f32(std::size_t offset, float value) { u32(offset, std::bit_cast<std::uint32_t>(value)); }

void BinaryWriter::f64(std::size_t offset, double value) {
    const auto bits = std::bit_cast<std::uint64_t>(value);
    Expects(offset <= bytes_.size() && bytes_.size() - offset >= 8);
    u32(offset, static_cast<std::uint32_t>(bits));
    u32(offset + 4, static_cast<std::uint32_t>(bits >> 32));
}

void BinaryWriter::bytes(std::size_t offset, std::span<const std::byte> data) {
    Expects(offset <= bytes_.size() && bytes_.size() - offset >= data.size());
    if (!data.empty()) std::memcpy(bytes_.data() + offset, data.data(), data.size());
}

bool BinaryWriter::text(std::size_t offset, std::size_t fieldSize, std::string_view text) {
    Expects(offset <= bytes_.size() && bytes_.size() - offset >= fieldSize);
    if (text.size() >= fieldSize) return false;
    bytes(offset, std::as_bytes(std::span(text.data(), text.size())));
    bytes_[offset + text.size()] = std::byte{0};
    return true;
}
