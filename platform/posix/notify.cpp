#include "platform/notify.h"

namespace platform {

// There are no windows or event objects to notify on POSIX.
void postWindowMessage(void*, std::uint32_t) {}
void signalEvent(void*) {}

}  // namespace platform
