// The stand-in simulator: serves the SimConnect wire protocol so the program
// can run end to end without Prepar3D. See README.md.
#include <atomic>
#include <string>
#include <vector>

#include "tools/simulator/simulator_main.h"
#include "tools/simulator/stop_signal.h"

int main(int argc, char** argv) {
    static std::atomic<bool> stop{false};
    simulator::installStopHandler(stop);
    return simulator::simulatorMain(std::vector<std::string>(argv + 1, argv + argc), stop);
}
