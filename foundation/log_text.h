// Text from outside the program (datagrams, addresses, replies) as it may
// stand in a log line, and a bound on the lines that outside input provokes.
// Any host on the local network can send datagrams: without these, junk would
// grow Log.txt without limit and could forge whole log lines.
#pragma once

#include <cstddef>
#include <cstdint>
#include <mutex>
#include <string>
#include <string_view>

inline constexpr std::size_t kLogQuoteCharacters = 200;
// An error text may quote outside texts, already cut, in a message of its own.
inline constexpr std::size_t kLogErrorCharacters = 5 * kLogQuoteCharacters;

// The text with every control character (C0, DEL, C1, the Unicode line and
// paragraph separators) and every byte that is no valid UTF-8 written as
// "\xNN". A text of more than `characters` characters keeps its first
// `characters` and ends in "... (N bytes)", N its whole length.
std::string gf_textForLog(std::string_view text, std::size_t characters = kLogQuoteCharacters);

// Milliseconds of a steady clock; tests pass their own.
using MillisecondClock = std::int64_t (*)();
std::int64_t gf_steadyMilliseconds();

// At most `perSecond` lines a second of one kind; the lines beyond are
// counted, and one line "{n} more {kind} lines were not logged" precedes the
// next line written (or comes with flushDropped). Any thread.
class LogLineLimiter {
public:
    explicit LogLineLimiter(std::string kind, int perSecond = 10, MillisecondClock clock = &gf_steadyMilliseconds);
    LogLineLimiter(const LogLineLimiter&) = delete;
    LogLineLimiter& operator=(const LogLineLimiter&) = delete;

    // Writes the line with gf_log unless this second's lines are used up.
    void log(std::string_view line);
    // The same through gf_logMarked.
    void logMarked(std::string_view line);
    // Writes the line about dropped lines, if any were dropped.
    void flushDropped();
    // Starts afresh (the clock tests use; a new run).
    void reset(MillisecondClock clock = &gf_steadyMilliseconds);

private:
    struct Admission {
        bool write = false;
        std::uint64_t droppedBefore = 0;  // to report before the line
    };
    Admission admit();
    void reportDropped(std::uint64_t count) const;

    const std::string kind_;
    const int perSecond_;
    std::mutex mutex_;  // leaf lock, released before the log is written to
    MillisecondClock clock_;                // guarded by mutex_
    std::int64_t windowStart_ = INT64_MIN;  // guarded by mutex_
    int inWindow_ = 0;                      // guarded by mutex_
    std::uint64_t dropped_ = 0;             // guarded by mutex_
};
