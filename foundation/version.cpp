#include "foundation/version.h"

#include <fmt/format.h>

#include <charconv>
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
        out.major = json.at("major").get<std::int32_t>();
        out.minor = json.at("minor").get<std::int32_t>();
        out.patch = json.at("patch").get<std::int32_t>();
        return;
    }
    throw std::runtime_error("invalid version format");
}
}  // namespace

VersionData::VersionData(std::string_view text) {
    try {
        parse(text, *this);
    } catch (const std::exception& e) {
        *this = VersionData();
        gf_log(fmt::format("{} exception: {}", "VersionData", e.what()));
    }
}

std::string VersionData::toString() const { return fmt::format("{}.{}.{}", major, minor, patch); }
