#include "refdata/registrations.h"

#include <algorithm>

#include "foundation/log.h"
#include "traffic/state.h"

namespace {
constexpr std::string_view kDash = "-";
// A registration prefix ("D-", "9A", "OE-") is shorter than this.
constexpr std::size_t kPrefixLengthLimit = 6;
constexpr std::size_t kDashCandidateMinLength = 5;

bool lf_registrationLess(const RegistrationRecord& a, const RegistrationRecord& b) {
    return a.registration < b.registration;
}
}  // namespace

void gf_sortRegistrations() {
    // Stable, so that of several records with one text the first in the
    // document survives: the data base's order decides, not the sort's.
    std::stable_sort(g_registrations.begin(), g_registrations.end(), lf_registrationLess);
    const auto last =
        std::unique(g_registrations.begin(), g_registrations.end(),
                    [](const RegistrationRecord& a, const RegistrationRecord& b) { return a.registration == b.registration; });
    g_registrations.erase(last, g_registrations.end());
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
