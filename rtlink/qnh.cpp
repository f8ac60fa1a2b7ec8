#include "rtlink/qnh.h"

#include <fmt/format.h>

#include <algorithm>
#include <charconv>
#include <cmath>
#include <gsl/gsl>
#include <nlohmann/json.hpp>

#include "foundation/log.h"
#include "rtlink/state.h"
#include "traffic/state.h"

namespace {
constexpr std::int32_t kInHgThreshold = 1100;
constexpr double kHpaPerHundredthInHg = 0.33865307;

// Rounds halves away from zero; a value that is no finite number in the i32
// range is a narrowing error (a plain cast would be undefined).
std::int32_t roundedInt32(double value) {
    const double rounded = std::round(value);
    if (!std::isfinite(rounded) || rounded < -2147483648.0 || rounded > 2147483647.0) throw gsl::narrowing_error();
    return static_cast<std::int32_t>(rounded);
}

QnhVerdict parseAndPublish(QnhState& state, std::string_view datagram) {
    const auto json = nlohmann::json::parse(datagram.begin(), datagram.end());
    if (!json.is_object()) throw nlohmann::json::type_error::create(302, "the QNH datagram is not a JSON object", &json);
    const auto member = json.find("QNH");
    if (member == json.end() || member->is_null() || member->is_boolean() || member->is_object() ||
        member->is_array()) {
        state.errorLines.log(fmt::format("no QNH {}", gf_textForLog(datagram)));
        return QnhVerdict::rejected;
    }
    std::int32_t q = kDefaultQnh;
    if (member->is_number_unsigned()) {
        q = gsl::narrow<std::int32_t>(member->get<std::uint64_t>());
    } else if (member->is_number_integer()) {
        q = gsl::narrow<std::int32_t>(member->get<std::int64_t>());
    } else if (member->is_number_float()) {
        q = roundedInt32(member->get<double>());
    } else {
        const std::string& text = member->get_ref<const std::string&>();
        const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), q);
        if (ec != std::errc()) {
            state.errorLines.logMarked(
                fmt::format("QNH string parse error: {} in {}", gf_textForLog(text), gf_textForLog(datagram)));
            return QnhVerdict::rejected;
        }
    }
    if (q > kInHgThreshold) q = roundedInt32(q * kHpaPerHundredthInHg);
    q = std::clamp(q, 900, 1100);
    if (q == state.lastQnh.load() && q != kDefaultQnh) return QnhVerdict::unchanged;
    state.lastQnh.store(q);
    g_engineQnh.exchange(q);
    g_shownQnh.store(q);
    gf_replaceReaderStatus(ReaderId::qnh, readerNoData, readerReceiving);
    gf_repaintIndicators();
    return QnhVerdict::published;
}
}  // namespace

QnhVerdict lf_onQnhData(QnhState& state, std::string_view datagram) {
    try {
        return parseAndPublish(state, datagram);
    } catch (const std::exception& e) {
        // The JSON library's messages quote the bytes where it stopped.
        state.errorLines.log(fmt::format("Exception {}, in {}", gf_textForLog(e.what(), kLogErrorCharacters),
                                         gf_textForLog(datagram)));
        return QnhVerdict::rejected;
    }
}
