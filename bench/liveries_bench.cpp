// The livery processing and the live matching on a generated set of the real
// size (scale 1: 20,000 liveries, 7,000 AIG regcode entries, 60,000
// registration codes in the liveries, the AIG file and a user's list;
// 10,000 live aircraft to match) and at twice and four times that size.
//
// What to judge: the processing (reading the results file, building the
// indexes, merging the registration codes, the categories) against reading
// the results file and the AIG file alone with the program's readers (into
// the livery list and the regcode entries): at most three times that
// ("ratio" of BM_ProcessOverReaders; BM_ProcessOverReadAndParse gives it
// against the XML library's bare parse as well). And the growth from scale 1
// to 2 and 4: about linear, for the processing and for the matching; read
// it against the control, whose plainly linear work also costs more per item
// once the data outgrow the caches. "heap_MB" is the
// memory the indexes hold after processing, "peak_rss_MB" the process's peak
// so far.
#include <benchmark/benchmark.h>
#include <fmt/format.h>

#if defined(__GLIBC__)
#include <malloc.h>
#endif
#include <sys/resource.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <list>
#include <random>
#include <string>
#include <tuple>
#include <unordered_set>
#include <vector>

#include <pugixml.hpp>

#include "bench_support.h"
#include "app/services/state.h"
#include "foundation/data_key.h"
#include "foundation/decrypt.h"
#include "foundation/fnv.h"
#include "liveries/livery_indexes.h"
#include "liveries/livery_services.h"
#include "liveries/regcodes.h"
#include "liveries/results_file.h"
#include "liveries/state.h"
#include "refdata/code_tables.h"
#include "refdata/dbase_reader.h"
#include "refdata/state.h"
#include "settings/file_names.h"
#include "settings/parameter_store.h"
#include "settings/settings.h"
#include "tools/encipher/encipher.h"
#include "traffic/aircraft_records.h"

namespace fs = std::filesystem;
using bench_support::code;
using bench_support::milliseconds;

