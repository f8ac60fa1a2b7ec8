// Reading Windows profile (.ini) files as GetPrivateProfileStringW and
// GetPrivateProfileSectionW do: section and key names compare without regard
// to case and the first match counts; blanks around keys and values are
// dropped and one pair of quotes around a value is removed. Files in UTF-16
// (with byte-order mark), UTF-8 with byte-order mark or the ANSI code page.
#pragma once

#include <cstddef>
#include <filesystem>
#include <string>

namespace platform {

// The value of key in section, cut to capacity - 1 characters; empty when the
// file, the section or the key is missing.
std::u16string profileString(const std::filesystem::path& file, const std::u16string& section,
                             const std::u16string& key, std::size_t capacity);

// True when the file holds the section with at least one entry in it.
bool profileHasSection(const std::filesystem::path& file, const std::u16string& section);

}  // namespace platform
