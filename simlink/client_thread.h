// The simulator client thread: it opens the program's one SimConnect
// connection (retrying every 100 ms until the simulator answers), registers
// the program's identifiers, and hands every message to the dispatch as soon
// as it arrives, sleeping in between, until it is asked to stop. Everything
// the simulator sends is handled on it.
#pragma once

#include <cstdint>
#include <stop_token>

struct SimConnectClient;

// Once per run, before the thread starts: the simulator version the user
// runs (5 or 6), room in the queues, and g_simError cleared. An earlier
// thread is joined first.
void gf_initSimQueues(std::int32_t version);

// The thread body.
void SimClient(std::stop_token stop);

// Registers the system events, data definitions, client events and the
// notification group on g_simHandle; the results are ignored.
void lf_setupSimConnect();
// The link was lost through an error: once per thread run (the flag), clears
// g_simRunning and, unless a stop was requested, logs it and stops the run
// with SIM WAS CLOSED.
void lf_simDisconnected(bool& once);
// The thread's exit task, run on every way out: saves the user's park stand,
// clears g_simConnected and g_simRunning, repaints the status band and takes
// the handle away from the other threads (under g_simQueueMutex) before the
// thread closes it. Throws nothing.
void lf_simClientExitTask();
// Closes the handle when it is not null, logs how it went and nulls it.
void lf_closeSimConnect(SimConnectClient*& handle);

// The start-up thread's control of the thread (g_simClientThread).
// Starts a new thread; an earlier one is asked to stop and joined first.
void gf_startSimClient();
// Asks the thread to stop through its stop token, without waiting.
void gf_requestSimClientStop();
// Asks the thread to stop and waits until it has ended (closing its handle
// takes a few hundred milliseconds).
void gf_joinSimClient();
// The link's part of the reset before a restart: joins the old thread, then
// empties the queues and the user aircraft's state and clears the flags.
void gf_resetSimLink();
