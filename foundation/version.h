// A version triple major.minor.patch.
#pragma once

#include <compare>
#include <cstdint>
#include <string>
#include <string_view>

struct VersionData {
    std::int32_t major = 0;
    std::int32_t minor = 0;
    std::int32_t patch = 0;

    VersionData() = default;
    constexpr VersionData(std::int32_t ma, std::int32_t mi, std::int32_t pa) : major(ma), minor(mi), patch(pa) {}
    // From "11.14.0" or a JSON object with "major", "minor" and "patch". Never
    // throws: anything else logs "VersionData exception: ..." and gives 0.0.0.
    explicit VersionData(std::string_view text);

    std::string toString() const;
    auto operator<=>(const VersionData&) const = default;
};
