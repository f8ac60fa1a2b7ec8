#include "foundation/log_text.h"

#include <fmt/format.h>

#include <algorithm>
#include <chrono>
#include <utility>

#include "foundation/log.h"
#include "foundation/text_convert.h"

namespace {
// C1 controls and the Unicode line and paragraph separators end or alter a
// line in some viewers just as the C0 ones do.
bool isControlSequence(std::string_view sequence) {
    const auto byte = [&](std::size_t i) { return static_cast<unsigned char>(sequence[i]); };
    if (sequence.size() == 1) return byte(0) < 0x20 || byte(0) == 0x7F;
    if (sequence.size() == 2) return byte(0) == 0xC2 && byte(1) < 0xA0;
    return sequence.size() == 3 && byte(0) == 0xE2 && byte(1) == 0x80 && (byte(2) == 0xA8 || byte(2) == 0xA9);
}

// UTF-16 surrogates encoded as UTF-8 are no characters of their own.
bool isEncodedSurrogate(std::string_view sequence) {
    return sequence.size() == 3 && static_cast<unsigned char>(sequence[0]) == 0xED &&
           static_cast<unsigned char>(sequence[1]) >= 0xA0;
}

void appendEscaped(std::string& out, std::string_view bytes) {
    for (const char c : bytes) out += fmt::format("\\x{:02X}", static_cast<unsigned char>(c));
}
}  // namespace

std::string gf_textForLog(std::string_view text, std::size_t characters) {
    std::string out;
    out.reserve(std::min(text.size(), characters) + 16);
    std::size_t i = 0;
    for (std::size_t count = 0; i < text.size() && count < characters; ++count) {
        const Utf8Sequence sequence = gf_utf8SequenceAt(text, i);
        const std::size_t length = sequence.length == 0 ? 1 : sequence.length;
        const std::string_view piece = text.substr(i, length);
        if (sequence.length == 0 || isControlSequence(piece) || isEncodedSurrogate(piece))
            appendEscaped(out, piece);
        else
            out += piece;
        i += length;
    }
    if (i < text.size()) out += fmt::format("... ({} bytes)", text.size());
    return out;
}

std::int64_t gf_steadyMilliseconds() {
    return std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

LogLineLimiter::LogLineLimiter(std::string kind, int perSecond, MillisecondClock clock)
    : kind_(std::move(kind)), perSecond_(perSecond), clock_(clock) {}

LogLineLimiter::Admission LogLineLimiter::admit() {
    const std::lock_guard lock(mutex_);
    const std::int64_t now = clock_();
    if (windowStart_ == INT64_MIN || now - windowStart_ >= 1000 || now < windowStart_) {
        windowStart_ = now;
        inWindow_ = 0;
    }
    if (inWindow_ >= perSecond_) {
        ++dropped_;
        return {};
    }
    ++inWindow_;
    return {true, std::exchange(dropped_, 0)};
}

void LogLineLimiter::reportDropped(std::uint64_t count) const {
    if (count > 0) gf_log(fmt::format("{} more {} line{} not logged", count, kind_, count == 1 ? " was" : "s were"));
}

void LogLineLimiter::log(std::string_view line) {
    const Admission admission = admit();
    if (!admission.write) return;
    reportDropped(admission.droppedBefore);
    gf_log(line);
}

void LogLineLimiter::logMarked(std::string_view line) {
    const Admission admission = admit();
    if (!admission.write) return;
    reportDropped(admission.droppedBefore);
    gf_logMarked(line);
}

void LogLineLimiter::flushDropped() {
    std::uint64_t count = 0;
    {
        const std::lock_guard lock(mutex_);
        count = std::exchange(dropped_, 0);
    }
    reportDropped(count);
}

void LogLineLimiter::reset(MillisecondClock clock) {
    const std::lock_guard lock(mutex_);
    clock_ = clock;
    windowStart_ = INT64_MIN;
    inWindow_ = 0;
    dropped_ = 0;
}
