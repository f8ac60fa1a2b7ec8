// Text conversions between UTF-8, UTF-16 and the ANSI code page.
// The Windows build calls MultiByteToWideChar/WideCharToMultiByte; the POSIX
// build follows the same rules so both builds give the same answers.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace platform {

// Strict: any invalid sequence (overlong forms, encoded surrogates, values
// above U+10FFFF, cut-off sequences) gives no result.
// Lenient: every invalid sequence becomes U+FFFD.
std::optional<std::u16string> utf8ToUtf16(std::string_view text, bool strict);

// Strict: an unpaired surrogate gives no result. Lenient: it becomes U+FFFD.
std::optional<std::string> utf16ToUtf8(std::u16string_view text, bool strict);

// The ANSI code page (CP_ACP) to UTF-16. On POSIX this is Windows-1252, whose
// five unassigned bytes map to the C1 control of the same value, as Windows does.
std::u16string ansiToUtf16(std::string_view text);

// UTF-16 to the ANSI code page (WideCharToMultiByte with CP_ACP and
// WC_NO_BEST_FIT_CHARS): no result when a character has no exact form there
// (no best-fit look-alike, no default character) or a surrogate is unpaired.
// On POSIX the code page is Windows-1252, as above.
std::optional<std::string> utf16ToAnsi(std::u16string_view text);

}  // namespace platform
