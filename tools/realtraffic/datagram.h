// The datagrams of the stand-in RealTraffic: traffic (comma-separated
// fields, as the program reads them), QNH (JSON), and the special ones the
// tests ask for.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "tools/realtraffic/generator.h"
#include "tools/realtraffic/scenario.h"

namespace realtraffic {

inline constexpr std::size_t kTimestampField = 14;
inline constexpr std::size_t kOversizeBytes = 20000;

// The traffic datagram of one sample; the timestamp field holds `timestamp`.
std::string trafficDatagram(const TrackSpec& track, const TrackSample& sample, double timestamp);
// The datagram with field 14 replaced by the time ("{:.2f}"); a datagram
// without that field is returned unchanged.
std::string withTimestamp(std::string_view datagram, double unixSeconds);
// {"ICAO":"<code>","QNH":<value>}
std::string qnhDatagram(std::string_view fieldCode, std::string_view value);
// A valid datagram far away from any user (the middle of the Pacific): it
// tells the program that traffic flows, and its range filter drops it.
std::string primerDatagram(double unixSeconds);
// The k-th malformed datagram made from a valid one: cut short, a latitude
// that is not a number, a hex id without digits (k taken modulo 3).
std::string malformedDatagram(std::string_view valid, std::size_t k);
// A datagram longer than the program's receive buffer.
std::string oversizeDatagram();

}  // namespace realtraffic
