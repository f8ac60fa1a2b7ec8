#include "foundation/version.h"

#include <fmt/format.h>

#include <charconv>
#include <cstdint>
#include <nlohmann/json.hpp>
#include <regex>
#include <stdexcept>

#include "foundation/log.h"
#include "foundation/strings.h"

namespace {
std::int32_t parseField(const std::ssub_match& group) {
    std::int32_t value = 0;
    const char* first = &*group.first;
    const char* last = first + group.length();
    const auto [end, ec] = std::from_chars(first, last, value);
    if (ec != std::errc() || end != last) throw std::runtime_error("parse error in version string");
    return value;
}

// A member of the JSON form: an integer that fits the field. The library's
// own conversion would turn 11.9 into 11, true into 1 and 3000000000 into a
// negative number.
std::int32_t jsonField(const nlohmann::json& object, const char* name) {
    const nlohmann::json& field = object.at(name);
    const bool fits = (field.is_number_unsigned() && field.get<std::uint64_t>() <= INT32_MAX) ||
                      (field.is_number_integer() && field.get<std::int64_t>() >= 0 &&
                       field.get<std::int64_t>() <= INT32_MAX);
    if (!fits)
        throw std::runtime_error(fmt::format("version field {} is not a whole number from 0 to {}", name, INT32_MAX));
    return static_cast<std::int32_t>(field.get<std::int64_t>());
}

void parse(std::string_view text, VersionData& out) {
    if (text.empty()) return;
    static const std::regex pattern(R"((\d+)\.(\d+)\.(\d+))");
    const std::string whole(text);
    std::smatch match;
    if (std::regex_match(whole, match, pattern)) {
        out.major = parseField(match[1]);
        out.minor = parseField(match[2]);
        out.patch = parseField(match[3]);
        return;
    }
    const std::string trimmed = gf_trimmed(text);
    if (!trimmed.empty() && trimmed.front() == '{') {
        const auto json = nlohmann::json::parse(trimmed);
        out.major = jsonField(json, "major");
        out.minor = jsonField(json, "minor");
        out.patch = jsonField(json, "patch");
        return;
    }
    throw std::runtime_error("invalid version format");
}
}  // namespace

std::optional<VersionData> gf_readVersion(std::string_view text) {
    try {
        VersionData version;
        parse(text, version);
        return version;
    } catch (const std::exception& e) {
        gf_log(fmt::format("{} exception: {}", "VersionData", e.what()));
        return std::nullopt;
    }
}

VersionData::VersionData(std::string_view text) : VersionData(gf_readVersion(text).value_or(VersionData())) {}

std::string VersionData::toString() const { return fmt::format("{}.{}.{}", major, minor, patch); }
