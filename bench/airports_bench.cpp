// The add-on airport scan over a scenery library of 5,000 .bgl files (copies
// of real airport files and generated ones, most of them without airports,
// as in a real library) against what it cannot avoid: walking the same tree
// and reading every file whole. The scan reads the headers of all files and
// only the airport files whole, but it also starts a worker per airport
// file and writes their airport files; the ratio of the two is the figure
// to judge (target: at most 2).
#include <benchmark/benchmark.h>

#include <atomic>
#include <chrono>
#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <random>
#include <string>
#include <thread>
#include <vector>

#include "airports/addon_scan.h"
#include "airports/bgl_reader.h"
#include "airports/state.h"
#include "app/services/state.h"
#include "foundation/file_helpers.h"
#include "settings/file_names.h"
#include "support/bgl_builder.h"

namespace fs = std::filesystem;
using namespace testing_support;

namespace {
constexpr int kFiles = 5000;
constexpr int kRealCopies = 100;      // of each real airport file
constexpr int kGeneratedAirports = 100;
const char* const kIdents[] = {"EHAM", "EDDF", "EGLL", "LFPG", "LEMD", "LIRF", "EBBR", "LOWW", "LSZH", "EKCH"};

fs::path fixture(const std::string& name) { return fs::path(VLNT_SOURCE_DIR) / "tests/airports/data/bgl" / name; }

Bytes generatedAirport(std::mt19937& random, const std::string& ident) {
    std::vector<BglParkingSpec> entries;
    const std::uint32_t stands = 30 + random() % 120;
    for (std::uint32_t k = 0; k < stands; ++k) {
        BglParkingSpec entry{10 + k % 3, 1 + k % 15, k, 10.0F + k % 40, static_cast<float>(k % 360),
                             40.0 + (k % 50) * 0.0003, 4.0 + (k / 50) * 0.0003, {}};
        if (k % 4 == 0) entry.airlines = {"KLM", "TRA"};
        entries.push_back(entry);
    }
    const bool longForm = random() % 2 == 0;
    return bglAirportFile({ident, longForm, 3000, {bglNameRecord(ident + " International"),
                                                   bglHelipadRecord({40.01, 4.01, 20.0F, 45.0F}),
                                                   bglParkingList(entries, longForm)},
                           {}});
}

// Scenery without airports: object sections of 1 KB to 256 KB, spread
// evenly over the orders of magnitude (most files small, a few large).
Bytes objectsFile(std::mt19937& random) {
    const auto size = static_cast<std::size_t>(1024.0 * std::pow(256.0, std::uniform_real_distribution<>()(random)));
    return bglFile({{0x65, 1, Bytes(size / 4 * 4, std::byte{0x5A})}, {0x2E, 6, Bytes(64)}});
}

// The library, built once per run in a folder of its own, which is also the
// current folder (the scan writes airports/my_thirdparty there).
const fs::path& library() {
    static const fs::path root = [] {
        const fs::path folder = fs::temp_directory_path() / ("vlnt-airports-bench-" + std::to_string(::getpid()));
        fs::remove_all(folder);
        fs::create_directories(folder / "scenery");
        fs::current_path(folder);
        fs::create_directories(g_myThirdpartyFolder);
        fs::create_directories(g_myOrbxFolder);
        std::mt19937 random(21);
        int written = 0;
        auto next = [&] {
            const fs::path dir = folder / "scenery" / ("area" + std::to_string(written / 100)) / "scenery";
            fs::create_directories(dir);
            return dir / ("file" + std::to_string(written++) + ".bgl");
        };
        for (int k = 0; k < kRealCopies; ++k) {
            fs::copy_file(fixture("LEAB_ADEP4_ARV187.bgl"), next());
            fs::copy_file(fixture("LEAB_ADEP5_ARV187.bgl"), next());
        }
        for (int k = 0; k < kGeneratedAirports; ++k) writeBytes(next(), generatedAirport(random, kIdents[k % 10]));
        for (int k = 0; k < kRealCopies; ++k) fs::copy_file(fixture("LEAB_ADEP4_ARV187_CVX.bgl"), next());
        while (written < kFiles) writeBytes(next(), objectsFile(random));
        g_airportCodes = {AirportCode("LEAB")};
        for (const char* ident : kIdents) g_airportCodes.insert(AirportCode(ident));
        const unsigned processors = std::thread::hardware_concurrency();
        g_scanLimit = processors == 0 ? 2 : static_cast<std::int32_t>(processors);
        return folder;
    }();
    return root;
}

std::uint64_t readWhole() {
    std::uint64_t bytes = 0;
    for (const auto& entry : fs::recursive_directory_iterator(library() / "scenery")) {
        if (!entry.is_regular_file()) continue;
        const auto content = lf_readBglFile(entry.path());
        if (!content) std::abort();
        bytes += content->size();
        benchmark::DoNotOptimize(content->data());
    }
    return bytes;
}

void scan() {
    lf_scanAirportFolder(library() / "scenery", lf_processBGLfile);
    const std::lock_guard lock(g_scanLogMutex);
    g_scanLogLines.clear();
}

double milliseconds(auto&& work) {
    const auto start = std::chrono::steady_clock::now();
    work();
    return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
}

void BM_QuickTestsOnly(benchmark::State& state) {
    int n = 0;
    for (auto _ : state) {
        n = 0;
        for (const auto& entry : fs::recursive_directory_iterator(library() / "scenery"))
            if (entry.is_regular_file() && lf_bglHasAirports(entry.path())) ++n;
    }
    state.counters["airports"] = n;
}
BENCHMARK(BM_QuickTestsOnly)->Unit(benchmark::kMillisecond);

void BM_ReadLibraryWhole(benchmark::State& state) {
    std::uint64_t bytes = 0;
    for (auto _ : state) bytes = readWhole();
    state.counters["MB"] = static_cast<double>(bytes) / 1e6;
}
BENCHMARK(BM_ReadLibraryWhole)->Unit(benchmark::kMillisecond);

void BM_ScanLibrary(benchmark::State& state) {
    library();
    for (auto _ : state) scan();
    state.counters["generated"] = static_cast<double>(gf_countDirectoryEntries(g_myThirdpartyFolder));
}
BENCHMARK(BM_ScanLibrary)->Unit(benchmark::kMillisecond);

// Both back to back in every iteration, so both see the same machine load.
void BM_ScanOverReadWhole(benchmark::State& state) {
    library();
    double read = 0, scanned = 0;
    for (auto _ : state) {
        read += milliseconds(readWhole);
        scanned += milliseconds(scan);
    }
    const auto runs = static_cast<double>(state.iterations());
    state.counters["read_ms"] = read / runs;
    state.counters["scan_ms"] = scanned / runs;
    state.counters["ratio"] = scanned / read;
}
BENCHMARK(BM_ScanOverReadWhole)->Unit(benchmark::kMillisecond)->Iterations(10);
}  // namespace

int main(int argc, char** argv) {
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
    library();
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    std::error_code ignored;
    fs::current_path(fs::temp_directory_path());
    fs::remove_all(library(), ignored);
    return 0;
}
