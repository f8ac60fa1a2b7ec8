#include "foundation/info_block.h"

#include <gtest/gtest.h>

#include "foundation/time_texts.h"
#include "support/log_capture.h"

namespace {
// A document whose meta holds the given name/value entries; a null value
// leaves the attribute out.
pugi::xml_document metaDocument(std::initializer_list<std::pair<const char*, const char*>> entries,
                                bool withRoot = true) {
    pugi::xml_document doc;
    pugi::xml_node top = withRoot ? doc.append_child("root") : static_cast<pugi::xml_node>(doc);
    pugi::xml_node meta = top.append_child("meta");
    for (const auto& [name, value] : entries) {
        pugi::xml_node info = meta.append_child("info");
        info.append_attribute("name").set_value(name);
        if (value != nullptr) info.append_attribute("value").set_value(value);
    }
    return doc;
}

std::string saved(const pugi::xml_document& doc) {
    std::ostringstream out;
    doc.save(out, "  ", pugi::format_indent | pugi::format_no_declaration);
    return out.str();
}
}  // namespace

TEST(InfoBlock, WrittenBlockReadsBack) {
    pugi::xml_document doc;
    InfoRecord written;
    written.version = "11.0.2";
    written.sim = 6;
    ASSERT_TRUE(gf_writeInfoBlock(doc, written));

    EXPECT_EQ(saved(doc), "<root>\n  <meta>\n"
                          "    <info name=\"author\" value=\"Velantra_P3D\" />\n"
                          "    <info name=\"version\" value=\"11.0.2\" />\n"
                          "    <info name=\"date\" value=\"" + gf_dateText() + "\" />\n"
                          "    <info name=\"copyright\" value=\"" + std::string(kCopyrightLine) + "\" />\n"
                          "    <info name=\"sim\" value=\"6\" />\n"
                          "  </meta>\n</root>\n");
    const auto read = gf_readInfoBlock(doc);
    ASSERT_TRUE(read.has_value());
    EXPECT_EQ(read->author, "Velantra_P3D");
    EXPECT_EQ(read->version, "11.0.2");
    EXPECT_EQ(read->date, gf_dateText());
    EXPECT_EQ(read->sim, 6);
    EXPECT_EQ(read->p3d, "");
}

TEST(InfoBlock, WriterKeepsAnExistingRoot) {
    pugi::xml_document doc;
    doc.append_child("root").append_child("stands");
    ASSERT_TRUE(gf_writeInfoBlock(doc, InfoRecord{}));
    EXPECT_TRUE(doc.child("root").child("stands"));
    EXPECT_EQ(gf_readInfoBlock(doc)->sim, -1);  // the record's sim as written
}

TEST(InfoBlock, ReaderRules) {
    struct Case {
        const char* name;
        pugi::xml_document doc;
        bool acceptWithoutSim;
        bool recordExpected;
    };
    const char* c = "Copyright line";
    Case cases[] = {
        {"no meta", pugi::xml_document(), true, false},
        {"no copyright", metaDocument({{"author", "X"}, {"sim", "5"}}), true, false},
        {"copyright without sim, accepted", metaDocument({{"copyright", c}, {"author", "X"}}), true, true},
        {"copyright without sim, refused", metaDocument({{"copyright", c}, {"author", "X"}}), false, false},
        {"P3D counts as simulator", metaDocument({{"P3D", "5.4"}, {"copyright", c}}), false, true},
        {"MSFS counts as simulator", metaDocument({{"MSFS", "2020"}, {"copyright", c}}), false, true},
        {"meta without root", metaDocument({{"copyright", c}, {"sim", "5"}}, false), false, true},
    };
    for (Case& tc : cases) {
        SCOPED_TRACE(tc.name);
        EXPECT_EQ(gf_readInfoBlock(tc.doc, tc.acceptWithoutSim).has_value(), tc.recordExpected);
    }
}

TEST(InfoBlock, FirstEntryOfEachNameCounts) {
    const auto doc = metaDocument({{"version", "1.0.0"},
                                   {"copyright", "c"},
                                   {"version", "2.0.0"},
                                   {"sim", nullptr},
                                   {"sim", "6"},
                                   {"copyright", ""},
                                   {"other", "ignored"}});
    const auto record = gf_readInfoBlock(doc);
    ASSERT_TRUE(record.has_value());
    EXPECT_EQ(record->version, "1.0.0");
    EXPECT_EQ(record->sim, 0);  // an entry without value
    EXPECT_EQ(record->author, "");
}

TEST(InfoBlock, EmptyCopyrightIsLoggedAndGivesNoRecord) {
    testing_support::LogCapture log;
    EXPECT_FALSE(gf_readInfoBlock(metaDocument({{"sim", "5"}, {"copyright", ""}})).has_value());
    EXPECT_FALSE(gf_readInfoBlock(metaDocument({{"sim", "5"}, {"copyright", nullptr}})).has_value());
    EXPECT_FALSE(gf_readInfoBlock(metaDocument({{"sim", "5"}})).has_value());
    const auto lines = log.lines();
    EXPECT_EQ(std::count(lines.begin(), lines.end(), "==> no copyright info in the file?"), 2);
}
