#include "foundation/text_files.h"

#include <gtest/gtest.h>

#include <sstream>

#include "foundation/text_convert.h"
#include "support/log_capture.h"

using testing_support::readFile;
using testing_support::TempDir;
using testing_support::writeFile;
namespace fs = std::filesystem;

namespace {
using Lines = std::vector<std::string>;

std::string bytes(std::initializer_list<unsigned char> list) { return std::string(list.begin(), list.end()); }

// "Zoë\r\nline 2\nend" as UTF-16 in either byte order.
std::string utf16(std::u16string_view text, bool bigEndian) {
    std::string out;
    for (const char16_t unit : text) {
        const auto high = static_cast<char>(unit >> 8), low = static_cast<char>(unit & 0xFF);
        out += bigEndian ? std::string{high, low} : std::string{low, high};
    }
    return out;
}

const std::u16string kSampleText = u"Zo\u00EB\r\nline 2\nend";
const Lines kSampleLines = {"Zo\xC3\xAB", "line 2", "end"};
}  // namespace

TEST(TextFiles, EncodingNames) {
    const char* names[] = {"ANSI", "Unicode", "Unicode_big_endian", "UTF8_with_BOM", "UTF8_without_BOM",
                           "none_found"};
    for (std::int32_t id = 0; id < 6; ++id) EXPECT_EQ(gf_encodingName(id), names[id]);
    EXPECT_THROW(gf_encodingName(6), std::out_of_range);
    EXPECT_THROW(gf_encodingName(-1), std::out_of_range);
}

TEST(TextFiles, DetectionTable) {
    struct Case {
        const char* name;
        std::string content;
        std::int32_t expected;
    };
    const std::string a4095(4095, 'a');
    const Case cases[] = {
        {"empty", "", kEncodingUtf8WithoutBom},
        {"ascii", "EHAM\r\nEDDF\n", kEncodingUtf8WithoutBom},
        {"utf8 bom", "\xEF\xBB\xBFtitle=x", kEncodingUtf8WithBom},
        {"utf16le bom", bytes({0xFF, 0xFE, 'a', 0}), kEncodingUnicode},
        {"utf16be bom", bytes({0xFE, 0xFF, 0, 'a'}), kEncodingUnicodeBigEndian},
        {"two bytes 41 00", bytes({0x41, 0x00}), kEncodingUnicode},
        {"three bytes 41 00 42", bytes({0x41, 0x00, 0x42}), kEncodingUnicode},
        {"41 00 42 00", bytes({0x41, 0x00, 0x42, 0x00}), kEncodingUnicode},
        {"41 00 42 01 is no UTF-16", bytes({0x41, 0x00, 0x42, 0x01}), kEncodingUtf8WithoutBom},
        {"00 41 00 42", bytes({0x00, 0x41, 0x00, 0x42}), kEncodingUnicodeBigEndian},
        {"two bytes 00 41", bytes({0x00, 0x41}), kEncodingUnicodeBigEndian},
        {"one zero byte", bytes({0x00}), kEncodingUtf8WithoutBom},
        {"cp1252 e acute", "caf\xE9 au lait", kEncodingAnsi},
        {"two-byte character", "caf\xC3\xA9", kEncodingUtf8WithoutBom},
        {"C0 overlong", "a\xC0\xAF", kEncodingAnsi},
        {"C1 overlong", "a\xC1\xBF", kEncodingAnsi},
        {"E0 below A0", "a\xE0\x9F\x80", kEncodingAnsi},
        {"E0 A0", "a\xE0\xA0\x80", kEncodingUtf8WithoutBom},
        {"ED A0 (not checked)", "a\xED\xA0\x80", kEncodingUtf8WithoutBom},
        {"F0 below 90", "a\xF0\x8F\x80\x80", kEncodingAnsi},
        {"F0 90", "a\xF0\x90\x80\x80", kEncodingUtf8WithoutBom},
        {"F4 8F", "a\xF4\x8F\xBF\xBF", kEncodingUtf8WithoutBom},
        {"F4 above 8F", "a\xF4\x90\x80\x80", kEncodingAnsi},
        {"F5", "a\xF5\x80\x80\x80", kEncodingAnsi},
        {"FF", "ab\xFF", kEncodingAnsi},
        {"stray continuation", "ab\x80", kEncodingAnsi},
        {"bad continuation", "a\xC3\x41", kEncodingAnsi},
        {"cut by the end of the file", "ab\xE2\x82", kEncodingAnsi},
        {"lead byte at 4096, file goes on", a4095 + "\xC3\xA9", kEncodingUtf8WithoutBom},
        {"4-byte character across 4096", std::string(4094, 'a') + "\xF0\x9F\x98\x80", kEncodingUtf8WithoutBom},
        {"lead byte at 4096, file ends", a4095 + "\xC3", kEncodingAnsi},
        {"invalid after 4096 is not examined", a4095 + "a\xFF", kEncodingUtf8WithoutBom},
        {"invalid continuation right after 4096", a4095 + "\xC3\x41", kEncodingUtf8WithoutBom},
    };
    TempDir dir;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        writeFile(dir / "file.txt", c.content);
        EXPECT_EQ(gf_detectCharset(dir / "file.txt"), c.expected);
    }
    EXPECT_EQ(gf_detectCharset(dir / "missing.txt"), kEncodingNoneFound);
}

