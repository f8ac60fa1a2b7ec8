// A warning the user must see even when the main window does not exist.
#pragma once

#include <string>

namespace platform {

// Windows: a message box without owner window, with a warning icon and the
// given title (MessageBoxW). POSIX: the line "title: text" on stderr.
void showWarning(const std::string& title, const std::string& text);

}  // namespace platform
