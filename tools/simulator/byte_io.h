// Little-endian reading and writing of packet bytes. Every field of a request
// is read through ByteReader, which checks the bounds, and every reply is
// built through ByteWriter; no packed structure is ever laid over a buffer.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace simulator {

class ByteReader {
public:
    explicit ByteReader(std::span<const std::uint8_t> bytes) : bytes_(bytes) {}

    std::size_t size() const { return bytes_.size(); }
    bool has(std::size_t offset, std::size_t count) const {
        return offset <= bytes_.size() && count <= bytes_.size() - offset;
    }
    // Each reader returns 0 (or an empty span) when the field lies outside.
    std::uint32_t u32(std::size_t offset) const;
    std::uint64_t u64(std::size_t offset) const;
    float f32(std::size_t offset) const;
    double f64(std::size_t offset) const;
    std::span<const std::uint8_t> bytes(std::size_t offset, std::size_t count) const;

private:
    std::span<const std::uint8_t> bytes_;
};

// A zero-terminated text inside a fixed field: its bytes up to the zero, and
// whether the bytes after the zero are all zero as well. No value when the
// field holds no zero at all.
struct FixedText {
    std::string text;
    bool cleanTail = true;
};
std::optional<FixedText> readFixedText(const ByteReader& reader, std::size_t offset, std::size_t fieldSize);

class ByteWriter {
public:
    explicit ByteWriter(std::size_t reserve = 64) { bytes_.reserve(reserve); }

    void u32(std::uint32_t value);
    void i64(std::int64_t value);
    void f32(float value);
    void f64(double value);
    // The text cut to fieldSize - 1 bytes, then zeros up to the field size.
    void fixedText(std::string_view text, std::size_t fieldSize);
    void raw(std::span<const std::uint8_t> data);
    void zeros(std::size_t count);
    // Writes a u32 over bytes already written (sizes known only at the end).
    void patchU32(std::size_t offset, std::uint32_t value);

    std::size_t size() const { return bytes_.size(); }
    std::vector<std::uint8_t>& bytes() { return bytes_; }
    std::vector<std::uint8_t> take() { return std::move(bytes_); }

private:
    std::vector<std::uint8_t> bytes_;
};

// Bytes as lower-case hexadecimal pairs separated by blanks (for the record).
std::string hexBytes(std::span<const std::uint8_t> bytes, std::size_t limit = 1024);

}  // namespace simulator