TEST(TextFiles, EveryEncodingReadsIntoUtf8Lines) {
    struct Case {
        const char* name;
        std::string content;
        std::int32_t encoding;
        Lines lines;
    };
    const Case cases[] = {
        {"utf8", "Zo\xC3\xAB\r\nline 2\nend", kEncodingUtf8WithoutBom, kSampleLines},
        {"utf8 bom", "\xEF\xBB\xBFZo\xC3\xAB\r\nline 2\nend\n", kEncodingUtf8WithBom, kSampleLines},
        {"utf16le bom", "\xFF\xFE" + utf16(kSampleText, false), kEncodingUnicode, kSampleLines},
        {"utf16be bom", "\xFE\xFF" + utf16(kSampleText, true), kEncodingUnicodeBigEndian, kSampleLines},
        {"utf16le without bom", utf16(kSampleText, false), kEncodingUnicode, kSampleLines},
        {"utf16be without bom", utf16(kSampleText, true), kEncodingUnicodeBigEndian, kSampleLines},
        {"utf16le odd length", "\xFF\xFE" + utf16(u"x\r\ny", false) + "\x7A", kEncodingUnicode, {"x", "y"}},
        {"cp1252", "Zo\xEB\r\nline 2\nend \x80", kEncodingAnsi, {"Zo\xC3\xAB", "line 2", "end \xE2\x82\xAC"}},
        {"empty", "", kEncodingUtf8WithoutBom, {}},
    };
    TempDir dir;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        writeFile(dir / "aircraft.cfg", c.content);
        EXPECT_EQ(gf_detectCharset(dir / "aircraft.cfg"), c.encoding);
        Lines lines{"stale"};
        EXPECT_TRUE(gf_readTextFileUtf8(c.encoding, dir / "aircraft.cfg", lines));
        EXPECT_EQ(lines, c.lines);
    }
}

namespace {
std::vector<std::string> g_reports;
void recordReport(const std::string& text) { g_reports.push_back(text); }
}  // namespace

TEST(TextFiles, ReadFailures) {
    testing_support::LogCapture log;
    g_reports.clear();
    gf_setReadFailureReport(&recordReport);
    Lines lines{"stale"};
    EXPECT_FALSE(gf_readTextFileUtf8(kEncodingUtf8WithoutBom, "missing.cfg", lines));
    EXPECT_TRUE(lines.empty());
    EXPECT_TRUE(g_reports.empty());  // an unopenable file is not reported

    writeFile("a.cfg", "x");
    EXPECT_FALSE(gf_readTextFileUtf8(kEncodingNoneFound, "a.cfg", lines));
    const std::string expected = "Read failed for 'a.cfg': file a.cfg has unknown charset: none_found";
    EXPECT_EQ(g_reports, std::vector<std::string>{expected});

    gf_setReadFailureReport(nullptr);  // without a report the log has it
    EXPECT_FALSE(gf_readTextFileUtf8(kEncodingNoneFound, "a.cfg", lines));
    EXPECT_TRUE(log.contains(expected));
    EXPECT_EQ(g_reports.size(), 1u);
}

