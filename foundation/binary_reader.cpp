#include "foundation/binary_reader.h"

#include <algorithm>
#include <bit>

std::uint64_t BinaryReader::raw(std::size_t offset, std::size_t size) const {
    std::uint64_t value = 0;
    for (std::size_t k = 0; k < size; ++k) value |= std::to_integer<std::uint64_t>(bytes_[offset + k]) << (8 * k);
    return value;
}

std::optional<std::uint16_t> BinaryReader::u16(std::size_t offset) const {
    if (!fits(offset, 2)) return std::nullopt;
    return static_cast<std::uint16_t>(raw(offset, 2));
}

std::optional<std::uint32_t> BinaryReader::u32(std::size_t offset) const {
    if (!fits(offset, 4)) return std::nullopt;
    return static_cast<std::uint32_t>(raw(offset, 4));
}

std::optional<std::int64_t> BinaryReader::i64(std::size_t offset) const {
    if (!fits(offset, 8)) return std::nullopt;
    return std::bit_cast<std::int64_t>(raw(offset, 8));
}

std::optional<float> BinaryReader::f32(std::size_t offset) const {
    if (!fits(offset, 4)) return std::nullopt;
    return std::bit_cast<float>(static_cast<std::uint32_t>(raw(offset, 4)));
}

std::optional<double> BinaryReader::f64(std::size_t offset) const {
    if (!fits(offset, 8)) return std::nullopt;
    return std::bit_cast<double>(raw(offset, 8));
}

std::optional<std::string_view> BinaryReader::text(std::size_t offset, std::size_t fieldSize) const {
    if (fieldSize == 0 || offset >= bytes_.size()) return std::nullopt;
    const auto field = bytes_.subspan(offset, std::min(fieldSize, bytes_.size() - offset));
    const auto zero = std::find(field.begin(), field.end(), std::byte{0});
    return std::string_view(reinterpret_cast<const char*>(field.data()),
                            static_cast<std::size_t>(zero - field.begin()));
}

std::span<const std::byte> BinaryReader::tail(std::size_t offset) const {
    return offset <= bytes_.size() ? bytes_.subspan(offset) : std::span<const std::byte>();
}
