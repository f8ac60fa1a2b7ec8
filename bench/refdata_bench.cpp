// Reading a data base the size of the real one (2,600 models, 6,000 airlines,
// 60,000 registrations) against what it cannot avoid: deciphering the file and
// parsing it with pugixml. The reader should stay within 1.5 times that.
//
// The heap's state weighs as much as the work: a parse into pages that must
// first be faulted in costs half as much again as one into reused pages, and
// glibc hands freed memory back to the system or keeps it depending on what
// else is still allocated, so left alone it would treat the two benchmarks
// differently. Both therefore run with the heap kept (no automatic trimming,
// large blocks from the heap too) and each in two conditions: warm, memory
// reused from the previous run, and cold, the heap trimmed before every run
// as in a freshly started program.
#include <benchmark/benchmark.h>
#include <fmt/format.h>

#if defined(__GLIBC__)
#include <malloc.h>
#endif

#include <algorithm>
#include <chrono>
#include <climits>
#include <cstdlib>
#include <filesystem>
#include <random>
#include <string>
#include <vector>

#include <pugixml.hpp>

#include "bench_support.h"
#include "foundation/data_key.h"
#include "foundation/decrypt.h"
#include "refdata/dbase_reader.h"
#include "settings/file_names.h"
#include "tools/encipher/encipher.h"

namespace fs = std::filesystem;
using bench_support::code;
using bench_support::milliseconds;

namespace {
constexpr int kModels = 2600;
constexpr int kAirlines = 6000;
constexpr int kRegistrations = 60000;

std::string join(const std::vector<std::string>& codes, std::size_t first, std::size_t count) {
    std::string text;
    for (std::size_t i = first; i < std::min(codes.size(), first + count); ++i) {
        if (!text.empty()) text += ',';
        text += codes[i];
    }
    return text;
}

void section(std::string& xml, const char* name, const char* element, const char* attribute,
             const std::vector<std::string>& codes, std::size_t first, std::size_t count) {
    xml += fmt::format("  <{}>\n", name);
    for (std::size_t i = first; i < first + count; i += 20)
        xml += fmt::format("    <{} {}=\"{}\" />\n", element, attribute, join(codes, i, std::min<std::size_t>(20, first + count - i)));
    xml += fmt::format("  </{}>\n", name);
}

// A generated data base in the real one's proportions; registrations in random order.
std::string generatedDbase() {
    std::mt19937 rng(42);
    std::vector<std::string> models;
    for (int i = 0; i < kModels; ++i) models.push_back(code(static_cast<std::uint32_t>(i * 7 + 1000), 4));
    std::vector<std::string> airlines;
    for (int i = 0; i < kAirlines; ++i) airlines.push_back(code(static_cast<std::uint32_t>(i * 5 + 100), 3));

    std::string xml = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<root>\n";
    section(xml, "aircrafts", "aircraft", "types", models, 0, models.size());
    section(xml, "cargo_types", "cargo_type", "types", models, 0, 40);
    section(xml, "heavy", "hvy", "types", models, 0, 300);
    section(xml, "large", "lar", "types", models, 300, 600);
    section(xml, "buzjet", "bzj", "types", models, 900, 200);
    section(xml, "high_performance", "hpf", "types", models, 1100, 60);
    section(xml, "rotorcraft", "rot", "types", models, 1160, 150);
    xml += "  <similar_types>\n";
    for (std::size_t i = 0; i < 1200; i += 4) xml += fmt::format("    <similar types=\"{}\" />\n", join(models, i, 4));
    xml += "  </similar_types>\n  <prefixes>\n";
    for (int i = 0; i < 60; ++i) xml += fmt::format("    <similar types=\"{}-,{}-\" />\n", code(i, 2), code(i + 100, 2));
    xml += "  </prefixes>\n";
    section(xml, "ICAO_airlines", "ICAO", "codes", airlines, 0, airlines.size() - 200);
    section(xml, "cargo_operators", "ICAO", "codes", airlines, airlines.size() - 400, 400);
    xml += "  <publishers>\n";
    for (int i = 0; i < 600; ++i) xml += fmt::format("    <pub names=\"Publisher {0},Pub{0}\" />\n", i);
    xml += "  </publishers>\n  <wingspans>\n";
    for (const auto& model : models)
        xml += fmt::format("    <wingspan type=\"{}\" meters=\"{:.2f}\" />\n", model, 8.0 + (rng() % 7200) / 100.0);
    xml += "  </wingspans>\n  <fixes>\n";
    for (int i = 0; i < 300; ++i) xml += fmt::format("    <fx wro=\"{}-X\" cor=\"{}\" />\n", models[i], models[i]);
    xml += "  </fixes>\n  <simaddonsP3D>\n    <simaddonP3D arpts=\"EHRD,EDLW,EBAW\" />\n  </simaddonsP3D>\n";
    xml += "  <thirdpartiesP3D>\n";
    for (int i = 0; i < 150; ++i) xml += fmt::format("    <thirdpartieP3D pub=\"Publisher {}\" arpts=\"EHAM1,EBBR2\" />\n", i);
    xml += "  </thirdpartiesP3D>\n  <dbase>\n";
    std::vector<std::string> lines;
    lines.reserve(kRegistrations);
    for (int i = 0; i < kRegistrations; ++i) {
        const std::string registration = i % 3 == 0 ? "N" + std::to_string(100 + i) + code(i, 2)
                                                     : code(static_cast<std::uint32_t>(i % 50), 1) + "-" + code(i, 4);
        lines.push_back(fmt::format("    <d r=\"{}\" a=\"{}\" o=\"{}\" m=\"{}\" c=\"{}\" />\n", registration,
                                    airlines[rng() % airlines.size()], i % 20 == 0 ? airlines[rng() % 50] : "",
                                    models[rng() % models.size()], i % 30 == 0 ? 1 : 0));
    }
    std::shuffle(lines.begin(), lines.end(), rng);
    for (const auto& line : lines) xml += line;
    return xml + "  </dbase>\n</root>\n";
}

// The benchmarks run in a folder of their own holding input/dbase.enc.
struct BenchFolder {
    fs::path previous = fs::current_path();
    fs::path folder = fs::temp_directory_path() / fmt::format("vlnt-refdata-bench-{}", std::random_device{}());

