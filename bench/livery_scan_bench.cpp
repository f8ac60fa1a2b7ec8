// The livery scan (walk, workers, sort, results file and reports) over a
// generated library of 20,000 aircraft folders (each an aircraft.cfg of four
// liveries with its model and texture folders and its flight-model file),
// against reading the same files whole, both on a warm cache in the same run.
// The target: the scan costs at most twice the reading. Reported: both
// times, their ratio, the processor time of each and the scan's worker count.
#include <benchmark/benchmark.h>

#include <fmt/format.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <string>
#include <thread>
#include <sys/resource.h>
#include <unistd.h>

#include "app/services/state.h"
#include "liveries/livery_scan.h"
#include "liveries/scan_reports.h"
#include "settings/file_names.h"
#include "refdata/code_tables.h"
#include "refdata/state.h"

namespace {
namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

constexpr int kAircraftFolders = 20000;
constexpr int kSectionsPerFile = 4;
const char* const kAirlines[] = {"DLH", "KLM", "AFR", "BAW", "DAL", "AAL", "UAL", "RYR", "EZY", "SWR"};
const char* const kModels[] = {"A319", "A320", "A321", "B738", "B77W", "E75L", "C172", "CRJ9"};

void fillReferenceData() {
    gf_airlineId("");
    gf_modelId("");
    for (const char* model : kModels) g_icaoModelCodes.insert(model);
    for (const char* airline : kAirlines) g_icaoAirlineCodes.insert(airline);
    g_modelFixesActive = true;
}

std::string cfgText(int folder) {
    const std::string model = kModels[folder % std::size(kModels)];
    std::string text = "[General]\r\natc_type=AIRLINER\r\natc_model=" + model + "\r\neditable=0\r\n";
    for (int i = 0; i < kSectionsPerFile; ++i) {
        const std::string airline = kAirlines[(folder + i) % std::size(kAirlines)];
        text += fmt::format(
            "\r\n[fltsim.{0}]\r\ntitle={1} {2} livery {3:05}-{0}\r\nsim=S\r\nmodel=M\r\npanel=\r\nsound=\r\n"
            "texture=T{0}\r\nkb_checklists=\r\nkb_reference=\r\natc_id=X-{3:05}{0}\r\natc_airline=Airline\r\n"
            "atc_flight_number=1{0}\r\natc_parking_codes={2}\r\natc_parking_types=GATE,RAMP\r\n"
            "ui_manufacturer=Maker\r\nui_type={1}\r\nui_variation={2} {3}\r\ndescription=A livery of the "
            "generated library, number {3}.\r\n",
            i, model, airline, folder);
    }
    return text + "\r\n[Views]\r\neyepoint=-30.0, 0, 5.0\r\n\r\n[Radios]\r\nAudio.1=1\r\nCom.1=1, 0\r\nNav.1=1, 0, 0\r\n";
}

fs::path benchFolder() { return fs::temp_directory_path() / ("vlnt-bench-liveries-" + std::to_string(::getpid())); }

// The library, written once per process, and the program's folder (the
// current folder), where the scan writes its results and reports.
const fs::path& library() {
    static const fs::path root = [] {
        const fs::path folder = benchFolder() / "library";
        fs::create_directories(benchFolder() / "program" / g_infoFolder);
        fs::current_path(benchFolder() / "program");
        for (int i = 0; i < kAircraftFolders; ++i) {
            const fs::path aircraft = folder / fmt::format("Pack{:03}", i / 200) / fmt::format("Aircraft{:05}", i);
            fs::create_directories(aircraft / "model.M");
            for (int t = 0; t < kSectionsPerFile; ++t) fs::create_directory(aircraft / fmt::format("texture.T{}", t));
            std::ofstream(aircraft / "S.air", std::ios::binary) << "air";
            std::ofstream(aircraft / "aircraft.cfg", std::ios::binary) << cfgText(i);
        }
        fillReferenceData();
        return folder;
    }();
    return root;
}

struct LibraryRemover {
    ~LibraryRemover() {
        std::error_code ec;
        fs::current_path(fs::temp_directory_path(), ec);
        fs::remove_all(benchFolder(), ec);
    }
} g_libraryRemover;

// Walks the library and reads every aircraft.cfg whole; the bytes read.
std::size_t readWhole(const fs::path& root) {
    std::size_t bytes = 0;
    std::string content;
    for (const auto& entry : fs::recursive_directory_iterator(root)) {
        if (entry.path().filename() != "aircraft.cfg") continue;
        std::ifstream in(entry.path(), std::ios::binary);
        content.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
        bytes += content.size();
    }
    return bytes;
}

double seconds(Clock::duration duration) { return std::chrono::duration<double>(duration).count(); }

// The processor time of the whole process (every thread), in seconds.
double processSeconds() {
    rusage usage{};
    ::getrusage(RUSAGE_SELF, &usage);
    const auto toSeconds = [](const timeval& t) { return static_cast<double>(t.tv_sec) + t.tv_usec / 1e6; };
    return toSeconds(usage.ru_utime) + toSeconds(usage.ru_stime);
}
}  // namespace

