#include "platform/single_instance.h"

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <filesystem>
#include <system_error>

#include "platform/folders.h"

namespace platform {

bool claimSingleInstance(const std::string& mutexName) {
    const std::string::size_type backslash = mutexName.rfind('\\');
    const std::string name = backslash == std::string::npos ? mutexName : mutexName.substr(backslash + 1);
    // The user's own folder makes the lock per user, as the logon namespace does.
    std::error_code ec;
    const std::filesystem::path folder = roamingAppDataFolder();
    if (!folder.empty()) std::filesystem::create_directories(folder, ec);
    const std::filesystem::path lockPath =
        !folder.empty() && std::filesystem::is_directory(folder, ec)
            ? folder / (name + ".lock")
            : std::filesystem::temp_directory_path(ec) / (name + "-" + std::to_string(::getuid()) + ".lock");
    // The descriptor stays open for the life of the process, as the mutex handle does.
    const int fd = ::open(lockPath.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
    if (fd < 0) return true;  // no lock file possible: do not keep the user from starting
    if (::flock(fd, LOCK_EX | LOCK_NB) == 0) return true;
    ::close(fd);
    return false;
}

}  // namespace platform
