#include "refdata/dbase_reader.h"

#include <fmt/format.h>

#include <algorithm>
#include <filesystem>
#include <stdexcept>
#include <system_error>
#include <tuple>
#include <utility>

#include "foundation/decrypt.h"
#include "foundation/file_helpers.h"
#include "foundation/log.h"
#include "foundation/strings.h"
#include "foundation/text_convert.h"
#include "foundation/user_error.h"
#include "refdata/code_tables.h"
#include "refdata/registrations.h"
#include "refdata/text_order.h"
#include "settings/file_names.h"

namespace {
constexpr int kDbaseErrorCode = 61;
// Nautical miles per metre.
constexpr double kNmPerMeter = 0.0005399568034557236;
constexpr std::size_t kReservedGroups = 64;
constexpr std::size_t kReservedPublisherGroups = 640;
constexpr std::size_t kReservedThirdParties = 200;
constexpr std::size_t kReservedRegistrations = 60000;

// The deciphered data base is the maker's data in plain text: it must not
// stay on disk, whichever way the read ends.
class PlainFileRemover {
public:
    explicit PlainFileRemover(const std::filesystem::path& path) : path_(path) {}
    ~PlainFileRemover() { gf_removeFileIfExists(path_); }
    PlainFileRemover(const PlainFileRemover&) = delete;
    PlainFileRemover& operator=(const PlainFileRemover&) = delete;

private:
    const std::filesystem::path& path_;
};

pugi::xml_node lf_section(const pugi::xml_document& document, const std::string& section) {
    return document.child("root").child(section.c_str());
}

// The piece without the blanks, tabs and line ends around it.
std::string_view lf_trimmedView(std::string_view piece) {
    const auto first = piece.find_first_not_of(kTrimSet);
    if (first == std::string_view::npos) return {};
    return piece.substr(first, piece.find_last_not_of(kTrimSet) - first + 1);
}

// One sorted group per element; an element without the attribute gives an empty group.
void lf_readGroups(const pugi::xml_document& document, const std::string& section, TextGroups& groups) {
    groups.reserve(kReservedGroups);
    const pugi::xml_node node = lf_section(document, section);
    for (pugi::xml_node element = node.child("similar"); element; element = element.next_sibling("similar")) {
        std::vector<std::string> group = gf_splitTrimmed(element.attribute("types").value());
        std::sort(group.begin(), group.end());
        groups.push_back(std::move(group));
    }
    groups.shrink_to_fit();
}

// Remembers the ids the reader interned codes under. The data base repeats a
// few thousand codes 60,000 times, and an id never changes once handed out,
// so a small local table answers most of them without the shared table. A
// slot packs a code of up to 5 bytes, its length and its id into one number
// (0 marks an empty slot); longer codes always go to the shared table.
class CodeIdMemo {
public:
    CodeIdMemo() : slots_(kSlots, 0) {}

    std::uint16_t id(CodeInterner& interner, std::string_view code) {
        if (code.size() > kMaxLength) return interner.id(code);
        std::uint64_t bytes = 0;
        for (const char c : code) bytes = (bytes << 8) | static_cast<unsigned char>(c);
        return id(interner, code, bytes);
    }

    // The same for an attribute value, measured and packed in one pass.
    std::uint16_t id(CodeInterner& interner, const char* text) {
        std::uint64_t bytes = 0;
        std::size_t length = 0;
        for (; text[length] != '\0'; ++length) {
            if (length == kMaxLength) return interner.id(text);
            bytes = (bytes << 8) | static_cast<unsigned char>(text[length]);
        }
        return id(interner, std::string_view(text, length), bytes);
    }

private:
    // The code's bytes, big-endian, are in the low bits of `bytes`.
    std::uint16_t id(CodeInterner& interner, std::string_view code, std::uint64_t bytes) {
        const std::uint64_t key = (std::uint64_t{code.size() + 1} << (8 * code.size())) | bytes;
        for (std::size_t index = (key * 0x9E3779B97F4A7C15ULL) >> (64 - kSlotBits);;
             index = (index + 1) & (kSlots - 1)) {
            std::uint64_t& slot = slots_[index];
            if (slot == 0) {
                const std::uint16_t id = interner.id(code);
                if (++used_ < kSlots / 2) slot = key | (std::uint64_t{id} << kIdShift);
                return id;
            }
            if ((slot & kKeyMask) == key) return static_cast<std::uint16_t>(slot >> kIdShift);
        }
    }

