// The traffic reader's surroundings for tests: the user and the park airport
// at Schiphol (EHAM, elevation -11 ft), a 40 nm radius, traffic accepted, an
// empty adding stack; and all of it put back.
#pragma once

#include <cstddef>

namespace testing_support {

void acceptTrafficAtEham();
// Empties the adding stack, clears the accept flag and the park airport.
void stopAcceptingTraffic();
std::size_t addingStackSize();

}  // namespace testing_support
