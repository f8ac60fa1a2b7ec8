// Every aircraft.cfg of every installed livery goes through the detector and
// the reader during a livery scan; a settings change loads and saves the
// whole parameters.xml.
#include <benchmark/benchmark.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "foundation/text_files.h"
#include "settings/parameter_store.h"
#include "settings/settings.h"

namespace {
namespace fs = std::filesystem;

// A temporary file that lives for one benchmark.
class ScratchFile {
public:
    explicit ScratchFile(const std::string& content)
        : path_(fs::temp_directory_path() / ("vlnt-bench-" + std::to_string(reinterpret_cast<std::uintptr_t>(this)))) {
        std::ofstream(path_, std::ios::binary) << content;
    }
    ~ScratchFile() {
        std::error_code ec;
        fs::remove(path_, ec);
    }
    const fs::path& path() const { return path_; }

private:
    fs::path path_;
};

// About the size of a large aircraft.cfg with many [fltsim.N] sections.
std::string aircraftCfg(const std::string& accent) {
    std::string text;
    for (int i = 0; i < 400; ++i)
        text += "[fltsim." + std::to_string(i) + "]\r\ntitle=Airbus A320 Lufthansa D-AIZ" + accent +
                std::to_string(i) + "\r\ntexture=LH\r\natc_airline=Lufthansa\r\n\r\n";
    return text;
}
}  // namespace

// The accent decides the encoding: UTF-8 bytes, or one ANSI byte.
static void BM_DetectAndRead(benchmark::State& state, const std::string& accent) {
    const ScratchFile file(aircraftCfg(accent));
    std::vector<std::string> lines;
    for (auto _ : state) {
        const auto encoding = gf_detectCharset(file.path());
        benchmark::DoNotOptimize(gf_readTextFileUtf8(encoding, file.path(), lines));
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * fs::file_size(file.path())));
}
BENCHMARK_CAPTURE(BM_DetectAndRead, utf8, std::string("\xC3\xA9"));
BENCHMARK_CAPTURE(BM_DetectAndRead, ansi, std::string("\xE9"));

static void BM_SaveOneSetting(benchmark::State& state) {
    const ScratchFile file("");
    gf_saveParameters(true, file.path());
    for (auto _ : state) {
        RANGE.value = RANGE.value == 40 ? 50 : 40;
        gf_saveIntParam(RANGE, file.path());
    }
}
BENCHMARK(BM_SaveOneSetting);
BENCHMARK_MAIN();
