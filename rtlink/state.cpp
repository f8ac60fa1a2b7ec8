#include "rtlink/state.h"

std::atomic<double> g_trafficTime{0.0};
std::atomic<bool> g_rtLevel2{false};
std::atomic<bool> g_rtLocal{false};
std::atomic<bool> g_rtConnected{false};
std::atomic<bool> g_awaitingRealTraffic{true};
std::atomic<std::int32_t> g_shownQnh{1013};
