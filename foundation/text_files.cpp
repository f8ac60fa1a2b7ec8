#include "foundation/text_files.h"

#include <fmt/format.h>

#include <array>
#include <atomic>
#include <fstream>
#include <map>
#include <stdexcept>

#include "foundation/file_helpers.h"
#include "foundation/log.h"
#include "foundation/text_convert.h"
#include "platform/text_codec.h"

namespace fs = std::filesystem;

namespace {
std::atomic<ReadFailureReport> g_readFailureReport{nullptr};

constexpr std::size_t kExaminedBytes = 4096;
constexpr std::size_t kAnsiLinesReserved = 2048;
constexpr std::string_view kUtf8Bom = "\xEF\xBB\xBF";

std::string pathText(const fs::path& path) { return gf_wideToUtf8(path.u16string()); }

unsigned char byteAt(std::string_view bytes, std::size_t i) { return static_cast<unsigned char>(bytes[i]); }

// The whole stream from its start; empty for a stream of length 0.
std::string readAll(std::istream& stream) {
    stream.seekg(0, std::ios::end);
    const std::streamoff length = stream.tellg();
    stream.clear();
    stream.seekg(0, std::ios::beg);
    if (length <= 0) return {};
    std::string bytes(static_cast<std::size_t>(length), '\0');
    stream.read(bytes.data(), length);
    bytes.resize(static_cast<std::size_t>(stream.gcount()));
    return bytes;
}

// The strict UTF-8 check of the detector. `cutByLimit` tells that the file
// goes on after these bytes, so a sequence running off their end is whole.
bool isStrictUtf8(std::string_view bytes, bool cutByLimit) {
    for (std::size_t i = 0; i < bytes.size();) {
        const Utf8Sequence sequence = gf_utf8SequenceAt(bytes, i);
        if (sequence.cut) return cutByLimit;
        if (sequence.length == 0) return false;
        i += sequence.length;
    }
    return true;
}

std::ifstream openForReading(const fs::path& path) { return std::ifstream(path, std::ios::in | std::ios::binary); }

void readUtf8File(std::istream& stream, std::vector<std::string>& lines, bool withBom) {
    gf_splitStreamLines(stream, lines);
    if (withBom && !lines.empty() && lines.front().starts_with(kUtf8Bom)) lines.front().erase(0, kUtf8Bom.size());
}

void readAnsiFile(std::istream& stream, std::vector<std::string>& lines) {
    std::vector<std::string> raw;
    raw.reserve(kAnsiLinesReserved);
    gf_splitStreamLines(stream, raw);
    lines.reserve(raw.size());
    for (const std::string& line : raw) lines.push_back(lf_convertToUtf8(line));
}

template <class Lines>
bool writeLinesAtomically(const Lines& lines, const fs::path& path) {
    return gf_writeFileAtomically(path, [&lines](const fs::path& temporary) {
        std::ofstream out(temporary, std::ios::out | std::ios::trunc | std::ios::binary);
        if (!out) return false;
        for (const auto& line : lines) out << line << '\n';
        out.flush();
        return static_cast<bool>(out);
    });
}
}  // namespace

const std::string& gf_encodingName(std::int32_t id) {
    static const std::map<std::int32_t, std::string> names = {
        {kEncodingAnsi, "ANSI"},
        {kEncodingUnicode, "Unicode"},
        {kEncodingUnicodeBigEndian, "Unicode_big_endian"},
        {kEncodingUtf8WithBom, "UTF8_with_BOM"},
        {kEncodingUtf8WithoutBom, "UTF8_without_BOM"},
        {kEncodingNoneFound, "none_found"},
    };
    return names.at(id);
}

