// Hot helpers of the traffic path: every datagram is filtered by distance and
// carries airport codes; every aircraft moves along great circles each tick.
#include <benchmark/benchmark.h>

#include "foundation/fixed_code.h"
#include "foundation/geodesy.h"
#include "foundation/text_convert.h"

static void BM_DistanceNm(benchmark::State& state) {
    GeoPoint a{52.308, 4.764}, b{51.470, -0.454};
    for (auto _ : state) {
        benchmark::DoNotOptimize(gf_distanceNm(a, b));
        a.lon += 1e-9;
    }
}
BENCHMARK(BM_DistanceNm);

static void BM_DestinationPoint(benchmark::State& state) {
    const GeoPoint a{52.308, 4.764};
    double bearing = 0.0;
    for (auto _ : state) {
        benchmark::DoNotOptimize(gf_destinationPoint(a, bearing, 1500.0));
        bearing += 1e-6;
    }
}
BENCHMARK(BM_DestinationPoint);

static void BM_FixedCodeFromText(benchmark::State& state) {
    for (auto _ : state) benchmark::DoNotOptimize(AirportCode("eham").packed());
}
BENCHMARK(BM_FixedCodeFromText);

static void BM_Utf8ToWide(benchmark::State& state) {
    const std::string title = "Airbus A320neo Deutsche Lufthansa D-AINA \xE2\x80\x93 K\xC3\xB6ln";
    for (auto _ : state) benchmark::DoNotOptimize(utf8_to_wide(title));
}
BENCHMARK(BM_Utf8ToWide);

BENCHMARK_MAIN();
