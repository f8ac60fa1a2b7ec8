// Small text routines whose exact character sets and widths other code relies on.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

inline constexpr std::string_view kTrimSet = " \t\n\r";
inline constexpr std::string_view kPluralSuffix = "s";
inline constexpr std::string_view kLineBreak = "\n";
inline constexpr int kBannerWidth1 = 10;
inline constexpr int kBannerWidth2 = 70;

std::string gf_trimmed(std::string_view text);
std::string gf_trimmedCopy(const std::string& text);
void gf_trim(std::string& text);
// Upper-cases every byte in the "C" locale (bytes above 0x7F stay as they are).
void gf_toUpper(std::string& text);
char gf_toUpperChar(char c);
// Pieces between ',' characters; an empty text gives no piece.
std::vector<std::string_view> gf_splitCommaViews(std::string_view text);
// Pieces between ',' (an empty text gives none, a trailing ',' an empty last
// piece), sorted ascending without duplicates.
std::vector<std::string> gf_splitCommaList(std::string_view text);
// Pieces between ',' each trimmed.
std::vector<std::string> gf_splitTrimmed(std::string_view text);
// b is a followed by "*".
bool gf_equalsWithStar(std::string_view a, std::string_view b);
// "3" for 3.0, "2.5" for 2.5.
std::string gf_formatOneDecimal(float value);
// "s" unless the count is 1 (or, for signed counts, negative).
std::string_view gf_plural(std::int64_t count);
std::string_view gf_plural(std::int32_t count);
std::string_view gf_plural(std::uint64_t count);
// Appends a banner line: (N/2 - 1) '*', a blank, the text, a blank and
// (N/2 - 1) '*', with N the widths' sum rounded up to even; N '*' for an
// empty text; the text alone when it is too long for the stars.
void gf_makeBanner(std::string& out, int width1, int width2, bool leadingBreak, bool trailingBreak,
                   std::string_view text);
