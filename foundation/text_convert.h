// Conversions between the program's UTF-8 texts and the UTF-16 of Windows
// calls. Portable code holds wide text as std::u16string (wchar_t is 32 bits
// on Linux); the Windows seams reinterpret it as wchar_t.
#pragma once

#include <cstddef>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

// Strict; throws std::runtime_error "utf8_to_wide: invalid UTF-8".
std::u16string utf8_to_wide(std::string_view text);
// Strict; throws std::runtime_error "wide_to_utf8: invalid UTF-16".
std::string wide_to_utf8(std::u16string_view text);
// Lenient: invalid UTF-16 becomes U+FFFD, never an error.
std::string gf_wideToUtf8(std::u16string_view text);
// A path as UTF-8 text (strict).
std::string gf_pathToUtf8(const std::filesystem::path& path);
// A path from UTF-8 text. On Windows a narrow path would go through the ANSI
// code page and lose every character outside it, so build it from UTF-8.
std::filesystem::path gf_utf8Path(std::string_view text);

// UTF-8 to the ANSI code page of Windows (the code page that files and peers
// such as the simulator use): no result when the text is not valid UTF-8 or
// holds a character the code page lacks.
std::optional<std::string> gf_utf8ToAnsi(std::string_view text);
// ANSI code-page text to UTF-8 (every byte has a character).
std::string gf_ansiToUtf8(std::string_view text);

// The UTF-8 sequence that begins at byte `at` (no overlong forms, no C0/C1 or
// F5..FF lead bytes, nothing above U+10FFFF; encoded surrogates pass, as the
// charset detection wants): its length in bytes,
// 0 when the bytes there are no valid sequence. `cut` tells that a valid
// start runs off the end of the bytes (length is then 0).
struct Utf8Sequence {
    std::size_t length = 0;
    bool cut = false;
};
Utf8Sequence gf_utf8SequenceAt(std::string_view bytes, std::size_t at);
