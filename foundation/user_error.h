// The one exception type for failures the user must fix. Every throw site has
// its own number, so that a user's report names the place.
#pragma once

#include <stdexcept>
#include <string>

namespace vlt {

class UserErrorException : public std::runtime_error {
public:
    // Message "{code}: {text}", or the text alone for code 99.
    UserErrorException(int code, const std::string& text);
};

}  // namespace vlt
