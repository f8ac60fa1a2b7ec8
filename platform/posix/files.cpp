#include "platform/files.h"

namespace platform {

bool copyFileOverwrite(const std::filesystem::path& source, const std::filesystem::path& target,
                       std::error_code& error) {
    return std::filesystem::copy_file(source, target, std::filesystem::copy_options::overwrite_existing, error);
}

}  // namespace platform
