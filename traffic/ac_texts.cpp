#include "traffic/ac_texts.h"

#include <fmt/format.h>

#include <cctype>

#include "foundation/strings.h"
#include "refdata/code_tables.h"

namespace {
bool isLetter(char c) { return std::isalpha(static_cast<unsigned char>(c)) != 0; }
bool isDigit(char c) { return c >= '0' && c <= '9'; }
}  // namespace

std::string gf_modelKeyText(const ModelKey& key) {
    const std::string second =
        key.secondAirlineId != 0 ? fmt::format(",{}", gf_airlineCodeText(key.secondAirlineId)) : std::string();
    return fmt::format("{:3}{:4} {:4}{:3}", gf_airlineCodeText(key.airlineId), second,
                       gf_modelCodeText(key.modelId), key.cargo != 0 ? "(C)" : "");
}

std::string gf_routeText(const AcIdent& ident) {
    if (!ident.origin.isSet() && !ident.destination.isSet()) return std::string(8, ' ');
    return fmt::format("{:3}->{:3}", ident.origin.text(), ident.destination.text());
}

std::string gf_callsignField(const AcIdent& ident) { return fmt::format("{:8}", ident.callsign); }

std::string gf_acIdentText(const AcIdent& ident) {
    return fmt::format("{} {:12} {}", gf_callsignField(ident), ident.registration, gf_routeText(ident));
}

std::string gf_acText(const AcIdent& ident) {
    return fmt::format("{} {}", gf_acIdentText(ident), gf_modelKeyText(ident.modelKey));
}

std::string gf_liveAcText(const LiveAc& aircraft) { return gf_acText(aircraft); }

std::string gf_acRegText(const AcIdent& ident) {
    return fmt::format("{} {} {}", gf_callsignField(ident), ident.registration, gf_modelKeyText(ident.modelKey));
}

std::string gf_acDescription(const AcIdent& ident) {
    return fmt::format("{} {}", gf_modelKeyText(ident.modelKey), ident.registration);
}

bool gf_isPlaceholder(std::string_view text) { return !text.empty() && text != "@@@@@@@@" && text.size() <= 8; }

std::optional<std::string> gf_normaliseCode(std::string_view callsign) {
    if (callsign.size() < 4 || !isLetter(callsign[0]) || !isLetter(callsign[1]) || !isLetter(callsign[2]) ||
        !isDigit(callsign[3]))
        return std::nullopt;
    std::string code(callsign.substr(0, 3));
    gf_toUpper(code);
    return code;
}
