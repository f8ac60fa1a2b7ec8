// State of the RealTraffic link shared between threads.
#pragma once

#include <atomic>
#include <cstdint>

// The feed indicator and the reader statuses the window shows.
#include "app/services/rt_indicators.h"

// Timestamp (UTC seconds) of the latest traffic datagram; 0 until the first
// one and after every (re)start of the wait for RealTraffic. Written by the
// traffic reader, read by every thread.
extern std::atomic<double> g_trafficTime;
// RealTraffic's version reply reported level 2; written by the start-up thread.
extern std::atomic<bool> g_rtLevel2;
// RealTraffic runs on this PC; set at start.
extern std::atomic<bool> g_rtLocal;
// A RealTraffic client is connected to the command server; changed by
// atomic exchange on the traffic thread and (closing the server) the window thread.
extern std::atomic<bool> g_rtConnected;
// RealTraffic has not connected in this run yet: set at start and at every
// reset of the run, cleared by the start-up once it has passed the wait for
// RealTraffic; read by the window's scan check boxes.
extern std::atomic<bool> g_awaitingRealTraffic;
// The QNH shown in the main window (hPa); written by the QNH reader.
extern std::atomic<std::int32_t> g_shownQnh;

class TrafficReader;
class QnhReader;
// The two reader objects (rtlink/readers.h), for the whole process. Each is
// used by its own reader thread; the watchdog and the reset touch only their
// atomic members (stop flag, counters, receiving mark, last QNH).
extern TrafficReader g_trafficReader;
extern QnhReader g_qnhReader;
