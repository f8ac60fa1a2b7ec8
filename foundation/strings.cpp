#include "foundation/strings.h"

#include <fmt/format.h>

#include <algorithm>
#include <cctype>
#include <cmath>

std::string gf_trimmed(std::string_view text) {
    const auto first = text.find_first_not_of(kTrimSet);
    if (first == std::string_view::npos) return {};
    const auto last = text.find_last_not_of(kTrimSet);
    return std::string(text.substr(first, last - first + 1));
}

std::string gf_trimmedCopy(const std::string& text) { return gf_trimmed(text); }

void gf_trim(std::string& text) {
    const auto last = text.find_last_not_of(kTrimSet);
    if (last == std::string::npos) {
        text.clear();
        return;
    }
    text.erase(last + 1);
    text.erase(0, text.find_first_not_of(kTrimSet));
}

char gf_toUpperChar(char c) { return static_cast<char>(std::toupper(static_cast<unsigned char>(c))); }

void gf_toUpper(std::string& text) {
    for (char& c : text) c = gf_toUpperChar(c);
}

std::vector<std::string_view> gf_splitCommaViews(std::string_view text) {
    std::vector<std::string_view> pieces;
    if (text.empty()) return pieces;
    std::size_t start = 0;
    while (true) {
        const auto comma = text.find(',', start);
        if (comma == std::string_view::npos) {
            pieces.push_back(text.substr(start));
            return pieces;
        }
        pieces.push_back(text.substr(start, comma - start));
        start = comma + 1;
    }
}

std::vector<std::string> gf_splitCommaList(std::string_view text) {
    std::vector<std::string> pieces;
    for (const auto piece : gf_splitCommaViews(text)) pieces.emplace_back(piece);
    std::sort(pieces.begin(), pieces.end());
    pieces.erase(std::unique(pieces.begin(), pieces.end()), pieces.end());
    return pieces;
}

std::vector<std::string> gf_splitTrimmed(std::string_view text) {
    std::vector<std::string> pieces;
    for (const auto piece : gf_splitCommaViews(text)) pieces.push_back(gf_trimmed(piece));
    return pieces;
}

bool gf_equalsWithStar(std::string_view a, std::string_view b) {
    return b.size() == a.size() + 1 && b.back() == '*' && b.substr(0, a.size()) == a;
}

std::string gf_formatOneDecimal(float value) {
    if (std::fmod(value, 1.0f) == 0.0f) return fmt::format("{:.0f}", value);
    return fmt::format("{:.1f}", value);
}

std::string_view gf_plural(std::int64_t count) { return count >= 0 && count != 1 ? kPluralSuffix : ""; }
std::string_view gf_plural(std::int32_t count) { return gf_plural(static_cast<std::int64_t>(count)); }
std::string_view gf_plural(std::uint64_t count) { return count != 1 ? kPluralSuffix : ""; }

void gf_makeBanner(std::string& out, int width1, int width2, bool leadingBreak, bool trailingBreak,
                   std::string_view text) {
    out = leadingBreak ? std::string(kLineBreak) : std::string();
    int n = width1 + width2;
    if (n % 2 != 0) ++n;
    const auto length = static_cast<int>(text.size());
    if (text.empty()) {
        out.append(static_cast<std::size_t>(std::max(n, 0)), '*');
    } else if (n > length + 2) {
        const std::string stars(static_cast<std::size_t>(n / 2 - 1), '*');
        out += stars;
        out += ' ';
        out += text;
        out += ' ';
        out += stars;
    } else {
        out += text;
    }
    if (trailingBreak) out += kLineBreak;
}