std::int32_t gf_detectCharset(const fs::path& path) {
    std::ifstream in = openForReading(path);
    if (!in.is_open()) return kEncodingNoneFound;
    std::string bytes(kExaminedBytes + 1, '\0');
    in.read(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    bytes.resize(static_cast<std::size_t>(in.gcount()));
    const std::size_t n = std::min<std::size_t>(bytes.size(), 4);
    const auto b = [&bytes](std::size_t i) { return byteAt(bytes, i); };
    if (n >= 3 && bytes.starts_with(kUtf8Bom)) return kEncodingUtf8WithBom;
    if (n >= 2) {
        if (b(0) == 0xFF && b(1) == 0xFE) return kEncodingUnicode;
        if (b(0) == 0xFE && b(1) == 0xFF) return kEncodingUnicodeBigEndian;
        if (b(1) == 0 && (n < 4 || b(3) == 0)) return kEncodingUnicode;
        if (b(0) == 0 && (n < 4 || b(2) == 0)) return kEncodingUnicodeBigEndian;
    }
    const bool cutByLimit = bytes.size() > kExaminedBytes;
    if (cutByLimit) bytes.resize(kExaminedBytes);
    return isStrictUtf8(bytes, cutByLimit) ? kEncodingUtf8WithoutBom : kEncodingAnsi;
}

bool gf_readTextFileUtf8(std::int32_t encoding, const fs::path& path, std::vector<std::string>& lines) {
    try {
        lines.clear();
        if (encoding < kEncodingAnsi || encoding > kEncodingUtf8WithoutBom)
            throw std::runtime_error(
                fmt::format("file {} has unknown charset: {}", pathText(path), gf_encodingName(encoding)));
        std::ifstream in = openForReading(path);
        if (!in.is_open()) return false;
        switch (encoding) {
            case kEncodingUnicode:
            case kEncodingUnicodeBigEndian: gf_readFileLines(in, lines, encoding); break;
            case kEncodingUtf8WithBom: readUtf8File(in, lines, true); break;
            case kEncodingUtf8WithoutBom: readUtf8File(in, lines, false); break;
            default: readAnsiFile(in, lines); break;
        }
        return true;
    } catch (const std::exception& e) {
        const std::string text = fmt::format("Read failed for '{}': {}", pathText(path), e.what());
        const ReadFailureReport report = g_readFailureReport.load();
        if (report != nullptr)
            report(text);
        else
            gf_log(text);
        return false;
    }
}

void gf_setReadFailureReport(ReadFailureReport report) { g_readFailureReport.store(report); }

std::string lf_convertToUtf8(std::string_view text) { return gf_wideToUtf8(platform::ansiToUtf16(text)); }

void gf_readFileLines(std::istream& stream, std::vector<std::string>& lines, std::int32_t encoding) {
    if (!stream) return;
    const std::string bytes = readAll(stream);
    if (bytes.size() < 2) return;
    bool bigEndian = encoding == kEncodingUnicodeBigEndian;
    std::size_t start = 0;
    if (byteAt(bytes, 0) == 0xFF && byteAt(bytes, 1) == 0xFE) {
        bigEndian = false;
        start = 2;
    } else if (byteAt(bytes, 0) == 0xFE && byteAt(bytes, 1) == 0xFF) {
        bigEndian = true;
        start = 2;
    }
    std::u16string wide;
    wide.reserve((bytes.size() - start) / 2);
    for (std::size_t i = start; i + 1 < bytes.size(); i += 2) {
        const unsigned first = byteAt(bytes, i), second = byteAt(bytes, i + 1);
        wide.push_back(static_cast<char16_t>(bigEndian ? (first << 8) | second : (second << 8) | first));
    }
    gf_splitLines(gf_wideToUtf8(wide), lines);
}

void gf_splitStreamLines(std::istream& stream, std::vector<std::string>& lines) {
    if (!stream) return;
    gf_splitLines(readAll(stream), lines);
}

std::vector<std::string> gf_splitStreamLines(std::istream& stream) {
    std::vector<std::string> lines;
    gf_splitStreamLines(stream, lines);
    return lines;
}

void gf_splitLines(std::string_view text, std::vector<std::string>& lines) {
    if (text.starts_with(kUtf8Bom)) text.remove_prefix(kUtf8Bom.size());
    while (!text.empty()) {
        const std::size_t end = text.find('\n');
        std::string_view line = text.substr(0, end);
        if (line.ends_with('\r')) line.remove_suffix(1);
        lines.emplace_back(line);
        if (end == std::string_view::npos) break;
        text.remove_prefix(end + 1);
    }
}

std::variant<std::span<const std::string>, std::string> gf_readLines(TextFile& file, std::size_t expectedCount) {
    file.lines.clear();
    std::ifstream in = openForReading(file.path);
    if (!in.is_open()) return std::string(kOpenFailed);
    if (expectedCount > file.lines.capacity()) file.lines.reserve(expectedCount);
    gf_splitStreamLines(in, file.lines);
    return std::span<const std::string>(file.lines);
}

FileLines gf_readLines(const fs::path& path, std::size_t expectedCount) {
    TextFile file{path, {}};
    FileLines result;
    const auto read = gf_readLines(file, expectedCount);
    if (const auto* error = std::get_if<std::string>(&read)) {
        result.error = *error;
        return result;
    }
    result.lines = std::move(file.lines);
    result.ok = true;
    return result;
}

bool gf_writeTextFile(std::string_view text, const fs::path& path) {
    return writeLinesAtomically(std::array<std::string_view, 1>{text}, path);
}

bool gf_writeLines(const std::vector<std::string>& lines, const fs::path& path) {
    return writeLinesAtomically(lines, path);
}

bool gf_writeListLines(const std::list<std::string>& lines, const fs::path& path) {
    return writeLinesAtomically(lines, path);
}
