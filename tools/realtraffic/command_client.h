// The stand-in's side of the command link: RealTraffic connects to the
// program's TCP server, answers the version request, and checks every line
// the program sends ("Qs999=version", "Qs121=" with seven numbers, "Qs123="
// with the time in milliseconds, "exit"), each ending in CR LF.
#pragma once

#include <atomic>
#include <cstdint>
#include <functional>
#include <optional>
#include <ostream>
#include <string>

namespace realtraffic {

// What a soak run asks of the stand-in while it runs (from its control
// file), looked at between reads of the command link.
struct LinkRequests {
    std::atomic<int> dropMs{0};     // hang up now and stay away this long, as a RealTraffic that is closed
    std::atomic<bool> away{false};  // set while it stays away: the replay sends nothing then
    std::atomic<bool> stop{false};  // end the run (also while waiting to connect)
};

struct CommandClientOptions {
    std::string host = "127.0.0.1";
    std::uint16_t port = 10747;
    int connectAttempts = 120;  // tries before giving up
    int retryMs = 500;          // pause between tries
    // The version reply {"version":"<version>","level":<level>}; none when empty.
    std::optional<std::string> version = std::string("9.0.0");
    int level = 2;
    double timeoutSeconds = 0;  // fail when "exit" has not come by then; 0 = wait for ever
    // After this many "Qs121=" lines the stand-in drops the connection, as a
    // RealTraffic that quits does, and connects again after reconnectMs.
    int dropAfterArea = 0;
    int reconnectMs = 1000;
    std::function<void()> onFirstArea;  // called at the first "Qs121=" line (starts a replay)
    // Program runs served: each ends with "exit", after which the stand-in
    // connects again and expects a new version request; 0: until stopped.
    int sessions = 1;
    LinkRequests* requests = nullptr;
};

struct CommandClientReport {
    int areaLines = 0;  // "Qs121="
    int timeLines = 0;  // "Qs123="
    int connections = 0;
    int sessions = 0;  // ended with "exit"
    int drops = 0;     // hang-ups asked for by the control file
    bool stopped = false;
};

// Runs until the program has sent "exit" as often as `sessions` says, or
// until a stop is requested. Throws StandInError with a clear
// message at the first line that breaks the format, at an unexpected end of
// the connection, when no connection comes about, or at the time-out.
// `transcript` gets every line received ("<") and sent (">") with the time.
CommandClientReport runCommandClient(const CommandClientOptions& options, std::ostream* transcript = nullptr);

// The checks of the two data lines; empty when the line is right, else what is wrong.
std::string checkAreaLine(std::string_view fields);  // the text after "Qs121="
std::string checkTimeLine(std::string_view value);   // the text after "Qs123="

}  // namespace realtraffic
