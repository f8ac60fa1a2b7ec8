// A version triple major.minor.patch.
#pragma once

#include <compare>
#include <cstdint>
#include <optional>
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

// The same reading, telling a text that is no version (logged as above) from
// a real 0.0.0: nullopt for the former. An empty text is 0.0.0.
std::optional<VersionData> gf_readVersion(std::string_view text);