namespace {
constexpr int kLiveries = 20000;
constexpr int kAigEntries = 7000;
constexpr int kListLines = 400;
constexpr int kLiveAircraft = 10000;
constexpr int kAirlines = 1500;

// Model codes by category: the dbase below files them so.
constexpr int kHeavy = 60, kLarge = 140, kBuzjet = 30, kHighPerf = 10, kRotorcraft = 20, kLight = 40;
constexpr int kModels = kHeavy + kLarge + kBuzjet + kHighPerf + kRotorcraft + kLight;

std::string modelCode(int i) { return code(static_cast<std::uint32_t>(i + 2000), 4); }
std::string airlineCode(int i) { return code(static_cast<std::uint32_t>(i + 1400), 3); }
// Registrations "P-XXXXX" with one of 26 prefixes.
std::string registration(std::uint32_t i) { return code(i % 26, 1) + "-" + code(i / 26 + 50000, 5); }

std::string codeList(int first, int count) {
    std::string text;
    for (int i = first; i < first + count; ++i) text += (text.empty() ? "" : ",") + modelCode(i);
    return text;
}

std::string generatedDbase() {
    std::string xml = "<root>\n";
    xml += fmt::format("<aircrafts><aircraft types=\"{}\"/></aircrafts>\n", codeList(0, kModels));
    xml += fmt::format("<cargo_types><cargo_type types=\"{}\"/></cargo_types>\n", codeList(0, 10));
    int first = 0;
    for (const auto& [section, element, count] :
         {std::tuple{"heavy", "hvy", kHeavy}, std::tuple{"large", "lar", kLarge}, std::tuple{"buzjet", "bzj", kBuzjet},
          std::tuple{"high_performance", "hpf", kHighPerf}, std::tuple{"rotorcraft", "rot", kRotorcraft}}) {
        xml += fmt::format("<{0}><{1} types=\"{2}\"/></{0}>\n", section, element, codeList(first, count));
        first += count;
    }
    xml += "<similar_types>\n";
    for (int i = 0; i + 4 <= kModels; i += 4) xml += fmt::format("<similar types=\"{}\"/>\n", codeList(i, 4));
    xml += "</similar_types>\n<prefixes>\n";
    for (int i = 0; i < 26; i += 2) xml += fmt::format("<similar types=\"{}-,{}-\"/>\n", code(i, 1), code(i + 1, 1));
    xml += "</prefixes>\n";
    xml += fmt::format("<ICAO_airlines><ICAO codes=\"{},PVT\"/></ICAO_airlines>\n", airlineCode(0));
    xml += "<cargo_operators><ICAO codes=\"UPS\"/></cargo_operators>\n";
    xml += "<simaddonsP3D><simaddonP3D arpts=\"EHRD\"/></simaddonsP3D>\n</root>\n";
    return xml;
}

struct Livery {
    std::string airline, second, model, title, regcode;
    bool cargo = false;
};

// The generated set of one scale: files on disk and the live aircraft.
struct Scale {
    std::vector<Livery> liveries;
    std::vector<AcBase> aircraft;
};

// A model in the proportions of real liveries. The last group of four
// light models has no liveries (their aircraft match a similar model).
constexpr int kLightWithoutLiveries = 4;

int modelOfMix(std::mt19937& rng) {
    const auto roll = rng() % 100;
    if (roll < 25) return static_cast<int>(rng() % kHeavy);
    if (roll < 85) return kHeavy + static_cast<int>(rng() % kLarge);
    if (roll < 92) return kHeavy + kLarge + static_cast<int>(rng() % (kBuzjet + kHighPerf + kRotorcraft));
    return kModels - kLight + static_cast<int>(rng() % (kLight - kLightWithoutLiveries));
}

void writeSet(int scale, Scale& set) {
    std::mt19937 rng(42);
    const int liveries = kLiveries * scale;
    const int airlines = kAirlines * scale;
    std::uint32_t nextRegistration = 0;
    std::string xml = "<root><meta><info name=\"copyright\" value=\"c\"/></meta>\n<liveries>\n";
    for (int i = 0; i < liveries; ++i) {
        Livery l;
        const bool generic = i % 50 == 0;
        l.airline = generic ? "ZZZ" : airlineCode(static_cast<int>(rng() % static_cast<unsigned>(airlines)));
        if (!generic && rng() % 100 < 8) l.second = airlineCode(static_cast<int>(rng() % 200));
        l.model = modelCode(generic ? static_cast<int>(rng() % kModels) : modelOfMix(rng));
        l.cargo = rng() % 100 < 6;
        l.title = fmt::format("{} {} livery {}", l.model, l.airline, i);
        if (rng() % 100 < 60) l.regcode = registration(nextRegistration++);
        xml += fmt::format("<l a=\"{}\"{} m=\"{}\"{} t=\"{}\"{}/>\n", l.airline,
                           l.second.empty() ? "" : fmt::format(" o=\"{}\"", l.second), l.model,
                           l.cargo ? " c=\"true\"" : "", l.title,
                           l.regcode.empty() ? "" : fmt::format(" r=\"{}\"", l.regcode));
        set.liveries.push_back(std::move(l));
    }
    xml += "</liveries></root>\n";
    fs::create_directories(g_outputFolder);
    std::FILE* file = std::fopen(g_liveriesScannedPath.string().c_str(), "wb");
    std::fwrite(xml.data(), 1, xml.size(), file);
    std::fclose(file);

    // AIG: mostly installed titles with 6 or 7 codes each; some specials,
    // some titles without codes, some titles not installed.
    std::string aig = "<root><meta><info name=\"copyright\" value=\"c\"/><info name=\"sim\" value=\"3\"/></meta><aig>\n";
    for (int i = 0; i < kAigEntries * scale; ++i) {
        const std::string title = rng() % 100 < 85 ? set.liveries[rng() % set.liveries.size()].title
                                                   : fmt::format("Not installed {}", i);
        std::string codes;
        const int count = i % 50 == 0 ? 0 : i % 10 == 0 ? 1 : 6 + i % 2;  // a special with one code: a unique livery
        for (int c = 0; c < count; ++c) codes += (codes.empty() ? "" : ",") + registration(nextRegistration++);
        aig += fmt::format("<l t=\"{}\" r=\"{}\"{}/>\n", title, codes, i % 10 == 0 ? " s=\"true\"" : "");
    }
    aig += "</aig></root>\n";
    encipher::encipherBytes(gf_dataKey(), aig, g_aigRegcodesEncPath);

    std::string list;
    for (int i = 0; i < kListLines * scale; ++i) {
        std::string codes;
        for (int c = 0; c < 6; ++c) codes += (codes.empty() ? "" : ",") + registration(nextRegistration++);
        list += fmt::format("{};{}{}\n", set.liveries[rng() % set.liveries.size()].title, codes, i % 3 ? "" : ";#");
    }
    fs::create_directories(g_myRegcodesFolder);
    std::FILE* listFile = std::fopen((g_myRegcodesFolder / "mine.TXT").string().c_str(), "wb");
    std::fwrite(list.data(), 1, list.size(), listFile);
    std::fclose(listFile);

    // Live aircraft: a third with an installed livery's registration, most of
    // the rest of an airline and model that exist, some of unknown airlines.
    for (int i = 0; i < kLiveAircraft * scale; ++i) {
        AcBase ac;
        const Livery& like = set.liveries[rng() % set.liveries.size()];
        const auto roll = rng() % 100;
        ac.callsign = fmt::format("C{}", i);
        ac.registration = roll < 33 && !like.regcode.empty() ? like.regcode : registration(5000000 + i);
        const std::string airline = roll < 85 ? like.airline : airlineCode(kAirlines * scale + i % 500);
        const std::string model = roll < 70   ? like.model
                                  : roll < 97 ? modelCode(modelOfMix(rng))
                                              : modelCode(kModels - 1 - static_cast<int>(rng() % kLightWithoutLiveries));
        ac.modelKey = ModelKey{gf_airlineId(airline), like.second.empty() ? std::uint16_t{0} : gf_airlineId(like.second),
                               gf_modelId(model), static_cast<std::uint8_t>(like.cargo ? 1 : 0)};
        ac.sizeCategory = gf_modelCategory(ac.modelKey.modelId);
        set.aircraft.push_back(std::move(ac));
    }
}

// Empties the indexes and hands the freed memory back, so that every
// processing starts from a heap like a freshly started program's.
void clearIndexes() {
    gf_resetLiveryProcessing();
#if defined(__GLIBC__)
    malloc_trim(0);
#endif
}

// The benchmarks run in a folder of their own; one generated set per scale,
// made when a benchmark first asks for it.
struct BenchFolder {
    fs::path previous = fs::current_path();
    fs::path folder = fs::temp_directory_path() / fmt::format("vlnt-liveries-bench-{}", std::random_device{}());
    fs::path parameters;
    int scale = 0;
    Scale set;

