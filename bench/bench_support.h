// What the benchmarks share: the codes of generated data sets and the
// timing of one piece of work.
#pragma once

#include <chrono>
#include <cstdint>
#include <string>

namespace bench_support {

// A code of the given length over A-Z and 0-9, distinct for each value below 36^length.
inline std::string code(std::uint32_t value, int length) {
    static constexpr char kDigits[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789";
    std::string text(static_cast<std::size_t>(length), 'A');
    for (int i = length - 1; i >= 0; --i) {
        text[static_cast<std::size_t>(i)] = kDigits[value % 36];
        value /= 36;
    }
    return text;
}

// The milliseconds the work takes.
double milliseconds(auto&& work) {
    const auto start = std::chrono::steady_clock::now();
    work();
    return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
}

}  // namespace bench_support
