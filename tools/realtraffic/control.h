// The control file of a long run: what the stand-in RealTraffic is told to do
// while it runs, one action a line. The stand-in looks for the file four
// times a second, takes its actions and deletes it.
//
//   drop-link <seconds>            hang up the command link, send nothing for
//                                  that long (RealTraffic closed), then connect again
//   burst <malformed> <oversize>   that many malformed and oversize datagrams now
//   stop                           end the run cleanly
#pragma once

#include <cstddef>
#include <string_view>
#include <vector>

namespace realtraffic {

struct ControlAction {
    enum class Kind { dropLink, burst, stop } kind = Kind::stop;
    double seconds = 0;
    std::size_t malformed = 0, oversize = 0;
};

// Throws StandInError "control line {}: {}" for the first wrong line.
std::vector<ControlAction> parseControl(std::string_view text);

}  // namespace realtraffic
