// The Winsock error number of the same condition as an errno value, so that
// socket errors read the same on every platform.
#pragma once

#include <cstdint>

namespace platform::posix_io {

// An errno without a Winsock counterpart is passed on (it shows as unknown).
std::int32_t wsaErrorOf(int error);

}  // namespace platform::posix_io
