#include "app/services/run_flags.h"

#include <unordered_map>

std::atomic<bool> g_stopRequested{false};
std::atomic<bool> g_closeRequested{false};
std::atomic<ExitReason> g_exitReason{ExitReason::NotYetSet};
std::atomic<std::int32_t> g_restartDelay{0};
std::atomic<std::int32_t> g_exitCode{0};
std::atomic<bool> g_restartPending{false};

const std::string& gf_exitReasonText(ExitReason reason) {
    static const std::unordered_map<std::int32_t, std::string> exitReasonNames = {
        {0, "NOT YET SET"},     {1, "SIM WAS CLOSED"},   {2, "NEW FLIGHT"},
        {3, "NEW SETTINGS"},    {4, "USER CLOSED SIM"},  {5, "SIMCONNECT ERROR"},
        {6, "READER ERROR"},    {7, "SYSTEM ERROR"},     {8, "NEW VERSION"},
    };
    return exitReasonNames.at(static_cast<std::int32_t>(reason));
}

bool gf_requestStop(ExitReason reason, std::int32_t restartDelay) {
    if (g_stopRequested.exchange(true)) return false;
    g_exitReason.store(reason);
    g_restartDelay.store(restartDelay);
    return true;
}