static void BM_LiveryScanAgainstReadingWhole(benchmark::State& state) {
    const fs::path& root = library();
    g_scanLimit = static_cast<std::int32_t>(std::max(2u, std::thread::hardware_concurrency()));
    benchmark::DoNotOptimize(readWhole(root));  // a warm cache for both
    double readTotal = 0, scanTotal = 0, readCpu = 0, scanCpu = 0;
    std::uintmax_t liveries = 0;
    for (auto _ : state) {
        const double cpu0 = processSeconds();
        const Clock::time_point readStart = Clock::now();
        benchmark::DoNotOptimize(readWhole(root));
        const Clock::time_point scanStart = Clock::now();
        const double cpu1 = processSeconds();
        benchmark::DoNotOptimize(lf_scanLiveryFolders({root}));
        const Clock::time_point scanEnd = Clock::now();
        readCpu += cpu1 - cpu0;
        scanCpu += processSeconds() - cpu1;
        liveries = fs::file_size(g_liveriesScannedPath);
        readTotal += seconds(scanStart - readStart);
        scanTotal += seconds(scanEnd - scanStart);
        state.SetIterationTime(seconds(scanEnd - scanStart));
    }
    const auto runs = static_cast<double>(state.iterations());
    state.counters["read_whole_s"] = readTotal / runs;
    state.counters["scan_s"] = scanTotal / runs;
    state.counters["scan_per_read"] = scanTotal / readTotal;
    state.counters["read_cpu_s"] = readCpu / runs;
    state.counters["scan_cpu_s"] = scanCpu / runs;
    state.counters["workers"] = g_scanLimit.load();
    state.counters["results_bytes"] = static_cast<double>(liveries);
    state.counters["files"] = kAircraftFolders;
}
BENCHMARK(BM_LiveryScanAgainstReadingWhole)->Iterations(5)->UseManualTime()->Unit(benchmark::kMillisecond);

// The floor under the scan's cost: the same walk with workers that read
// nothing, so only the thread started for each file and its future remain,
// against reading the files whole.
static void BM_LiveryWalkWithIdleWorkers(benchmark::State& state) {
    const fs::path& root = library();
    g_scanLimit = static_cast<std::int32_t>(std::max(2u, std::thread::hardware_concurrency()));
    LiveryScanHooks hooks;
    hooks.fileWorker = [](int, const fs::path&) { return LiveryList{}; };
    double readTotal = 0, walkTotal = 0;
    for (auto _ : state) {
        const Clock::time_point readStart = Clock::now();
        benchmark::DoNotOptimize(readWhole(root));
        const Clock::time_point walkStart = Clock::now();
        LiveryList liveries;
        lf_walkLiveryFolder(1, root, liveries, hooks);
        const Clock::time_point walkEnd = Clock::now();
        readTotal += seconds(walkStart - readStart);
        walkTotal += seconds(walkEnd - walkStart);
        state.SetIterationTime(seconds(walkEnd - walkStart));
    }
    const auto runs = static_cast<double>(state.iterations());
    state.counters["read_whole_s"] = readTotal / runs;
    state.counters["idle_walk_s"] = walkTotal / runs;
    state.counters["idle_walk_per_read"] = walkTotal / readTotal;
    state.counters["workers"] = g_scanLimit.load();
}
BENCHMARK(BM_LiveryWalkWithIdleWorkers)->Iterations(3)->UseManualTime()->Unit(benchmark::kMillisecond);

BENCHMARK_MAIN();
