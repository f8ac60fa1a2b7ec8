#include "airports/half_hours.h"

#include <fmt/format.h>

#include <bit>
#include <cctype>
#include <charconv>
#include <vector>

#include "foundation/log.h"

namespace {
constexpr HalfHourSet kAllSlots = (HalfHourSet{1} << kHalfHoursPerDay) - 1;

std::string_view lf_trimSpace(std::string_view text) {
    while (!text.empty() && std::isspace(static_cast<unsigned char>(text.front()))) text.remove_prefix(1);
    while (!text.empty() && std::isspace(static_cast<unsigned char>(text.back()))) text.remove_suffix(1);
    return text;
}

std::vector<std::string_view> lf_split(std::string_view text, char separator) {
    std::vector<std::string_view> pieces;
    std::size_t start = 0;
    while (true) {
        const auto at = text.find(separator, start);
        if (at == std::string_view::npos) {
            pieces.push_back(text.substr(start));
            return pieces;
        }
        pieces.push_back(text.substr(start, at - start));
        start = at + 1;
    }
}

HalfHourSet lf_slotBit(int slot) { return HalfHourSet{1} << slot; }
}  // namespace

HalfHourSet gf_hours2bitset(std::string_view text) {
    // One slot: a signed decimal read up to its first non-digit ("12x" is
    // 12), accepted in 0..47. Its message carries the name it has always had.
    const auto parseHour = [text](std::string_view piece) -> std::optional<int> {
        const std::string_view trimmed = lf_trimSpace(piece);
        std::int32_t value = 0;
        const auto result = std::from_chars(trimmed.data(), trimmed.data() + trimmed.size(), value);
        if (result.ec == std::errc{} && static_cast<std::uint32_t>(value) < static_cast<std::uint32_t>(kHalfHoursPerDay))
            return value;
        gf_logMarked(fmt::format("{} invalid hour '{}' in {}", "operator ()", trimmed, text));
        return std::nullopt;
    };

    HalfHourSet set = 0;
    if (text.empty()) return set;
    if (text.find(':') == std::string_view::npos) {
        for (const auto piece : lf_split(text, ','))
            if (const auto slot = parseHour(piece)) set |= lf_slotBit(*slot);
        return set;
    }

    int slots[2] = {0, 0};
    int valid = 0;
    bool failed = false;
    for (const auto piece : lf_split(text, ':')) {
        if (valid == 2) {
            gf_logMarked(fmt::format("{} more than one colon char in: {}", "gf_hours2bitset", text));
            return 0;
        }
        if (const auto slot = parseHour(piece))
            slots[valid++] = *slot;
        else
            failed = true;
    }
    if (failed) return 0;
    const int first = slots[0];
    const int last = slots[1];
    if (last < first) {
        gf_logMarked(fmt::format("{} descending range not allowed ({}:{} in {})", "gf_hours2bitset", first, last, text));
        return 0;
    }
    for (int slot = first; slot <= last; ++slot) set |= lf_slotBit(slot);
    return set;
}

std::optional<std::string> lf_formatHourRange(HalfHourSet set) {
    set &= kAllSlots;
    if (set == 0) return std::nullopt;
    const int first = std::countr_zero(set);
    const int last = 63 - std::countl_zero(set);
    if (std::popcount(set) != last - first + 1) return std::nullopt;
    if (first == last) return fmt::format("{}", first);
    return fmt::format("{}:{}", first, last);
}

std::optional<std::string> lf_bitset2hours(HalfHourSet set) {
    std::string text;
    for (int slot = 0; slot < kHalfHoursPerDay; ++slot) {
        if ((set & lf_slotBit(slot)) == 0) continue;
        if (!text.empty()) text += ',';
        text += fmt::format("{}", slot);
    }
    if (text.empty()) return std::nullopt;
    return text;
}
