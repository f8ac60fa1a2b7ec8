// The add-on airport scan over a scenery library of 5,000 .bgl files (copies
// of real files and generated ones, most of them without airports, as in a
// real library) against walking the same tree and reading every file whole.
// The scan reads the headers of all files and only the airport files whole,
// but it also starts a worker per airport file and writes an airport file
// for each; the ratio of the two is the figure to judge (target: at most 2).
#include <benchmark/benchmark.h>

#include <atomic>
#include <chrono>
#include <cmath>
#include <cstdlib>
#include <ctime>
#include <filesystem>
#include <random>
#include <string>
#include <system_error>
#include <thread>
#include <vector>

#include <unistd.h>

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
constexpr int kRealCopies = 2;           // of each real airport file: an airport installed twice
constexpr int kObjectCopies = 100;       // of the real file without airports
constexpr int kGeneratedAirports = 290;  // each an airport of its own

// "XA00", "XA01" ...: an airport code per generated airport.
std::string generatedIdent(int k) {
    const char* const digits = "0123456789ABCDEFGHIJKLMNOPQRSTUVWXYZ";
    return std::string("X") + digits[(k / 1296) % 36] + digits[(k / 36) % 36] + digits[k % 36];
}

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

// Where the library goes: VLNT_BENCH_DIR, else a memory file system when
// there is one. On a disk's file system the cost of creating the generated
// files depends on what the machine deleted shortly before (ext4 passes over
// recently freed inodes, and builds delete many files), which would decide
// the figure more than the scan does.
fs::path benchFolder() {
    if (const char* chosen = std::getenv("VLNT_BENCH_DIR"); chosen != nullptr && *chosen != '\0') return chosen;
    std::error_code error;
    if (fs::is_directory("/dev/shm", error)) return "/dev/shm";
    return fs::temp_directory_path();
}

// The library, built once per run in a folder of its own, which is also the
// current folder (the scan writes airports/my_thirdparty there).
const fs::path& library() {
    static const fs::path root = [] {
        const fs::path folder = benchFolder() / ("vlnt-airports-bench-" + std::to_string(::getpid()));
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
        for (int k = 0; k < kRealCopies; ++k)
            for (const char* name : {"LEAB_ADEP4_ARV187.bgl", "LEAB_ADEP5_ARV187.bgl", "LEAB_ADEP5_ARV187_ALT.bgl"})
                fs::copy_file(fixture(name), next());
        g_airportCodes = {AirportCode("LEAB")};
        for (int k = 0; k < kGeneratedAirports; ++k) {
            writeBytes(next(), generatedAirport(random, generatedIdent(k)));
            g_airportCodes.insert(AirportCode(generatedIdent(k)));
        }
        for (int k = 0; k < kObjectCopies; ++k) fs::copy_file(fixture("LEAB_ADEP4_ARV187_CVX.bgl"), next());
        while (written < kFiles) writeBytes(next(), objectsFile(random));
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

// As the scan does it: the link folders emptied, then the walk with its workers.
void scan() {
    gf_removeFilesFromDirectory(g_myOrbxFolder);
    gf_removeFilesFromDirectory(g_myThirdpartyFolder);
    lf_scanAirportFolder(library() / "scenery", lf_processBGLfile);
    const std::lock_guard lock(g_scanLogMutex);
    g_scanLogLines.clear();
}

// The CPU time of the whole process (every thread) in milliseconds.
double processCpuMs() {
    timespec now{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &now);
    return static_cast<double>(now.tv_sec) * 1e3 + static_cast<double>(now.tv_nsec) / 1e6;
}

struct Cost {
    double wallMs = 0;
    double cpuMs = 0;
};

Cost measure(auto&& work) {
    const auto start = std::chrono::steady_clock::now();
    const double cpu = processCpuMs();
    work();
    return {std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count(),
            processCpuMs() - cpu};
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

// Both back to back in every iteration, so both see the same machine load:
// the ratios of wall time and of the CPU time of all threads are the figures
// to judge.
void BM_ScanOverReadWhole(benchmark::State& state) {
    library();
    Cost read, scanned;
    for (auto _ : state) {
        const Cost r = measure(readWhole);
        const Cost s = measure(scan);
        read.wallMs += r.wallMs;
        read.cpuMs += r.cpuMs;
        scanned.wallMs += s.wallMs;
        scanned.cpuMs += s.cpuMs;
    }
    const auto runs = static_cast<double>(state.iterations());
    state.counters["read_ms"] = read.wallMs / runs;
    state.counters["scan_ms"] = scanned.wallMs / runs;
    state.counters["ratio"] = scanned.wallMs / read.wallMs;
    state.counters["cpu_ratio"] = scanned.cpuMs / read.cpuMs;
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
