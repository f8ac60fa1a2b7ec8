#include "refdata/registrations.h"

#include <algorithm>
#include <array>
#include <utility>

#include <gsl/narrow>

#include "foundation/log.h"
#include "refdata/text_order.h"
#include "traffic/state.h"

namespace {
constexpr std::string_view kDash = "-";
// A registration prefix ("D-", "9A", "OE-") is shorter than this.
constexpr std::size_t kPrefixLengthLimit = 6;
constexpr std::size_t kDashCandidateMinLength = 5;

// A record's place in the sort: the sort prefix of its text and its index.
struct SortKey {
    std::uint64_t prefix = 0;
    std::uint32_t index = 0;
};

// Stable LSD radix sort by prefix, 11 bits per pass; a pass whose digit is
// the same in every key is skipped.
void lf_radixSortByPrefix(std::vector<SortKey>& keys) {
    constexpr unsigned kBits = 11;
    constexpr unsigned kPasses = (64 + kBits - 1) / kBits;
    constexpr std::uint64_t kMask = (1u << kBits) - 1;
    std::vector<std::array<std::uint32_t, 1u << kBits>> counts(kPasses);
    for (const SortKey& key : keys)
        for (unsigned pass = 0; pass < kPasses; ++pass) ++counts[pass][(key.prefix >> (kBits * pass)) & kMask];
    std::vector<SortKey> buffer(keys.size());
    for (unsigned pass = 0; pass < kPasses; ++pass) {
        auto& count = counts[pass];
        if (std::find(count.begin(), count.end(), keys.size()) != count.end()) continue;
        std::uint32_t offset = 0;
        for (auto& slot : count) offset += std::exchange(slot, offset);
        for (const SortKey& key : keys) buffer[count[(key.prefix >> (kBits * pass)) & kMask]++] = key;
        keys.swap(buffer);
    }
}
}  // namespace

void gf_sortRegistrations() {
    // Ordered by text, ties by document order: of several records with one
    // text the first in the data base survives. The data base holds 60,000
    // registrations, so the sort works on small keys: a stable radix sort by
    // the first 8 bytes, then a stable sort by the whole text within each run
    // of equal first bytes. Texts that differ in their first 8 bytes differ,
    // so only within a run are repeated texts possible.
    const auto count = gsl::narrow<std::uint32_t>(g_registrations.size());
    std::vector<SortKey> keys(count);
    for (std::uint32_t i = 0; i < count; ++i) keys[i] = {lf_sortPrefix(g_registrations[i].registration), i};
    lf_radixSortByPrefix(keys);
    const auto textOf = [](const SortKey& key) -> const std::string& { return g_registrations[key.index].registration; };
    std::vector<RegistrationRecord> sorted;
    sorted.reserve(count);
    for (auto run = keys.begin(); run != keys.end();) {
        auto end = run + 1;
        while (end != keys.end() && end->prefix == run->prefix) ++end;
        if (end - run > 1)
            std::stable_sort(run, end, [&](const SortKey& a, const SortKey& b) { return textOf(a) < textOf(b); });
        for (auto key = run; key != end; ++key) {
            if (key != run && textOf(*key) == sorted.back().registration) continue;
            sorted.push_back(std::move(g_registrations[key->index]));
        }
        run = end;
    }
    g_registrations = std::move(sorted);
}

std::vector<std::string> gf_regCandidates(std::string_view registration) {
    std::vector<std::string> candidates;
    candidates.reserve(3);
    if (registration.size() >= kDashCandidateMinLength && registration.front() != 'N' &&
        registration.find(kDash) == std::string_view::npos) {
        std::string twoLetter(registration.substr(0, 2));
        twoLetter.append(kDash).append(registration.substr(2));
        candidates.push_back(std::move(twoLetter));
        std::string oneLetter(registration.substr(0, 1));
        oneLetter.append(kDash).append(registration.substr(1));
        candidates.push_back(std::move(oneLetter));
    }
    candidates.emplace_back(registration);
    return candidates;
}

std::optional<RegCodes> gf_findRegistration(std::string_view registration) {
    if (registration.empty()) return std::nullopt;
    for (const auto& candidate : gf_regCandidates(registration)) {
        const auto found = std::lower_bound(
            g_registrations.begin(), g_registrations.end(), candidate,
            [](const RegistrationRecord& record, const std::string& text) { return record.registration < text; });
        if (found != g_registrations.end() && found->registration == candidate) return found->codes;
    }
    return std::nullopt;
}

std::optional<std::string> gf_regPrefixIn(std::string_view text) {
    for (const auto& record : g_registrations) {
        const std::string& prefix = record.registration;
        if (prefix.size() >= kPrefixLengthLimit || prefix.size() > text.size()) continue;
        if (text.find(prefix) != std::string_view::npos) return prefix;
    }
    return std::nullopt;
}

void gf_logNoMatch() {
    if (g_noMatchAcs.empty()) return;
    gf_log("\nNo match found for:");
    for (const auto& text : g_noMatchAcs) gf_log(text);
    gf_log("");
}

void gf_clearNoMatchList() { g_noMatchAcs.clear(); }
