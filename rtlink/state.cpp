#include "rtlink/state.h"

std::atomic<double> g_trafficTime{0.0};
std::atomic<bool> g_rtLevel2{false};
