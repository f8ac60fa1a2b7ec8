// The one writer of little-endian binary records (SimConnect packets, test
// scenery files): each field is placed at its offset in a byte range that the
// caller owns, byte by byte, whatever the machine's own order and alignment.
// Writing beyond the end is a programming error and ends the program.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <string_view>

class BinaryWriter {
public:
    explicit BinaryWriter(std::span<std::byte> bytes) : bytes_(bytes) {}

    void u16(std::size_t offset, std::uint16_t value);
    void u32(std::size_t offset, std::uint32_t value);
    void f32(std::size_t offset, float value);
    void f64(std::size_t offset, double value);
    void bytes(std::size_t offset, std::span<const std::byte> data);
    // A zero-terminated text in a field of fieldSize bytes; the rest of the
    // field is left as it is. False, and nothing written, when the text and
    // its terminating zero do not fit.
    bool text(std::size_t offset, std::size_t fieldSize, std::string_view text);

private:
    std::span<std::byte> bytes_;
};
