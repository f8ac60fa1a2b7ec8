#include "refdata/publishers.h"

#include <fmt/format.h>

#include <cctype>
#include <charconv>
#include <stdexcept>

#include "foundation/file_helpers.h"
#include "foundation/log.h"
#include "foundation/text_convert.h"
#include "refdata/state.h"

namespace {
constexpr std::string_view kOrbxMark = "ORBX";

char lf_lower(char c) { return static_cast<char>(std::tolower(static_cast<unsigned char>(c))); }

bool lf_containsNoCaseUtf8(std::string_view text, std::string_view needle) {
    if (needle.empty()) return true;
    if (needle.size() > text.size()) return false;
    for (std::size_t start = 0; start + needle.size() <= text.size(); ++start) {
        std::size_t i = 0;
        while (i < needle.size() && lf_lower(text[start + i]) == lf_lower(needle[i])) ++i;
        if (i == needle.size()) return true;
    }
    return false;
}

// A path text that does not convert names no publisher: say so once per
// call, with the function that met it, and go on.
std::optional<std::string> lf_utf8OrLog(std::u16string_view text, std::string_view function) {
    try {
        return wide_to_utf8(text);
    } catch (const std::exception& e) {
        gf_logMarked(fmt::format("{}: {}, the path is taken as one without a publisher", function, e.what()));
        return std::nullopt;
    }
}

bool lf_nameInText(std::string_view utf8, std::string_view name) {
    return name.empty() || utf8.find(name) != std::string_view::npos || lf_containsNoCaseUtf8(utf8, name);
}
}  // namespace

bool gf_containsNoCase(std::u16string_view text, std::string_view needle) {
    if (needle.empty()) return true;
    const auto utf8 = lf_utf8OrLog(text, "gf_containsNoCase");
    return utf8 && lf_containsNoCaseUtf8(*utf8, needle);
}

std::optional<std::string> gf_publisherInPath(std::u16string_view text) {
    const auto utf8 = lf_utf8OrLog(text, "gf_publisherInPath");
    if (!utf8) return std::nullopt;
    for (const auto& group : g_publisherGroups)
        for (const auto& name : group)
            if (lf_nameInText(*utf8, name)) return group.front();
    return std::nullopt;
}

std::string gf_publisherFromFilename(const std::filesystem::path& path) {
    const std::u16string text = path.u16string();
    const auto utf8 = lf_utf8OrLog(text, "gf_publisherFromFilename");
    if (!utf8) return {};
    if (lf_nameInText(*utf8, kOrbxMark)) {
        gf_addScanLogLine(fmt::format("from filename => publisher {}", kSimaddonPublisher));
        return std::string(kSimaddonPublisher);
    }
    return gf_publisherInPath(text).value_or("");
}

bool gf_parseFourNumbers(std::string_view publisher, const AirportCode& code, std::int32_t& number,
                         std::string_view entry) {
    const std::string codeText = code.text();
    if (entry.size() < codeText.size() || entry.substr(0, codeText.size()) != codeText) return false;
    const std::string_view rest = entry.substr(codeText.size());
    std::int32_t value = 0;
    // An optional "-", then the longest run of digits; what follows is ignored.
    const auto [end, error] = std::from_chars(rest.data(), rest.data() + rest.size(), value);
    if (error == std::errc{}) {
        number = value;
        return true;
    }
    gf_logMarked(fmt::format("{} {} {} {}", publisher, codeText, entry, "invalid number"));
    return true;
}
