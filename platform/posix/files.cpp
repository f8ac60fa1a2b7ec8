#include "platform/files.h"

namespace platform {

bool copyFileOverwrite(const std::filesystem::path& source, const std::filesystem::path& target,
                       std::error_code& error) {
    return std::filesystem::copy_file(source, target, std::filesystem::copy_options::overwrite_existing, error);
}

bool replaceFile(const std::filesystem::path& source, const std::filesystem::path& target, std::error_code& error) {
    std::filesystem::rename(source, target, error);
    return !error;
}

std::filesystem::path shortPathName(const std::filesystem::path&) { return {}; }

}  // namespace platform
