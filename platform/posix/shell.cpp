#include "platform/shell.h"

#include <fcntl.h>
#include <unistd.h>

#include <cstdio>

namespace platform {

bool openFolderInShell(const std::filesystem::path& folder) {
    std::error_code error;
    if (!std::filesystem::is_directory(folder, error)) return false;
    std::printf("open folder: %s\n", folder.c_str());
    std::fflush(stdout);
    return true;
}

bool tryWriteTestFile(const std::filesystem::path& file) {
    const int fd = ::open(file.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0600);
    if (fd < 0) return false;
    const char byte = 0;
    const bool written = ::write(fd, &byte, 1) == 1;
    ::close(fd);
    ::unlink(file.c_str());
    return written;
}

bool isProcessElevated() { return ::geteuid() == 0; }

}  // namespace platform