    BenchFolder() {
        fs::create_directories(folder / g_inputFolder);
        fs::current_path(folder);
        encipher::encipherBytes(gf_dataKey(), generatedDbase(), g_dbaseEncPath);
    }
    ~BenchFolder() {
        std::error_code ec;
        fs::current_path(previous, ec);
        fs::remove_all(folder, ec);
    }
};

BenchFolder& benchFolder() {
    static BenchFolder folder;
    return folder;
}

// For the whole run: freed memory stays with the process, large blocks included.
void keepHeap() {
#if defined(__GLIBC__)
    mallopt(M_MMAP_THRESHOLD, 32 << 20);
    mallopt(M_TRIM_THRESHOLD, INT_MAX);
#endif
}

// Before a cold run (not timed): the free memory goes back to the system.
void prepareHeap(benchmark::State& state) {
    if (state.range(0) == 0) return;
    state.PauseTiming();
#if defined(__GLIBC__)
    malloc_trim(0);
#endif
    state.ResumeTiming();
}

void decipherAndParse() {
    if (!gf_streamDecrypt(g_dbaseEncPath, g_dbaseXmlPath)) std::abort();
    pugi::xml_document document;
    benchmark::DoNotOptimize(document.load_file(g_dbaseXmlPath.c_str()));
    fs::remove(g_dbaseXmlPath);
}

void readDbase() {
    if (!gf_readDbase()) std::abort();
}

void BM_DecipherAndParse(benchmark::State& state) {
    benchFolder();
    for (auto _ : state) {
        prepareHeap(state);
        decipherAndParse();
    }
    state.counters["bytes"] = static_cast<double>(fs::file_size(g_dbaseEncPath));
}
BENCHMARK(BM_DecipherAndParse)->ArgName("cold")->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

void BM_ReadDbase(benchmark::State& state) {
    benchFolder();
    for (auto _ : state) {
        state.PauseTiming();
        gf_clearReferenceData();
        state.ResumeTiming();
        prepareHeap(state);
        readDbase();
    }
    state.counters["registrations"] = static_cast<double>(g_registrations.size());
    gf_clearReferenceData();
}
BENCHMARK(BM_ReadDbase)->ArgName("cold")->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

// Both back to back in every iteration, so both see the same machine load:
// the ratio is the figure to judge.
void BM_ReadDbaseOverDecipherAndParse(benchmark::State& state) {
    benchFolder();
    double parse = 0, read = 0;
    for (auto _ : state) {
        prepareHeap(state);
        parse += milliseconds(decipherAndParse);
        state.PauseTiming();
        gf_clearReferenceData();
        state.ResumeTiming();
        prepareHeap(state);
        read += milliseconds(readDbase);
    }
    const auto runs = static_cast<double>(state.iterations());
    state.counters["parse_ms"] = parse / runs;
    state.counters["read_ms"] = read / runs;
    state.counters["ratio"] = read / parse;
    gf_clearReferenceData();
}
BENCHMARK(BM_ReadDbaseOverDecipherAndParse)->ArgName("cold")->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);
}  // namespace

int main(int argc, char** argv) {
    keepHeap();
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