    static constexpr std::size_t kMaxLength = 5;
    static constexpr unsigned kIdShift = 48;
    static constexpr std::uint64_t kKeyMask = (std::uint64_t{1} << kIdShift) - 1;
    static constexpr unsigned kSlotBits = 14;
    static constexpr std::size_t kSlots = std::size_t{1} << kSlotBits;
    std::vector<std::uint64_t> slots_;
    std::size_t used_ = 0;
};

// The ids the reader has handed out so far, for the registrations' codes.
struct ReaderIds {
    CodeIdMemo airlines;
    CodeIdMemo models;
};

// Steps 1 to 7 of the data base: model codes, cargo types, the five categories.
void lf_readModelSections(const pugi::xml_document& document, CodeIdMemo& memo) {
    lf_readTypesSection(document, "aircrafts", g_icaoModelCodes, "aircraft");
    gf_log(fmt::format("\n{:5} ICAO model codes", g_icaoModelCodes.size()));
    CodeSet cargoTypes;
    lf_readTypesSection(document, "cargo_types", cargoTypes, "cargo_type");

    // The interning order fixes the ids: "" is 0, then the known codes ascending.
    CodeInterner models = CodeInterner::models();
    memo.id(models, "");
    for (const auto& code : g_icaoModelCodes) memo.id(models, code);
    g_modelFixesActive = true;
    for (const auto& code : cargoTypes) memo.id(models, code);

    static const std::pair<const char*, const char*> kCategorySections[kCategorySetCount] = {
        {"heavy", "hvy"}, {"large", "lar"}, {"buzjet", "bzj"}, {"high_performance", "hpf"}, {"rotorcraft", "rot"}};
    for (std::size_t set = 0; set < kCategorySetCount; ++set)
        lf_readTypesSection(document, kCategorySections[set].first, g_categoryModelCodes[set],
                            kCategorySections[set].second);
    for (auto& ids : g_modelCategorySets) ids.clear();
    for (std::size_t set = 0; set < kCategorySetCount; ++set)
        for (const auto& code : g_categoryModelCodes[set]) g_modelCategorySets[set].insert(memo.id(models, code));
}

// Steps 10 and 11: airline codes and cargo operators, interned after "".
void lf_readAirlineSections(const pugi::xml_document& document, CodeIdMemo& memo) {
    lf_readCodesSection(document, "ICAO_airlines", g_icaoAirlineCodes, "ICAO");
    gf_log(fmt::format("{:5} ICAO airline codes", g_icaoAirlineCodes.size()));
    CodeSet cargoOperators;
    lf_readCodesSection(document, "cargo_operators", cargoOperators, "ICAO");
    gf_log(fmt::format("{:5} cargo operators", cargoOperators.size()));
    CodeInterner airlines = CodeInterner::airlines();
    memo.id(airlines, "");
    for (const auto& code : g_icaoAirlineCodes) memo.id(airlines, code);
    for (const auto& code : cargoOperators) memo.id(airlines, code);
}

// Step 12: one group per distinct "names" text, in ascending text order.
void lf_readPublishers(const pugi::xml_document& document) {
    g_publisherGroups.reserve(kReservedPublisherGroups);
    std::vector<std::string> texts;
    const pugi::xml_node node = lf_section(document, "publishers");
    for (pugi::xml_node pub = node.child("pub"); pub; pub = pub.next_sibling("pub"))
        texts.emplace_back(pub.attribute("names").value());
    std::sort(texts.begin(), texts.end());
    texts.erase(std::unique(texts.begin(), texts.end()), texts.end());
    for (const auto& text : texts) {
        std::vector<std::string> group = gf_splitTrimmed(text);
        group.shrink_to_fit();
        g_publisherGroups.push_back(std::move(group));
    }
    g_publisherGroups.shrink_to_fit();
    gf_log(fmt::format("{:5} publishers", g_publisherGroups.size()));
}

// Step 13: the first value of a code is kept; the maximum sees every valid
// one; an invalid type is logged.
void lf_readWingspans(const pugi::xml_document& document) {
    // The spans sorted by type, document order among one type's spans: one
    // walk along the known codes then tells the valid ones, and the first of
    // each type goes in at the map's end without a search.
    struct Span {
        std::uint64_t prefix;
        std::string_view type;
        std::size_t order;
        pugi::xml_attribute meters;
        bool operator<(const Span& other) const {
            return std::tie(prefix, type, order) < std::tie(other.prefix, other.type, other.order);
        }
    };
    std::vector<Span> spans;
    const pugi::xml_node node = lf_section(document, "wingspans");
    for (pugi::xml_node span = node.child("wingspan"); span; span = span.next_sibling("wingspan")) {
        const std::string_view type = span.attribute("type").value();
        spans.push_back({lf_sortPrefix(type), type, spans.size(), span.attribute("meters")});
    }
    std::sort(spans.begin(), spans.end());
    std::vector<std::pair<std::size_t, std::string_view>> invalid;
    auto known = g_icaoModelCodes.begin();
    for (std::size_t i = 0; i < spans.size(); ++i) {
        const Span& span = spans[i];
        while (known != g_icaoModelCodes.end() && *known < span.type) ++known;
        if (span.type.empty() || known == g_icaoModelCodes.end() || *known != span.type) {
            invalid.emplace_back(span.order, span.type);
            continue;
        }
        const double halfSpan = span.meters.as_double(0.0) * 0.5 * kNmPerMeter;
        if (i == 0 || span.type != spans[i - 1].type) g_halfSpans.emplace_hint(g_halfSpans.end(), span.type, halfSpan);
        g_maxHalfSpan = std::max(g_maxHalfSpan, halfSpan);
    }
    std::sort(invalid.begin(), invalid.end());
    for (const auto& [order, type] : invalid) gf_logMarked(fmt::format("wingspan model {} is not valid, skipped", type));
    for (const auto& [code, halfSpan] : g_halfSpans) lf_fillWingspan(code, halfSpan);
}

// Step 14: wrong code -> correct code; the correct one must be a known code.
void lf_readFixes(const pugi::xml_document& document) {
    const pugi::xml_node node = lf_section(document, "fixes");
    if (!node) return;
    for (pugi::xml_node fix = node.child("fx"); fix; fix = fix.next_sibling("fx")) {
        const std::string wrong = fix.attribute("wro").value();
        const std::string correct = fix.attribute("cor").value();
        if (correct.empty() || !g_icaoModelCodes.contains(correct)) {
            gf_logMarked(fmt::format("wrong fix {} -> {}, the latter is not valid", wrong, correct));
            continue;
        }
        if (!g_modelFixes.try_emplace(wrong, correct).second)
            gf_logMarked(fmt::format("wrong part of fix: '{}', already exists, skipped", wrong));
    }
    gf_log(fmt::format("{:5} fixes", g_modelFixes.size()));
}

// The values of one "d" element; a missing attribute reads as "".
struct RegistrationAttributes {
    const char* r = nullptr;
    const char* a = nullptr;
    const char* o = nullptr;
    const char* m = nullptr;
    const char* c = nullptr;
};

// One pass over the element's attributes: each one-letter name takes its
// first occurrence, as a lookup by name would, so the pass ends once all five
// are found. The names are tested first, since the end of the list has none
// (pugixml answers "" there).
RegistrationAttributes lf_registrationAttributes(const pugi::xml_node& d) {
    RegistrationAttributes found;
    int missing = 5;
    for (pugi::xml_attribute attribute = d.first_attribute(); missing > 0; attribute = attribute.next_attribute()) {
        const char* name = attribute.name();
        if (name[0] == '\0') {
            if (!attribute) break;
            continue;
        }
        if (name[1] != '\0') continue;
        const char** slot = nullptr;
        switch (name[0]) {
            case 'r': slot = &found.r; break;
            case 'a': slot = &found.a; break;
            case 'o': slot = &found.o; break;
            case 'm': slot = &found.m; break;
            case 'c': slot = &found.c; break;
            default: break;
        }
        if (slot != nullptr && *slot == nullptr) {
            *slot = attribute.value();
            --missing;
        }
    }
    for (const char** value : {&found.r, &found.a, &found.o, &found.m, &found.c})
        if (*value == nullptr) *value = "";
    return found;
}

// pugixml's reading of a boolean.
bool lf_asBool(const char* text) {
    switch (text[0]) {
        case '1': case 't': case 'T': case 'y': case 'Y': return true;
        default: return false;
    }
}

// The attributes of every "d" in document order.
std::vector<RegistrationAttributes> lf_collectRegistrations(const pugi::xml_document& document) {
    std::vector<RegistrationAttributes> elements;
    elements.reserve(kReservedRegistrations);
    // Testing the element name here is cheaper than asking pugixml for the next "d".
    const pugi::xml_node node = lf_section(document, "dbase");
    for (pugi::xml_node d = node.first_child(); d; d = d.next_sibling()) {
        const char* name = d.name();
        if (name[0] == 'd' && name[1] == '\0') elements.push_back(lf_registrationAttributes(d));
    }
    return elements;
}

// Steps 17 to 19: a record per "d" in document order, codes interned a, o, m;
// then ordered by text, the first record of each text kept. The document is
// walked first and the records made afterwards: two small loops run faster
// than one doing both.
void lf_readRegistrations(const pugi::xml_document& document, ReaderIds& ids) {
    const std::vector<RegistrationAttributes> elements = lf_collectRegistrations(document);
    g_registrations.reserve(kReservedRegistrations);
    CodeInterner airlines = CodeInterner::airlines();
    CodeInterner models = CodeInterner::models();
    for (const RegistrationAttributes& attributes : elements) {
        RegCodes codes;
        codes.airlineId = ids.airlines.id(airlines, attributes.a);
        codes.secondAirlineId = ids.airlines.id(airlines, attributes.o);
        codes.modelId = ids.models.id(models, attributes.m);
        codes.cargo = lf_asBool(attributes.c) ? 1 : 0;
        g_registrations.push_back(RegistrationRecord{attributes.r, codes});
    }
    gf_sortRegistrations();
    g_registrations.shrink_to_fit();
    gf_logAndFlush(fmt::format("{:5} dbase records read", g_registrations.size()));
}

// The same result as merging, without re-inserting into an empty target.
void lf_mergeCodes(CodeSet& target, CodeSet& codes) {
    if (target.empty()) {
        target.swap(codes);
    } else {
        target.merge(codes);
    }
}
}  // namespace

