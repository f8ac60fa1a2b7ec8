#include "foundation/zip_archive.h"

#include <gtest/gtest.h>
#include <zip.h>

#include <fstream>
#include <sstream>
#include <stdexcept>

#include "foundation/text_convert.h"
#include "support/temp_dir.h"

using testing_support::readFile;
using testing_support::TempDir;
using testing_support::writeFile;
namespace fs = std::filesystem;

namespace {
// Bytes that deflate cannot shrink, so they stand in the archive as they are.
std::string noiseOf(std::size_t size, unsigned seed) {
    std::string bytes(size, '\0');
    unsigned state = seed;
    for (char& c : bytes) {
        state = state * 1103515245u + 12345u;
        c = static_cast<char>(state >> 23);
    }
    return bytes;
}

std::string contentOf(const ZipArchive& archive, const ZipEntry& entry, std::size_t chunk = kZipReadChunk) {
    std::ostringstream out;
    const int code = archive.readContent(entry, out, chunk);
    if (code != 0) throw std::runtime_error("readContent: " + ZipArchive::errorText(code));
    return out.str();
}

std::vector<std::string> namesIn(const fs::path& path) {
    const ZipArchive archive(path, ZipMode::ReadOnly);
    std::vector<std::string> names;
    for (const ZipEntry& entry : archive.entries()) names.push_back(entry.name);
    return names;
}
}  // namespace

TEST(ZipArchive, WrittenEntriesReadBackInOrderWithTheirContent) {
    TempDir dir;
    const fs::path path = dir / "tblo.zip";
    const std::string large = noiseOf(3 * kZipReadChunk + 17, 1);
    const std::string text(200000, 'x');  // compresses well
    {
        ZipArchive archive(path, ZipMode::New);
        archive.addData("EHAM.xml", text);
        archive.addData("empty.txt", "");
        archive.addData("install_new_version.exe", large);
        archive.addData("Z\xC3\xBCrich.xml", "<root/>");
        archive.close();
        EXPECT_FALSE(archive.isOpen());
        archive.close();  // a second close does nothing
    }
    const ZipArchive archive(path, ZipMode::ReadOnly);
    const std::vector<ZipEntry> entries = archive.entries();
    ASSERT_EQ(entries.size(), 4u);
    const struct {
        const char* name;
        std::string content;
    } expected[] = {{"EHAM.xml", text}, {"empty.txt", ""}, {"install_new_version.exe", large}, {"Z\xC3\xBCrich.xml", "<root/>"}};
    for (std::size_t i = 0; i < entries.size(); ++i) {
        SCOPED_TRACE(expected[i].name);
        EXPECT_EQ(entries[i].index, i);
        EXPECT_EQ(entries[i].name, expected[i].name);
        EXPECT_EQ(entries[i].size, expected[i].content.size());
        EXPECT_EQ(contentOf(archive, entries[i]), expected[i].content);
        // Chunks that do not divide the content give the same bytes.
        EXPECT_EQ(contentOf(archive, entries[i], 4093), expected[i].content);
    }
}

TEST(ZipArchive, ANewArchiveReplacesAnOldOneAndWritesNothingUntilClosed) {
    TempDir dir;
    const fs::path path = dir / "tblo.zip";
    {
        ZipArchive first(path, ZipMode::New);
        first.addData("old.xml", "old");
        first.close();
    }
    {
        ZipArchive second(path, ZipMode::New);
        second.addData("new.xml", "new");
        // Not closed: discarded, the old archive stays as it was.
    }
    EXPECT_EQ(namesIn(path), std::vector<std::string>{"old.xml"});
    {
        ZipArchive third(path, ZipMode::New);
        third.addData("new.xml", "new");
        third.addData("new.xml", "newer");  // the same name replaces the entry
        third.close();
    }
    EXPECT_EQ(namesIn(path), std::vector<std::string>{"new.xml"});
    const ZipArchive archive(path, ZipMode::ReadOnly);
    EXPECT_EQ(contentOf(archive, archive.entries().at(0)), "newer");

    const fs::path empty = dir / "empty.zip";
    ZipArchive nothing(empty, ZipMode::New);
    nothing.close();
    EXPECT_FALSE(fs::exists(empty)) << "an archive without entries is no file";
}

