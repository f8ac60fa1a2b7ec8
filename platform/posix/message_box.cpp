#include "platform/message_box.h"

#include <cstdio>

namespace platform {

void showWarning(const std::string& title, const std::string& text) {
    std::fprintf(stderr, "%s: %s\n", title.c_str(), text.c_str());
    std::fflush(stderr);
}

}  // namespace platform
