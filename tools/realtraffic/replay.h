// Sends a scenario's datagrams over UDP as RealTraffic does: traffic to one
// port, the QNH every 10 seconds to another, each traffic datagram stamped
// with the current time plus its offset.
#pragma once

#include <atomic>
#include <cstdint>
#include <optional>
#include <ostream>
#include <string>
#include <vector>

#include "tools/realtraffic/generator.h"
#include "tools/realtraffic/scenario.h"

namespace realtraffic {

struct ReplayOptions {
    std::string address = "127.0.0.1";  // numeric IPv4 address of the program's PC
    std::uint16_t trafficPort = 49005;
    std::uint16_t qnhPort = 49004;
    bool duplicates = false;        // every traffic datagram twice, as RealTraffic on another PC may arrive
    std::size_t malformedEvery = 0; // after every n-th traffic datagram one malformed datagram; 0 = none
    bool oversize = false;          // one datagram longer than the program's buffer, at the start
    bool primer = false;            // one datagram far away first, so that the program sees traffic flow
    double speed = 1.0;             // time factor: 2 replays twice as fast; 0 sends everything at once
    double qnhInterval = 10.0;      // seconds between QNH datagrams
    std::optional<double> startTime;  // Unix seconds of offset 0; default: now
    // While set, what falls due is not sent (RealTraffic is not running).
    const std::atomic<bool>* withhold = nullptr;
};

struct ReplayReport {
    std::size_t traffic = 0;     // traffic datagrams of the scenario sent (duplicates not counted)
    std::size_t duplicates = 0;
    std::size_t malformed = 0;
    std::size_t oversize = 0;
    std::size_t primer = 0;
    std::size_t qnh = 0;
    std::size_t withheld = 0;    // traffic and QNH datagrams not sent while RealTraffic was away
    double startTime = 0.0;      // Unix seconds of offset 0
};

// This PC's clock in Unix seconds.
double unixNow();

// QNH values at 0, interval, 2 x interval, ... up to the last datagram's
// offset: the value of the latest change at or before each time (1013 when
// none).
std::vector<TimedDatagram> qnhSchedule(const Scenario& scenario, double lastOffset, double interval);

// Sends everything in offset order and returns what was sent. `log` gets one
// line per datagram when given; `cancel` ends the replay early. Throws
// StandInError when a send fails.
ReplayReport replay(const std::vector<TimedDatagram>& traffic, const std::vector<TimedDatagram>& qnh,
                    const ReplayOptions& options, std::ostream* log = nullptr,
                    const std::atomic<bool>* cancel = nullptr);

// Sends at once `malformed` malformed datagrams (made from a valid one far
// away) and `oversize` datagrams longer than the program's buffer to the
// traffic port. Throws StandInError when a send fails.
void sendBurst(const ReplayOptions& options, std::size_t malformed, std::size_t oversize);

}  // namespace realtraffic
