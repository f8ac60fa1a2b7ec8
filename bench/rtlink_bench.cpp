// The traffic reader's work per datagram: split the fields and build the
// traffic record (lf_onTrafficData with processLineSub, model ids from the
// shared table, one push on the adding stack under its mutex), against a bare
// split-and-from_chars loop over the same datagrams. The target: at least a
// million datagrams a second on one core, within 3 times the bare loop.
#include <benchmark/benchmark.h>
#include <fmt/format.h>

#include <charconv>
#include <mutex>
#include <string>
#include <string_view>
#include <vector>

#include "rtlink/traffic_datagram.h"
#include "rtlink/traffic_feed.h"
#include "rtlink/traffic_record.h"
#include "settings/settings.h"
#include "traffic/state.h"

namespace {

// Datagrams as RealTraffic sends them around Schiphol: 64 aircraft, each a
// few positions.
std::vector<std::string> typicalDatagrams() {
    const char* types[] = {"B738", "A320", "E190", "B77W", "A21N", "CRJ9", "B789", "A333"};
    const char* airlines[] = {"KLM", "DLH", "BAW", "EZY", "AFR", "TRA", "KLC", "RYR"};
    std::vector<std::string> out;
    for (int i = 0; i < 512; ++i) {
        const int ac = i % 64;
        out.push_back(fmt::format(
            "TFC,{},{:.6f},{:.6f},{},{},1,{:.1f},{:.1f},{}{},{},PH-{}{},LHR,AMS,{:.2f},rt,{}{},X_adsb_icao,{},{},{},"
            "0.420,0.00,{:.1f},{:.1f},{:.1f},-640,2000,A3",
            4840000 + ac, 52.0 + ac * 0.01 + i * 1e-4, 4.5 + ac * 0.008, 3000 + ac * 150, -640, 55.5 + ac,
            180.0 + ac, airlines[ac % 8], 1000 + ac, types[ac % 8], char('A' + ac % 26), char('A' + ac / 26),
            1767600000.0 + i * 0.5, airlines[ac % 8], 1000 + ac, 3075 + ac * 150, 180 + ac, 190 + ac, ac % 7 - 3.0,
            53.5 + ac, 55.5 + ac));
    }
    return out;
}

void prepareReader() {
    gf_setTrafficRefPos(GeoPoint{52.3086, 4.7639});
    gf_setReaderParkAirport(ReaderParkAirport{AirportCode("EHAM"), GeoPoint{52.3086, 4.7639}, -11});
    g_rangeNm = 80.0;
    const std::lock_guard lock(g_addingStackMutex);
    g_addingStack.clear();
    g_acceptTraffic = true;
}

void drainStack() {
    const std::lock_guard lock(g_addingStackMutex);
    g_addingStack.clear();
}

}  // namespace

static void BM_ProcessLineSub(benchmark::State& state) {
    const auto datagrams = typicalDatagrams();
    prepareReader();
    std::size_t i = 0, queued = 0;
    for (auto _ : state) {
        queued += lf_onTrafficData(g_trafficFeed, datagrams[i % datagrams.size()]) == LineVerdict::queued;
        if (++i % 1024 == 0) drainStack();  // the traffic thread takes them in the program
    }
    drainStack();
    if (queued != i) state.SkipWithError("a datagram was not queued");
    state.SetItemsProcessed(static_cast<std::int64_t>(i));
}
BENCHMARK(BM_ProcessLineSub);

// Only the splitting and the number parsing of the same fields.
static void BM_BareSplitAndFromChars(benchmark::State& state) {
    const auto datagrams = typicalDatagrams();
    std::vector<std::string_view> fields;
    std::size_t i = 0;
    for (auto _ : state) {
        const std::string_view datagram = datagrams[i++ % datagrams.size()];
        fields.clear();
        std::size_t start = 0;
        for (std::size_t comma; (comma = datagram.find(',', start)) != std::string_view::npos; start = comma + 1)
            fields.push_back(datagram.substr(start, comma - start));
        fields.push_back(datagram.substr(start));
        double sum = 0.0;
        for (const std::size_t f : {1, 2, 3, 4, 5, 7, 8, 14, 20, 23, 25}) {
            double value = 0.0;
            std::from_chars(fields[f].data(), fields[f].data() + fields[f].size(), value);
            sum += value;
        }
        benchmark::DoNotOptimize(sum);
    }
    state.SetItemsProcessed(static_cast<std::int64_t>(i));
}
BENCHMARK(BM_BareSplitAndFromChars);

BENCHMARK_MAIN();
