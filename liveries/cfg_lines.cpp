#include "liveries/cfg_lines.h"

namespace {
constexpr std::string_view kHeaderOpening = "[fltsim.";

char lf_asciiLower(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; }
bool lf_isDigit(char c) { return c >= '0' && c <= '9'; }

std::size_t lf_skipSpace(std::string_view line, std::size_t at) {
    while (at < line.size() && lf_isCfgSpace(line[at])) ++at;
    return at;
}

// The lower-case text stands at the position, letters in any case.
bool lf_hasTextAt(std::string_view line, std::size_t at, std::string_view lowerText) {
    if (line.size() - at < lowerText.size()) return false;
    for (std::size_t i = 0; i < lowerText.size(); ++i)
        if (lf_asciiLower(line[at + i]) != lowerText[i]) return false;
    return true;
}

bool lf_readValue(std::string_view line, std::string_view key, std::string& value) {
    const std::string_view found = lf_matchKey(line, key);
    if (found.empty()) return false;
    value.assign(found);
    return true;
}
}  // namespace

bool lf_isCfgSpace(char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r'; }

std::string_view lf_matchKey(std::string_view line, std::string_view key) {
    std::size_t at = lf_skipSpace(line, 0);
    if (!lf_hasTextAt(line, at, key)) return {};
    at = lf_skipSpace(line, at + key.size());
    if (at == line.size() || line[at] != '=') return {};
    const std::size_t begin = lf_skipSpace(line, at + 1);
    std::size_t end = line.size();
    while (end > begin && lf_isCfgSpace(line[end - 1])) --end;
    const std::string_view value = line.substr(begin, end - begin);
    // "." matches neither LF nor CR, so a value holding one is no value.
    if (value.find_first_of("\r\n") != std::string_view::npos) return {};
    return value;
}

std::string lf_fltsimHeader(std::string_view line) {
    if (line.starts_with("//")) return {};
    std::size_t at = lf_skipSpace(line, 0);
    if (lf_hasTextAt(line, at, kHeaderOpening)) {
        at += kHeaderOpening.size();
        const std::size_t digits = at;
        while (at < line.size() && lf_isDigit(line[at])) ++at;
        if (at > digits && at < line.size() && line[at] == ']' && lf_skipSpace(line, at + 1) == line.size())
            return std::string(line.substr(digits, at - digits));
    }
    if (line.find(kHeaderOpening) != std::string_view::npos || line.find("[FLTSIM.") != std::string_view::npos)
        return std::string(kHighestFltsimNumber);
    return {};
}

bool lf_readTitleKey(std::string_view line, std::string& value) { return lf_readValue(line, kTitleKey, value); }
bool lf_readSimKey(std::string_view line, std::string& value) { return lf_readValue(line, kSimKey, value); }
bool lf_readModelKey(std::string_view line, std::string& value) { return lf_readValue(line, kModelKey, value); }
bool lf_readTextureKey(std::string_view line, std::string& value) { return lf_readValue(line, kTextureKey, value); }
bool lf_readAtcIdKey(std::string_view line, std::string& value) { return lf_readValue(line, kAtcIdKey, value); }
bool lf_readAtcParkingTypesKey(std::string_view line, std::string& value) {
    return lf_readValue(line, kAtcParkingTypesKey, value);
}
std::string lf_readAtcModelKey(std::string_view line) { return std::string(lf_matchKey(line, kAtcModelKey)); }
std::string lf_readAtcParkingCodesKey(std::string_view line) {
    return std::string(lf_matchKey(line, kAtcParkingCodesKey));
}
bool lf_hasAtcIdKey(std::string_view line) { return line.find("atc_id=") != std::string_view::npos; }
bool lf_hasAtcParkingTypesKey(std::string_view line) { return line.find(kAtcParkingTypesKey) != std::string_view::npos; }