    BenchFolder() {
        fs::create_directories(folder / g_inputFolder);
        fs::current_path(folder);
        parameters = folder / "parameters.xml";
        gf_saveParameters(false, parameters);
        RANDOM.value = false;
    }
    ~BenchFolder() {
        std::error_code ec;
        fs::current_path(previous, ec);
        fs::remove_all(folder, ec);
    }

    void use(int wanted) {
        if (wanted == scale) return;
        clearIndexes();
        gf_clearReferenceData();
        encipher::encipherBytes(gf_dataKey(), generatedDbase(), g_dbaseEncPath);
        if (!gf_readDbase()) std::abort();
        set = Scale();
        writeSet(wanted, set);
        scale = wanted;
    }
};

BenchFolder& bench(int scale) {
    static BenchFolder folder;
    folder.use(scale);
    return folder;
}

void readAndParse() {
    pugi::xml_document results;
    if (!results.load_file(g_liveriesScannedPath.c_str())) std::abort();
    if (!gf_streamDecrypt(g_aigRegcodesEncPath, g_aigRegcodesXmlPath)) std::abort();
    pugi::xml_document aig;
    if (!aig.load_file(g_aigRegcodesXmlPath.c_str())) std::abort();
    fs::remove(g_aigRegcodesXmlPath);
}

void process(const fs::path& parameters) { gf_processScannedLiveries(parameters); }

// The two readers alone: the results file into the livery list, the AIG
// file deciphered and read into its entries.
void readers() {
    gf_readLiveriesXml();
    if (!gf_streamDecrypt(g_aigRegcodesEncPath, g_aigRegcodesXmlPath)) std::abort();
    std::vector<RegcodeEntry> entries;
    entries.reserve(7000);
    lf_readAigRegcodeXml(entries);  // false for a title given twice in a row: the set may hold one
    fs::remove(g_aigRegcodesXmlPath);
    g_liveries.clear();
}

double heapMegabytes() {
#if defined(__GLIBC__)
    return static_cast<double>(mallinfo2().uordblks) / (1 << 20);
#else
    return 0;
#endif
}

double peakRssMegabytes() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return static_cast<double>(usage.ru_maxrss) / 1024;
}

