#include "tools/realtraffic/truth.h"

#include <fmt/format.h>

#include <cmath>
#include <fstream>
#include <system_error>

#include "tools/realtraffic/generator.h"

namespace realtraffic {

std::string truthCsv(const Scenario& scenario, double wallStart, double speed) {
    std::string text = std::string(kTruthHeader) + "\n";
    for (const TrackSpec& track : scenario.tracks) {
        sampleTrack(track, scenario.fieldElevationFt);  // only tracks the replay can send
        const TrackPath path(track, scenario.fieldElevationFt);
        for (double t = path.start();; t = std::min(t + 1.0, path.end())) {
            const TrackSample s = path.at(t);
            const bool ground = path.onGround(s);
            text += fmt::format("{:.2f},{},{},{:.7f},{:.7f},{:.0f},{:.1f},{}\n", wallStart + t / speed, track.hexId,
                                track.callsign, s.lat, s.lon, ground ? 0.0 : s.altitudeFt, s.speedKt, ground ? 1 : 0);
            if (t >= path.end()) break;
        }
    }
    return text;
}

void writeTruthFile(const std::filesystem::path& path, const std::string& text) {
    std::filesystem::path temporary = path;
    temporary += ".tmp";
    {
        std::ofstream out(temporary, std::ios::binary);
        out << text;
        if (!out.flush()) throw StandInError(fmt::format("cannot write the truth file {}", temporary.string()));
    }
    std::error_code error;
    std::filesystem::rename(temporary, path, error);
    if (error)
        throw StandInError(
            fmt::format("cannot rename {} to {}: {}", temporary.string(), path.string(), error.message()));
}

}  // namespace realtraffic