TEST(TextFiles, LineSplitting) {
    struct Case {
        const char* name;
        std::string text;
        Lines lines;
    };
    const Case cases[] = {
        {"CR LF and LF", "a\r\nb\n", {"a", "b"}},
        {"empty line inside", "a\n\nb", {"a", "", "b"}},
        {"a single LF", "\n", {""}},
        {"empty text", "", {}},
        {"no line end", "a", {"a"}},
        {"one CR dropped", "a\r\r\n", {"a\r"}},
        {"lone CR is no line end", "a\rb", {"a\rb"}},
        {"bom dropped", "\xEF\xBB\xBFx\ny", {"x", "y"}},
        {"only a bom", "\xEF\xBB\xBF", {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Lines lines{"kept"};
        gf_splitLines(c.text, lines);
        Lines expected{"kept"};
        expected.insert(expected.end(), c.lines.begin(), c.lines.end());
        EXPECT_EQ(lines, expected);
        std::istringstream stream(c.text);
        EXPECT_EQ(gf_splitStreamLines(stream), c.lines);
    }
}

TEST(TextFiles, Utf16StreamsWithoutContent) {
    for (const std::string& content : {std::string(), std::string("\xFF")}) {
        std::istringstream stream(content);
        Lines lines;
        gf_readFileLines(stream, lines);
        EXPECT_TRUE(lines.empty());
    }
}

TEST(TextFiles, ReadLinesGivesTheLinesOrOpenFailed) {
    TempDir dir;
    writeFile(dir / "list.txt", "EHAM\r\nEDDF\n");

    TextFile file{dir / "list.txt", {"stale"}};
    const auto read = gf_readLines(file, 100);
    ASSERT_TRUE(std::holds_alternative<std::span<const std::string>>(read));
    const auto view = std::get<std::span<const std::string>>(read);
    EXPECT_EQ(Lines(view.begin(), view.end()), (Lines{"EHAM", "EDDF"}));
    EXPECT_GE(file.lines.capacity(), 100u);

    TextFile missing{dir / "missing.txt", {}};
    EXPECT_EQ(std::get<std::string>(gf_readLines(missing, 10)), "open_failed");

    const FileLines lines = gf_readLines(dir / "list.txt", 4);
    EXPECT_TRUE(lines.ok);
    EXPECT_EQ(lines.lines, (Lines{"EHAM", "EDDF"}));
    const FileLines failed = gf_readLines(dir / "missing.txt", 4);
    EXPECT_FALSE(failed.ok);
    EXPECT_EQ(failed.error, "open_failed");
}

TEST(TextFiles, WritersEndEveryLineWithLfOnly) {
    TempDir dir;
    writeFile(dir / "out.txt", "old content that is longer\r\n");
    EXPECT_TRUE(gf_writeLines({"a", "", "b\xC3\xA9"}, dir / "out.txt"));
    EXPECT_EQ(readFile(dir / "out.txt"), "a\n\nb\xC3\xA9\n");
    EXPECT_TRUE(gf_writeListLines({"x", "y"}, dir / "list.txt"));
    EXPECT_EQ(readFile(dir / "list.txt"), "x\ny\n");
    EXPECT_TRUE(gf_writeTextFile("one\ntwo", dir / "text.txt"));
    EXPECT_EQ(readFile(dir / "text.txt"), "one\ntwo\n");
    EXPECT_TRUE(gf_writeLines({}, dir / "empty.txt"));
    EXPECT_EQ(readFile(dir / "empty.txt"), "");
    EXPECT_FALSE(gf_writeLines({"a"}, dir / "no-such-folder" / "out.txt"));
    EXPECT_FALSE(fs::exists(dir / "no-such-folder"));
}

TEST(TextFiles, PathsWithNonAsciiLetters) {
    TempDir dir;
    const fs::path folder = dir / gf_utf8Path("Jos\xC3\xA9 \xE6\x97\xA5\xE6\x9C\xAC");
    fs::create_directories(folder);
    const fs::path file = folder / gf_utf8Path("Liv\xC3\xA9ries.txt");
    ASSERT_TRUE(gf_writeLines({"Zo\xC3\xAB"}, file));
    EXPECT_EQ(gf_detectCharset(file), kEncodingUtf8WithoutBom);
    Lines lines;
    EXPECT_TRUE(gf_readTextFileUtf8(kEncodingUtf8WithoutBom, file, lines));
    EXPECT_EQ(lines, (Lines{"Zo\xC3\xAB"}));
    EXPECT_TRUE(gf_readLines(file, 1).ok);
}
