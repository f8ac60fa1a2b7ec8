#include "tools/simulator/recorder.h"

#include <stdexcept>

#include "foundation/text_convert.h"

namespace simulator {

void openRecorder(Recorder& recorder, const std::filesystem::path& path) {
    recorder.file.open(path, std::ios::binary | std::ios::trunc);
    if (!recorder.file) throw std::runtime_error("cannot create the record file " + gf_pathToUtf8(path));
}

void recordLine(Recorder& recorder, nlohmann::json line) {
    if (!recorder.file.is_open()) return;
    line["seq"] = ++recorder.lines;
    recorder.file << line.dump(-1, ' ', false, nlohmann::json::error_handler_t::replace) << '\n';
    recorder.file.flush();
}

}  // namespace simulator
