#include "tools/simulator/position_log.h"

#include <fmt/format.h>

#include <algorithm>
#include <cmath>
#include <stdexcept>

#include "foundation/geodesy.h"
#include "foundation/text_convert.h"
#include "tools/simulator/request_packets.h"

namespace simulator {

void openPositionLog(PositionLog& log, const std::filesystem::path& path) {
    log.file.open(path, std::ios::binary | std::ios::trunc);
    if (!log.file) throw std::runtime_error("cannot create the position log " + gf_pathToUtf8(path));
    log.file << kPositionLogHeader << '\n';
    log.file.flush();
}

std::string positionLines(const World& world, double unixSeconds) {
    std::string text;
    for (const AiObject& o : world.objects) {
        if (o.client == 0 || !o.live()) continue;
        std::string tail = ansiToUtf8(o.tailNumber);
        std::replace(tail.begin(), tail.end(), ',', ' ');  // one field of the CSV line
        const AircraftState& s = o.state;
        const double heading = std::fmod(std::fmod(s.headingRad * kRadToDeg, 360.0) + 360.0, 360.0);
        text += fmt::format("{:.3f},{},{},{:.7f},{:.7f},{:.1f},{:.1f},{}\n", unixSeconds, o.id, tail, s.latitude,
                            s.longitude, s.altitudeFt, heading, aiOnGround(world, o) ? 1 : 0);
    }
    return text;
}

void notePositions(PositionLog& log, const World& world, double unixSeconds) {
    if (!log.file.is_open() || unixSeconds < log.nextAt) return;
    // The next lines at the next step of the interval, however late these came.
    log.nextAt = (std::floor(unixSeconds / kPositionLogInterval) + 1) * kPositionLogInterval;
    log.file << positionLines(world, unixSeconds);
    log.file.flush();
}

}  // namespace simulator
