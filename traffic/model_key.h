// The model key of an aircraft: airline, second airline, model and cargo
// flag, copied, compared and replaced as one 64-bit unit.
#pragma once

#include <cstdint>

struct ModelKey {
    std::uint16_t airlineId = 0;        // id in the airline-code table; 0 = none
    std::uint16_t secondAirlineId = 0;  // 0 = none
    std::uint16_t modelId = 0;          // id in the model-code table
    std::uint8_t cargo = 0;
    std::uint8_t spare = 0;

    // airlineId in the low 16 bits, then secondAirlineId, modelId and cargo.
    std::uint64_t packed() const {
        return static_cast<std::uint64_t>(airlineId) | static_cast<std::uint64_t>(secondAirlineId) << 16 |
               static_cast<std::uint64_t>(modelId) << 32 | static_cast<std::uint64_t>(cargo) << 48 |
               static_cast<std::uint64_t>(spare) << 56;
    }
    static ModelKey fromPacked(std::uint64_t value) {
        return ModelKey{static_cast<std::uint16_t>(value), static_cast<std::uint16_t>(value >> 16),
                        static_cast<std::uint16_t>(value >> 32), static_cast<std::uint8_t>(value >> 48),
                        static_cast<std::uint8_t>(value >> 56)};
    }
    bool operator==(const ModelKey& other) const { return packed() == other.packed(); }
};
