// How long a test waits for something that must come (a reply, a packet, a
// state): the bound only ends a test whose peer is broken, so it lies far
// beyond any delay of a loaded machine. A wait for something that must NOT
// come stays short; it can never fail a sound test.
#pragma once

namespace testing_support {

inline constexpr int kSafetyMs = 60000;

}  // namespace testing_support