void lf_checkDbaseSection(const pugi::xml_document& document, const std::string& section, CodeSet& target,
                          const std::string& element, const std::string& attribute) {
    const pugi::xml_node root = document.child("root");
    if (!root) throw vlt::UserErrorException(kDbaseErrorCode, "XML root missing: root");
    const pugi::xml_node node = root.child(section.c_str());
    if (!node) throw vlt::UserErrorException(kDbaseErrorCode, "Missing section: " + section);
    std::vector<std::pair<std::uint64_t, std::string_view>> codes;
    for (pugi::xml_node child = node.child(element.c_str()); child; child = child.next_sibling(element.c_str())) {
        for (const auto piece : gf_splitCommaViews(child.attribute(attribute.c_str()).value())) {
            const std::string_view code = lf_trimmedView(piece);
            if (!code.empty()) codes.emplace_back(lf_sortPrefix(code), code);
        }
    }
    if (codes.empty())
        throw vlt::UserErrorException(kDbaseErrorCode,
                                      fmt::format("In XML file section [{}], element [{}], attribute [{}] is empty.",
                                                  section, element, attribute));
    // In ascending order each code goes in at the set's end without a search.
    std::sort(codes.begin(), codes.end());
    for (std::size_t i = 0; i < codes.size(); ++i)
        if (i == 0 || codes[i].second != codes[i - 1].second) target.emplace_hint(target.end(), codes[i].second);
}

