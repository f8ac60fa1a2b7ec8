#include "platform/profile_files.h"

#include <windows.h>

#include <array>
#include <vector>

#include <gsl/narrow>

namespace platform {

std::u16string profileString(const std::filesystem::path& file, const std::u16string& section,
                             const std::u16string& key, std::size_t capacity) {
    if (capacity == 0) return {};
    std::vector<wchar_t> buffer(capacity);
    const DWORD length = GetPrivateProfileStringW(reinterpret_cast<const wchar_t*>(section.c_str()),
                                                  reinterpret_cast<const wchar_t*>(key.c_str()), L"", buffer.data(),
                                                  gsl::narrow<DWORD>(capacity), file.c_str());
    return std::u16string(reinterpret_cast<const char16_t*>(buffer.data()), length);
}

bool profileHasSection(const std::filesystem::path& file, const std::u16string& section) {
    // Only whether anything is copied matters, so a small buffer does.
    std::array<wchar_t, 64> buffer{};
    return GetPrivateProfileSectionW(reinterpret_cast<const wchar_t*>(section.c_str()), buffer.data(),
                                     static_cast<DWORD>(buffer.size()), file.c_str()) > 0;
}

}  // namespace platform
