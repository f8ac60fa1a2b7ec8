// The same cases natively and under Wine, where the real profile functions
// answer.
#include "platform/profile_files.h"

#include <gtest/gtest.h>

#include "support/temp_dir.h"

using testing_support::TempDir;
using testing_support::writeFile;

namespace {

TEST(ProfileFiles, ValuesAsTheProfileFunctionsReadThem) {
    TempDir folder;
    const auto file = folder / "SimConnect.cfg";
    writeFile(file,
              "Stray=before any section\r\n"
              "[Other]\r\n"
              "Port=1\r\n"
              "[SimConnect]\r\n"
              "  Protocol  =  IPv4  \r\n"
              "ADDRESS=127.0.0.1\r\n"
              "Port=\"5000\"\r\n"
              "Quoted='single'\r\n"
              "Half=\"open\r\n"
              "Empty=\r\n"
              "NoEquals\r\n"
              "Port=6000\r\n"
              "[simconnect.1]\n"
              "Protocol=Pipe\n");
    const auto value = [&](const std::u16string& section, const std::u16string& key, std::size_t capacity = 2048) {
        return platform::profileString(file, section, key, capacity);
    };
    EXPECT_EQ(value(u"SimConnect", u"Protocol"), u"IPv4");
    EXPECT_EQ(value(u"simconnect", u"address"), u"127.0.0.1");
    EXPECT_EQ(value(u"SimConnect", u"Port"), u"5000");  // the first entry, without its quotes
    EXPECT_EQ(value(u"SimConnect", u"Quoted"), u"single");
    EXPECT_EQ(value(u"SimConnect", u"Half"), u"\"open");
    EXPECT_EQ(value(u"SimConnect", u"Empty"), u"");
    EXPECT_EQ(value(u"SimConnect", u"Missing"), u"");
    EXPECT_EQ(value(u"Other", u"Port"), u"1");
    EXPECT_EQ(value(u"SimConnect.1", u"Protocol"), u"Pipe");
    EXPECT_EQ(value(u"SimConnect", u"Address", 4), u"127");
    EXPECT_EQ(value(u"SimConnect", u"Protocol", 0), u"");
    EXPECT_EQ(platform::profileString(folder / "missing.cfg", u"SimConnect", u"Protocol", 2048), u"");
}

TEST(ProfileFiles, SectionsWithEntries) {
    TempDir folder;
    const auto file = folder / "SimConnect.cfg";
    writeFile(file, "[SimConnect]\nProtocol=IPv4\n[SimConnect.1]\n\n[SimConnect.2]\n;only a comment\n[SimConnect.3]\nx\n");
    EXPECT_TRUE(platform::profileHasSection(file, u"simconnect"));
    EXPECT_FALSE(platform::profileHasSection(file, u"SimConnect.1"));
    EXPECT_FALSE(platform::profileHasSection(file, u"SimConnect.2"));
    EXPECT_TRUE(platform::profileHasSection(file, u"SimConnect.3"));
    EXPECT_FALSE(platform::profileHasSection(file, u"SimConnect.4"));
    EXPECT_FALSE(platform::profileHasSection(folder / "missing.cfg", u"SimConnect"));
}

TEST(ProfileFiles, Utf16AndAnsiFiles) {
    TempDir folder;
    std::string utf16("\xFF\xFE", 2);
    for (const char c : std::string("[SimConnect]\r\nAddress=flightpc\r\n")) {
        utf16.push_back(c);
        utf16.push_back('\0');
    }
    writeFile(folder / "wide.cfg", utf16);
    EXPECT_EQ(platform::profileString(folder / "wide.cfg", u"SimConnect", u"Address", 2048), u"flightpc");
    writeFile(folder / "ansi.cfg", "[SimConnect]\nAddress=K\xF6ln\n");
    EXPECT_EQ(platform::profileString(folder / "ansi.cfg", u"SimConnect", u"Address", 2048), u"K\u00F6ln");
}

}  // namespace
