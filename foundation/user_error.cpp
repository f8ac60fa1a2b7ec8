#include "foundation/user_error.h"

#include <fmt/format.h>

namespace vlt {
namespace {
std::string buildMessage(int code, const std::string& text) {
    return code == 99 ? text : fmt::format("{}: {}", code, text);
}
}  // namespace

UserErrorException::UserErrorException(int code, const std::string& text)
    : std::runtime_error(buildMessage(code, text)) {}

}  // namespace vlt