void BM_ReadAndParse(benchmark::State& state) {
    bench(static_cast<int>(state.range(0)));
    for (auto _ : state) readAndParse();
}
BENCHMARK(BM_ReadAndParse)->ArgName("scale")->Arg(1)->Arg(2)->Arg(4)->Unit(benchmark::kMillisecond);

void BM_ProcessScannedLiveries(benchmark::State& state) {
    BenchFolder& folder = bench(static_cast<int>(state.range(0)));
    for (auto _ : state) {
        state.PauseTiming();
        clearIndexes();
        state.ResumeTiming();
        process(folder.parameters);
    }
    clearIndexes();
    const double empty = heapMegabytes();
    process(folder.parameters);
    state.counters["heap_MB"] = heapMegabytes() - empty;
    state.counters["peak_rss_MB"] = peakRssMegabytes();
    state.counters["liveries"] = static_cast<double>(g_liveryCount.load());
    state.counters["us_per_livery"] = benchmark::Counter(static_cast<double>(g_liveryCount.load()),
                                                         benchmark::Counter::kIsIterationInvariantRate |
                                                             benchmark::Counter::kInvert);
    state.counters["regcodes"] = static_cast<double>(g_titleByRegcode.size());
}
BENCHMARK(BM_ProcessScannedLiveries)->ArgName("scale")->Arg(1)->Arg(2)->Arg(4)->Unit(benchmark::kMillisecond);

// A control of the machine rather than of the program: the scale's titles
// copied into a list and viewed from a hash set, looked up once and freed.
// Plainly linear work, its cost per title still grows with the size once the
// data outgrow the processor's caches; the processing's growth is to be
// read against it.
void BM_ControlTitleListAndSet(benchmark::State& state) {
    const BenchFolder& folder = bench(static_cast<int>(state.range(0)));
    for (auto _ : state) {
        std::list<std::string> titles;
        for (const Livery& livery : folder.set.liveries) titles.push_back(livery.title);
        std::unordered_set<std::string_view, FnvHash> set;
        for (const std::string& title : titles) set.insert(title);
        std::size_t found = 0;
        for (const std::string& title : titles) found += set.count(title);
        benchmark::DoNotOptimize(found);
    }
    state.counters["us_per_livery"] = benchmark::Counter(static_cast<double>(folder.set.liveries.size()),
                                                         benchmark::Counter::kIsIterationInvariantRate |
                                                             benchmark::Counter::kInvert);
}
BENCHMARK(BM_ControlTitleListAndSet)->ArgName("scale")->Arg(1)->Arg(2)->Arg(4)->Unit(benchmark::kMillisecond);

