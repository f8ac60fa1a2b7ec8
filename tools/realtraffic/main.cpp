// realtraffic: a stand-in for the RealTraffic application, for tests and
// demonstrations without a live feed (see README.md).
#include <iostream>
#include <string>
#include <vector>

#include "tools/realtraffic/cli.h"

int main(int argc, char** argv) {
    const std::vector<std::string> arguments(argv + 1, argv + argc);
    return realtraffic::runMain(arguments, std::cout, std::cerr);
}
