// State of the RealTraffic link shared between threads.
#pragma once

#include <atomic>

// Timestamp (UTC seconds) of the latest traffic datagram; 0 until the first
// one and after every (re)start of the wait for RealTraffic. Written by the
// traffic reader, read by every thread.
extern std::atomic<double> g_trafficTime;
// RealTraffic's version reply reported level 2; written by the start-up thread.
extern std::atomic<bool> g_rtLevel2;
