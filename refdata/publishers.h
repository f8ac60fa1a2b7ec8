// Which add-on scenery publisher a path belongs to, and the airport entries
// of the thirdparty publishers. Read-only tables: any thread.
#pragma once

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

#include "foundation/fixed_code.h"

// The publisher of every scenery whose path names ORBX; its airports are
// linked to the archive's "simaddon" files.
inline constexpr std::string_view kSimaddonPublisher = "simaddon";

// Whether the needle occurs in the text, letters compared after tolower; an
// empty needle always occurs. A text that is not valid UTF-16 contains
// nothing (and is logged).
bool gf_containsNoCase(std::u16string_view text, std::string_view needle);
// The canonical name of the first publisher group one of whose names occurs
// in the path text. A text that is not valid UTF-16 has no publisher (logged).
std::optional<std::string> gf_publisherInPath(std::u16string_view text);
// "simaddon" for a path containing "ORBX" in any letter case, else the
// publisher found in the path, else "".
std::string gf_publisherFromFilename(const std::filesystem::path& path);
// Whether the thirdparty entry ("EGLL12") belongs to the airport; then the
// number after the code goes to number. A bad number is logged and the entry
// still belongs to the airport (number unchanged).
bool gf_parseFourNumbers(std::string_view publisher, const AirportCode& code, std::int32_t& number,
                         std::string_view entry);
