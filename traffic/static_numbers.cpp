#include "traffic/state.h"
#include "traffic/static_decision.h"

std::uint32_t gf_nextStaticNumber() {
    g_staticNumber = g_staticNumber % 9999 + 1;
    return g_staticNumber;
}