// The processing and what it is judged against, back to back in every
// iteration, so both see the same machine load: the ratio is the figure to
// judge.
void lf_processOver(benchmark::State& state, void (*baseline)(), const char* baselineName) {
    BenchFolder& folder = bench(static_cast<int>(state.range(0)));
    double base = 0, processing = 0;
    for (auto _ : state) {
        state.PauseTiming();
        clearIndexes();
        state.ResumeTiming();
        base += milliseconds(baseline);
        state.PauseTiming();
        clearIndexes();
        state.ResumeTiming();
        processing += milliseconds([&folder] { process(folder.parameters); });
    }
    const auto runs = static_cast<double>(state.iterations());
    state.counters[baselineName] = base / runs;
    state.counters["process_ms"] = processing / runs;
    state.counters["ratio"] = processing / base;
}

// Against reading and parsing the two files with the XML library.
void BM_ProcessOverReadAndParse(benchmark::State& state) { lf_processOver(state, readAndParse, "read_ms"); }
BENCHMARK(BM_ProcessOverReadAndParse)->ArgName("scale")->Arg(1)->Arg(2)->Arg(4)->Unit(benchmark::kMillisecond);

// Against the program's two readers of the files.
void BM_ProcessOverReaders(benchmark::State& state) { lf_processOver(state, readers, "readers_ms"); }
BENCHMARK(BM_ProcessOverReaders)->ArgName("scale")->Arg(1)->Arg(2)->Arg(4)->Unit(benchmark::kMillisecond);

// The processing's steps one by one (the same as gf_processScannedLiveries
// without its log lines and category summary): where the time goes.
void BM_ProcessingSteps(benchmark::State& state) {
    bench(static_cast<int>(state.range(0)));
    const std::pair<const char*, void (*)()> steps[] = {
        {"read_ms", [] { gf_readLiveriesXml(); }}, {"airlines_ms", lf_buildAirlineIndex},
        {"pax_cargo_ms", lf_buildLiveryIndexes},   {"inline_ms", lf_inlineRegcodes},
        {"offline_ms", lf_processOfflineRegcodes}, {"models_ms", lf_buildModelIndex},
        {"similar_ms", lf_buildSimilarModels},     {"release_ms", [] { g_liveries.clear(); }},
    };
    std::vector<double> times(std::size(steps), 0.0);
    for (auto _ : state) {
        state.PauseTiming();
        clearIndexes();
        state.ResumeTiming();
        for (std::size_t i = 0; i < std::size(steps); ++i) times[i] += milliseconds(steps[i].second);
    }
    for (std::size_t i = 0; i < std::size(steps); ++i)
        state.counters[steps[i].first] = times[i] / static_cast<double>(state.iterations());
}
BENCHMARK(BM_ProcessingSteps)->ArgName("scale")->Arg(1)->Arg(2)->Arg(4)->Unit(benchmark::kMillisecond);

void BM_MatchLiveAircraft(benchmark::State& state) {
    BenchFolder& folder = bench(static_cast<int>(state.range(0)));
    clearIndexes();
    process(folder.parameters);
    std::size_t matched = 0;
    double matching = 0;
    for (auto _ : state) {
        state.PauseTiming();
        std::vector<AcBase> aircraft = folder.set.aircraft;
        g_matchStepCounts = {};
        state.ResumeTiming();
        matching += milliseconds([&aircraft] {
            for (AcBase& ac : aircraft) gf_matchLiveryLive(ac);
        });
        matched = 0;
        for (const std::uint32_t count : g_matchStepCounts) matched += count;
    }
    const auto aircraft = static_cast<double>(folder.set.aircraft.size());
    state.counters["aircraft"] = aircraft;
    state.counters["matched"] = static_cast<double>(matched);
    for (std::size_t step = 0; step < kMatchSteps; ++step)
        state.counters[fmt::format("step{}", step)] = static_cast<double>(g_matchStepCounts[step]);
    state.counters["per_aircraft_us"] = matching * 1000 / aircraft / static_cast<double>(state.iterations());
}
BENCHMARK(BM_MatchLiveAircraft)->ArgName("scale")->Arg(1)->Arg(2)->Arg(4)->Unit(benchmark::kMillisecond);
}  // namespace

BENCHMARK_MAIN();
