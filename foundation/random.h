// The per-thread random engine and the random choices built on it.
#pragma once

#include <cstdint>
#include <random>
#include <string>
#include <vector>

// Each thread's own engine, seeded on the thread's first use from the random
// device, the steady clock and the thread's id.
extern thread_local std::mt19937 g_rng;

// Re-seeds the calling thread's engine (deterministic tests).
void gf_seedRng(std::uint32_t seed);

// 0 when RANDOM is off or n < 2; else uniform in [0, n - 1].
std::size_t gf_randomIndex(std::size_t n);
// Shuffles uniformly when RANDOM is on and there are at least 2 ids.
void gf_shuffle(std::vector<std::uint16_t>& ids);
void gf_shuffle(std::vector<std::string>& texts);
void gf_shuffle(std::vector<std::int32_t>& numbers);
// v varied up or down by p percent (the sign from one draw); v when p <= 0.
// Does not look at RANDOM.
double gf_randomizePercent(double value, double percent);

// The index list 1, 2, 3, 4 built at start.
extern std::vector<std::uint32_t> g_indexTable;
void lf_initIndexTable();