void lf_readTypesSection(const pugi::xml_document& document, const std::string& section, CodeSet& target,
                         const std::string& element) {
    CodeSet codes;
    lf_checkDbaseSection(document, section, codes, element, "types");
    lf_mergeCodes(target, codes);
}

void lf_readCodesSection(const pugi::xml_document& document, const std::string& section, CodeSet& target,
                         const std::string& element) {
    CodeSet codes;
    lf_checkDbaseSection(document, section, codes, element, "codes");
    lf_mergeCodes(target, codes);
}

void lf_readThirdParties(const pugi::xml_document& document, const std::string& section, const std::string& element) {
    const pugi::xml_node node = lf_section(document, section);
    for (pugi::xml_node child = node.child(element.c_str()); child; child = child.next_sibling(element.c_str())) {
        ThirdPartyRecord& record = g_thirdParties.emplace_back();
        record.publisher = child.attribute("pub").value();
        const std::string airports = child.attribute("arpts").value();
        if (!airports.empty()) record.airports = gf_splitTrimmed(airports);
    }
}

bool gf_readDbase() {
    std::error_code ec;
    if (!std::filesystem::exists(g_dbaseEncPath, ec))
        throw std::runtime_error(fmt::format("{} not available", gf_pathToUtf8(g_dbaseEncPath)));
    const PlainFileRemover remover(g_dbaseXmlPath);
    if (!gf_streamDecrypt(g_dbaseEncPath, g_dbaseXmlPath))
        throw std::runtime_error(fmt::format("{} stream decrypt failed", gf_pathToUtf8(g_dbaseEncPath)));

    pugi::xml_document document;
    const pugi::xml_parse_result parsed = document.load_file(g_dbaseXmlPath.c_str());
    if (!parsed) {
        gf_logMarked(fmt::format("'{}' not read because of {}", gf_pathToUtf8(g_dbaseXmlPath), parsed.description()));
        return false;
    }

    ReaderIds ids;
    lf_readModelSections(document, ids.models);
    lf_readGroups(document, "similar_types", g_similarGroups);
    lf_readGroups(document, "prefixes", g_prefixGroups);
    gf_logAndFlush(fmt::format("{:5} prefixes", g_prefixGroups.size()));
    lf_buildSimilarPrefixes();
    lf_readAirlineSections(document, ids.airlines);
    lf_readPublishers(document);
    lf_readWingspans(document);
    lf_readFixes(document);
    lf_checkDbaseSection(document, "simaddonsP3D", g_simaddonAirports, "simaddonP3D", "arpts");
    g_thirdParties.reserve(kReservedThirdParties);
    lf_readThirdParties(document, "thirdpartiesP3D", "thirdpartieP3D");
    lf_readRegistrations(document, ids);
    return true;
}
