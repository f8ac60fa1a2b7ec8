// A UTF-8 command-line argument as the wide text the Windows calls take;
// shared by the soak's small Windows helpers.
#pragma once

#include <windows.h>

#include <string>

inline std::wstring gf_wideArgument(const char* text) {
    const int n = MultiByteToWideChar(CP_UTF8, 0, text, -1, nullptr, 0);
    std::wstring out(n > 0 ? static_cast<std::size_t>(n - 1) : 0, L'\0');
    if (n > 1) MultiByteToWideChar(CP_UTF8, 0, text, -1, out.data(), n);
    return out;
}
