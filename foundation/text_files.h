// Text files in any of the encodings other programs write (aircraft.cfg files
// above all): the encoding is detected from the first bytes and every file is
// read into UTF-8 lines. The program's own text files are written as UTF-8
// with LF line ends only.
#pragma once

#include <cstdint>
#include <filesystem>
#include <istream>
#include <list>
#include <span>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

// Encoding ids.
inline constexpr std::int32_t kEncodingAnsi = 0;             // "ANSI": the system's ANSI code page
inline constexpr std::int32_t kEncodingUnicode = 1;          // "Unicode": UTF-16 little endian
inline constexpr std::int32_t kEncodingUnicodeBigEndian = 2; // "Unicode_big_endian"
inline constexpr std::int32_t kEncodingUtf8WithBom = 3;      // "UTF8_with_BOM"
inline constexpr std::int32_t kEncodingUtf8WithoutBom = 4;   // "UTF8_without_BOM" (plain ASCII too)
inline constexpr std::int32_t kEncodingNoneFound = 5;        // "none_found": the file cannot be opened

// The id's name; any other id throws std::out_of_range.
const std::string& gf_encodingName(std::int32_t id);

// Judges the encoding from the first bytes: byte-order marks, the zero bytes
// of BOM-less UTF-16, else a strict UTF-8 check of the first 4096 bytes (a
// failure means ANSI). A character cut by the 4096-byte limit does not count
// against the file; one cut by the end of the file does.
std::int32_t gf_detectCharset(const std::filesystem::path& path);

// Reads the file as the given encoding into UTF-8 lines (emptied first).
// False when it cannot be opened; any error sets the status line
// "Read failed for '...': ..." and gives false.
bool gf_readTextFileUtf8(std::int32_t encoding, const std::filesystem::path& path, std::vector<std::string>& lines);
// Where the "Read failed for ..." text goes; set once at start by the program
// (none: the log only).
using ReadFailureReport = void (*)(const std::string& text);
void gf_setReadFailureReport(ReadFailureReport report);

// ANSI code page text to UTF-8; text that cannot be converted gives "".
std::string lf_convertToUtf8(std::string_view text);

// Appends the lines of a UTF-16 stream. A byte-order mark decides the byte
// order; without one the given encoding does (kEncodingUnicode or
// kEncodingUnicodeBigEndian). An odd last byte is ignored; invalid UTF-16
// becomes U+FFFD.
void gf_readFileLines(std::istream& stream, std::vector<std::string>& lines,
                      std::int32_t encoding = kEncodingUnicode);

// Reads the whole stream and appends its lines.
void gf_splitStreamLines(std::istream& stream, std::vector<std::string>& lines);
std::vector<std::string> gf_splitStreamLines(std::istream& stream);

// Appends the lines of a text: a leading UTF-8 byte-order mark is dropped,
// lines end at LF, one CR before the LF is dropped, a final LF gives no empty
// last line, an empty text gives no lines.
void gf_splitLines(std::string_view text, std::vector<std::string>& lines);

// A file and the lines a read filled in.
struct TextFile {
    std::filesystem::path path;
    std::vector<std::string> lines;
};

inline constexpr std::string_view kOpenFailed = "open_failed";

// Reads the file's lines (as UTF-8 bytes, unconverted); the expected count
// only reserves room. The result views the object's lines, or is the error
// text "open_failed".
std::variant<std::span<const std::string>, std::string> gf_readLines(TextFile& file, std::size_t expectedCount);

// The same for callers that want the lines themselves.
struct FileLines {
    std::vector<std::string> lines;
    bool ok = false;
    std::string error;  // "open_failed" when the file could not be opened
};
FileLines gf_readLines(const std::filesystem::path& path, std::size_t expectedCount);

// Write UTF-8 text with one LF after the text or after each line, replacing
// the file through a temporary sibling; false when it cannot be written.
bool gf_writeTextFile(std::string_view text, const std::filesystem::path& path);
bool gf_writeLines(const std::vector<std::string>& lines, const std::filesystem::path& path);
bool gf_writeListLines(const std::list<std::string>& lines, const std::filesystem::path& path);
