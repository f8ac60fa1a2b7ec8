// One running program per user logon.
#pragma once

#include <string>

namespace platform {

// Claims the named single-instance lock for the rest of the process; false
// when another process of this user holds it already. The lock is never
// released: it ends with the process.
// Windows: the named mutex (a name in the "Local\" namespace is per logon);
// false when CreateMutexW reports ERROR_ALREADY_EXISTS.
// POSIX: an exclusive flock on a file named after the mutex (without its
// namespace prefix) in the roaming application-data folder, or in the
// temporary folder when that is unknown.
bool claimSingleInstance(const std::string& mutexName);

}  // namespace platform
