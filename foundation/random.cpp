#include "foundation/random.h"

#include <chrono>
#include <functional>
#include <thread>

#include "foundation/fnv.h"
#include "settings/settings.h"

namespace {
std::mt19937 lf_seededEngine() {
    std::random_device device;
    const auto now = static_cast<std::uint64_t>(
        std::chrono::duration_cast<std::chrono::nanoseconds>(std::chrono::steady_clock::now().time_since_epoch())
            .count());
    const auto threadId = static_cast<std::uint32_t>(std::hash<std::thread::id>{}(std::this_thread::get_id()));
    char idBytes[4];
    for (int i = 0; i < 4; ++i) idBytes[i] = static_cast<char>((threadId >> (8 * i)) & 0xFF);
    std::seed_seq seeds{static_cast<std::uint32_t>(device()), static_cast<std::uint32_t>(now),
                        static_cast<std::uint32_t>(now >> 32),
                        static_cast<std::uint32_t>(gf_fnv1a64(std::string_view(idBytes, 4)))};
    return std::mt19937(seeds);
}
}  // namespace

thread_local std::mt19937 g_rng = lf_seededEngine();
std::vector<std::uint32_t> g_indexTable;

void gf_seedRng(std::uint32_t seed) { g_rng.seed(seed); }

std::size_t gf_randomIndex(std::size_t n) {
    if (!RANDOM.value || n < 2) return 0;
    return std::uniform_int_distribution<std::size_t>(0, n - 1)(g_rng);
}

namespace {
// For i from 1 to n - 1: j uniform in 0..i, swap entries i and j.
template <typename T>
void lf_shuffle(std::vector<T>& items) {
    if (!RANDOM.value || items.size() < 2) return;
    for (std::size_t i = 1; i < items.size(); ++i) {
        const std::size_t j = std::uniform_int_distribution<std::size_t>(0, i)(g_rng);
        if (i != j) std::swap(items[i], items[j]);
    }
}
}  // namespace

void gf_shuffle(std::vector<std::uint16_t>& ids) { lf_shuffle(ids); }

void gf_shuffle(std::vector<std::string>& texts) { lf_shuffle(texts); }

void gf_shuffle(std::vector<std::int32_t>& numbers) { lf_shuffle(numbers); }

double gf_randomizePercent(double value, double percent) {
    const std::uint32_t draw = g_rng();
    if (percent <= 0) return value;
    const double sign = (draw & 1u) == 0 ? 1.0 : -1.0;
    return value + sign * (value * percent / 100.0);
}

void lf_initIndexTable() { g_indexTable = {1, 2, 3, 4}; }
