#include "platform/shell.h"

#include <fcntl.h>
#include <unistd.h>

#include <cstdio>

namespace platform {

bool openFolder(const std::filesystem::path& folder) {
    std::printf("[open] %s\n", folder.string().c_str());
    std::fflush(stdout);
    return true;
}

std::vector<std::filesystem::path> protectedProgramFolders() { return {}; }

bool canWriteInFolder(const std::filesystem::path& folder) {
    const std::filesystem::path path = folder / ".write_test.tmp";
    const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0600);
    if (fd < 0) return false;
    const char byte = 0;
    const bool written = ::write(fd, &byte, 1) == 1;
    ::close(fd);
    ::unlink(path.c_str());
    return written;
}

bool processElevated() { return ::geteuid() == 0; }

}  // namespace platform
