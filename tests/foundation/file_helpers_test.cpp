#include "foundation/file_helpers.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <mutex>
#include <set>
#include <thread>

#include "foundation/text_convert.h"
#include "support/log_capture.h"

using testing_support::readFile;
using testing_support::writeFile;
namespace fs = std::filesystem;

TEST(FileHelpers, RemoveFileIfExistsIsQuietForMissingFiles) {
    testing_support::LogCapture log;
    gf_removeFileIfExists("nothing-here.xml");
    writeFile("present.xml", "x");
    gf_removeFileIfExists("present.xml");
    EXPECT_FALSE(fs::exists("present.xml"));
    EXPECT_EQ(log.lines().size(), 1u);
}

TEST(FileHelpers, RemoveXmlFilesKeepsOtherEntries) {
    testing_support::TempDir dir;
    for (const char* name : {"a.xml", "B.XML", "c.Xml", "c.txt"}) writeFile(dir / name, "x");
    fs::create_directory(dir / "d.xml");
    gf_removeXMLFilesFromDirectory(dir.path());
    EXPECT_FALSE(fs::exists(dir / "a.xml"));
    EXPECT_FALSE(fs::exists(dir / "B.XML"));
    EXPECT_FALSE(fs::exists(dir / "c.Xml"));
    EXPECT_TRUE(fs::exists(dir / "c.txt"));
    EXPECT_TRUE(fs::is_directory(dir / "d.xml"));
    gf_removeFilesFromDirectory(dir.path());
    EXPECT_FALSE(fs::exists(dir / "c.txt"));
    EXPECT_TRUE(fs::is_directory(dir / "d.xml"));
    gf_removeFilesFromDirectory(dir / "no-such-folder");  // nothing happens
}

TEST(FileHelpers, ListXmlFilesGivesFourLetterCodes) {
    testing_support::TempDir dir;
    for (const char* name : {"EHAM.xml", "eddf.XML", "LONG1.xml", "KJFK.txt"}) writeFile(dir / name, "x");
    auto codes = gf_listXmlFilesIn(dir.path());
    std::sort(codes.begin(), codes.end());
    EXPECT_EQ(codes, (std::vector<AirportCode>{AirportCode("EDDF"), AirportCode("EHAM")}));
    // A stem of 4 bytes but 2 characters is no code and is skipped.
    writeFile(dir / gf_utf8Path("\xC3\x84\xC3\x96.xml"), "x");
    EXPECT_EQ(gf_listXmlFilesIn(dir.path()).size(), 2u);
    EXPECT_TRUE(gf_listXmlFilesIn(dir / "missing").empty());
    EXPECT_EQ(gf_countDirectoryEntries(dir.path()), 5u);
    EXPECT_EQ(gf_countDirectoryEntries(dir / "missing"), 0u);
}

TEST(FileHelpers, ListXmlFilesThrowsForAFourCharacterStemThatIsNoCode) {
    // Characters count, not bytes: a non-ASCII stem of 4 characters is not skipped.
    for (const char* name : {"EH-M.xml", "\xC3\x84HAM.xml", "\xE6\x97\xA5\xE6\x9C\xAC\xE8\xAA\x9EX.xml"}) {
        testing_support::TempDir dir;
        writeFile(dir / "EHAM.xml", "x");
        writeFile(dir / gf_utf8Path(name), "x");
        EXPECT_THROW(gf_listXmlFilesIn(dir.path()), std::invalid_argument) << name;
    }
}

TEST(FileHelpers, SaveXmlDocumentWritesAUtf8Declaration) {
    testing_support::TempDir dir;
    pugi::xml_document doc;
    doc.append_child("root").append_child("parameters").append_attribute("n").set_value("K\xC3\xB6ln");
    ASSERT_TRUE(gf_saveXmlDocument(doc, dir / "a.xml"));
    EXPECT_EQ(readFile(dir / "a.xml"),
              "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<root>\n  <parameters n=\"K\xC3\xB6ln\" />\n</root>\n");

    pugi::xml_document latin;
    ASSERT_TRUE(latin.load_string("<?xml version=\"1.1\" encoding=\"ISO-8859-1\"?><root/>"));
    ASSERT_TRUE(gf_saveXmlDocument(latin, dir / "b.xml"));
    EXPECT_EQ(readFile(dir / "b.xml").substr(0, 38), "<?xml version=\"1.0\" encoding=\"UTF-8\"?>");
    EXPECT_EQ(gf_countDirectoryEntries(dir.path()), 2u) << "no temporary left";
}

TEST(FileHelpers, WritersOfOneFileOnTwoThreadsNeverShareATemporary) {
    testing_support::TempDir dir;
    const fs::path target = dir / "parameters.xml";
    std::atomic<int> failures{0};
    std::mutex namesMutex;
    std::set<fs::path> names;
    const auto writer = [&](char letter) {
        const std::string content(65536, letter);
        for (int i = 0; i < 200; ++i) {
            const bool written = gf_writeFileAtomically(target, [&](const fs::path& temporary) {
                {
                    const std::lock_guard lock(namesMutex);
                    names.insert(temporary);
                }
                EXPECT_EQ(temporary.parent_path(), target.parent_path());
                writeFile(temporary, content);
                return true;
            });
            if (!written) ++failures;
        }
    };
    std::thread a(writer, 'a');
    std::thread b(writer, 'b');
    a.join();
    b.join();
    EXPECT_EQ(failures.load(), 0);
    EXPECT_EQ(names.size(), 400u) << "every write has a temporary of its own";
    const std::string last = readFile(target);
    EXPECT_TRUE(last == std::string(65536, 'a') || last == std::string(65536, 'b')) << "a whole write";
    EXPECT_EQ(gf_countDirectoryEntries(dir.path()), 1u) << "no temporary left";
}

TEST(FileHelpers, AFailedSaveKeepsTheOldFile) {
    testing_support::TempDir dir;
    writeFile(dir / "keep.xml", "old content");
    EXPECT_FALSE(gf_writeFileAtomically(dir / "keep.xml", [](const fs::path& temporary) {
        writeFile(temporary, "half");
        return false;
    }));
    EXPECT_EQ(readFile(dir / "keep.xml"), "old content");
    EXPECT_EQ(gf_countDirectoryEntries(dir.path()), 1u) << "no temporary left";
    pugi::xml_document doc;
    doc.append_child("root");
    EXPECT_FALSE(gf_saveXmlDocument(doc, dir / "no-folder" / "x.xml"));
}

TEST(FileHelpers, AttributeTextAndScanLog) {
    pugi::xml_document doc;
    doc.load_string("<a x=\"1\" e=\"\"/>");
    EXPECT_EQ(gf_attributeText(doc.child("a"), "x"), "1");
    EXPECT_EQ(gf_attributeText(doc.child("a"), "e"), "");
    EXPECT_EQ(gf_attributeText(doc.child("a"), "missing"), "");

    g_scanLogLines.clear();
    std::vector<std::thread> workers;
    for (int t = 0; t < 4; ++t)
        workers.emplace_back([] {
            for (int i = 0; i < 250; ++i) gf_addScanLogLine("line");
        });
    for (auto& w : workers) w.join();
    EXPECT_EQ(g_scanLogLines.size(), 1000u);
    g_scanLogLines.clear();
}
