#include "tools/simulator/stop_signal.h"

#include <signal.h>

namespace simulator {

namespace {
std::atomic<bool>* g_stopFlag = nullptr;  // set once before the handler is installed
extern "C" void onStopSignal(int) {
    if (g_stopFlag) g_stopFlag->store(true);
}
}  // namespace

void installStopHandler(std::atomic<bool>& stop) {
    g_stopFlag = &stop;
    struct sigaction action {};
    action.sa_handler = onStopSignal;
    sigemptyset(&action.sa_mask);
    sigaction(SIGINT, &action, nullptr);
    sigaction(SIGTERM, &action, nullptr);
}

}  // namespace simulator
