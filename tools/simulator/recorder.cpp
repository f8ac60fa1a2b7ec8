#include "tools/simulator/recorder.h"

#include <stdexcept>

#include "foundation/text_convert.h"

namespace simulator {

void openRecorder(Recorder& recorder, const std::filesystem::path& path) {
    recorder.file.open(path, std::ios::binary | std::ios::trunc);
    if (!recorder.file) throw std::runtime_error("cannot create the record file " + gf_pathToUtf8(path));
}

void recordLine(Recorder& recorder, const nlohmann::ordered_json& line) {
    if (!recorder.file.is_open()) return;
    nlohmann::ordered_json numbered = {{"seq", ++recorder.lines}};
    numbered.update(line);
    recorder.file << numbered.dump(-1, ' ', false, nlohmann::ordered_json::error_handler_t::replace) << '\n';
    recorder.file.flush();
}

}  // namespace simulator
