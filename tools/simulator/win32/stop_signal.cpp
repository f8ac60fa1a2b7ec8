#include "tools/simulator/stop_signal.h"

#include <windows.h>

namespace simulator {

namespace {
std::atomic<bool>* g_stopFlag = nullptr;  // set once before the handler is installed
BOOL WINAPI onConsoleControl(DWORD) {
    if (g_stopFlag) g_stopFlag->store(true);
    return TRUE;
}
}  // namespace

void installStopHandler(std::atomic<bool>& stop) {
    g_stopFlag = &stop;
    ::SetConsoleCtrlHandler(onConsoleControl, TRUE);
}

}  // namespace simulator
