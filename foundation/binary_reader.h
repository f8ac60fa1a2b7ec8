// The one reader of little-endian binary records (SimConnect messages, the
// records of compiled scenery files): every read names its offset and is
// checked against the end of the record; a field that does not lie wholly
// inside it gives no value.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string_view>

class BinaryReader {
public:
    explicit BinaryReader(std::span<const std::byte> bytes) : bytes_(bytes) {}

    std::size_t size() const { return bytes_.size(); }
    // True when the record holds at least `size` bytes.
    bool holds(std::size_t size) const { return bytes_.size() >= size; }

    std::optional<std::uint16_t> u16(std::size_t offset) const;
    std::optional<std::uint32_t> u32(std::size_t offset) const;
    std::optional<std::int64_t> i64(std::size_t offset) const;
    std::optional<float> f32(std::size_t offset) const;
    std::optional<double> f64(std::size_t offset) const;
    // The bytes of a zero-terminated text in a field of fieldSize bytes: up to
    // the first zero, the end of the field or the end of the record, whichever
    // comes first. No value when the field does not start inside the record.
    std::optional<std::string_view> text(std::size_t offset, std::size_t fieldSize) const;
    // The bytes from offset to the end (empty when offset is beyond it).
    std::span<const std::byte> tail(std::size_t offset) const;

private:
    bool fits(std::size_t offset, std::size_t size) const {
        return offset <= bytes_.size() && bytes_.size() - offset >= size;
    }
    std::uint64_t raw(std::size_t offset, std::size_t size) const;

    std::span<const std::byte> bytes_;
};