TEST(ZipArchive, OnlyBareNamesAreAdded) {
    const struct {
        const char* name;
        bool bare;
    } cases[] = {
        {"EHAM.xml", true},       {"..xml", true},         {"", false},
        {".", false},             {"..", false},           {"tblo/EHAM.xml", false},
        {"../EHAM.xml", false},   {"..\\EHAM.xml", false}, {"/etc/passwd", false},
        {"C:EHAM.xml", false},    {"C:\\x\\EHAM.xml", false},
    };
    TempDir dir;
    ZipArchive archive(dir / "names.zip", ZipMode::New);
    for (const auto& c : cases) {
        EXPECT_EQ(gf_isBareEntryName(c.name), c.bare) << c.name;
        if (c.bare)
            EXPECT_NO_THROW(archive.addData(c.name, "x")) << c.name;
        else
            EXPECT_THROW(archive.addData(c.name, "x"), std::invalid_argument) << c.name;
    }
    archive.close();
    EXPECT_EQ(namesIn(dir / "names.zip"), (std::vector<std::string>{"EHAM.xml", "..xml"}));
}

TEST(ZipArchive, OpeningFailuresCarryLibzipsText) {
    TempDir dir;
    writeFile(dir / "page.zip", "<html>Please log in to the hotel's network</html>");
    const struct {
        fs::path path;
        int code;
    } cases[] = {{dir / "missing.zip", ZIP_ER_NOENT}, {dir / "page.zip", ZIP_ER_NOZIP}};
    for (const auto& c : cases) {
        try {
            ZipArchive archive(c.path, ZipMode::ReadOnly);
            ADD_FAILURE() << "opened " << c.path;
        } catch (const std::runtime_error& e) {
            const std::string text = e.what();
            EXPECT_NE(text.find(gf_pathToUtf8(c.path)), std::string::npos) << text;
            EXPECT_NE(text.find(ZipArchive::errorText(c.code)), std::string::npos) << text;
        }
    }
    EXPECT_FALSE(fs::exists(dir / "missing.zip")) << "reading creates nothing";
}

TEST(ZipArchive, DamagedContentAndAFailingStreamGiveErrorCodes) {
    TempDir dir;
    const fs::path path = dir / "latest_version.zip";
    const std::string installer = noiseOf(100000, 7);
    {
        ZipArchive archive(path, ZipMode::New);
        archive.addData("install_new_version.exe", installer);
        archive.close();
    }
    {
        const ZipArchive archive(path, ZipMode::ReadOnly);
        std::ofstream closed;  // never opened: every write fails
        EXPECT_EQ(archive.readContent(archive.entries().at(0), closed), ZIP_ER_WRITE);
    }
    // One byte of the stored content changed in transit.
    std::string bytes = readFile(path);
    const std::size_t at = bytes.find(installer.substr(50000, 32));
    ASSERT_NE(at, std::string::npos);
    bytes[at] = static_cast<char>(bytes[at] ^ 0x5A);
    writeFile(path, bytes);
    const ZipArchive archive(path, ZipMode::ReadOnly);
    std::ostringstream out;
    EXPECT_EQ(archive.readContent(archive.entries().at(0), out), ZIP_ER_CRC);
    EXPECT_FALSE(ZipArchive::errorText(ZIP_ER_CRC).empty());
}

TEST(ZipArchive, AFolderNamedOutsideTheCodePageWorks) {
    TempDir dir;
    const fs::path folder = dir / gf_utf8Path("Jos\xC3\xA9 \xE6\x97\xA5\xE6\x9C\xAC");
    fs::create_directory(folder);
    {
        ZipArchive archive(folder / "tblo.zip", ZipMode::New);
        archive.addData("EHAM.xml", "<root/>");
        archive.close();
    }
    EXPECT_EQ(namesIn(folder / "tblo.zip"), std::vector<std::string>{"EHAM.xml"});
}
