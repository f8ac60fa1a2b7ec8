#include "foundation/decrypt.h"

#include <gtest/gtest.h>

#include <random>

#include "support/log_capture.h"
#include "tools/encipher/encipher.h"

using encipher::FinalChunk;
using testing_support::readFile;
using testing_support::writeFile;
namespace fs = std::filesystem;

namespace {
std::string randomBytes(std::size_t n, unsigned seed) {
    std::mt19937 engine(seed);
    std::string bytes(n, '\0');
    for (char& c : bytes) c = static_cast<char>(engine() & 0xFF);
    return bytes;
}

struct DecryptTest : ::testing::Test {
    testing_support::LogCapture log;
    fs::path enc = log.dir() / "dbase.enc";
    fs::path plain = log.dir() / "dbase.xml";
};
}  // namespace

TEST_F(DecryptTest, RoundTripsEveryChunkLayout) {
    struct Case {
        std::size_t size;
        FinalChunk final;
    } cases[] = {{0, FinalChunk::LastData},          {1, FinalChunk::LastData},
                 {4095, FinalChunk::LastData},       {4096, FinalChunk::LastData},
                 {3 * 4096, FinalChunk::LastData},   {3 * 4096, FinalChunk::TrailingEmpty},
                 {0, FinalChunk::TrailingEmpty},     {1 << 20, FinalChunk::LastData}};
    for (const auto& c : cases) {
        const std::string bytes = randomBytes(c.size, static_cast<unsigned>(c.size));
        encipher::encipherBytes(gf_dataKey(), bytes, enc, c.final);
        ASSERT_TRUE(gf_streamDecrypt(enc, plain)) << c.size;
        EXPECT_EQ(readFile(plain), bytes) << c.size;
    }
    // Every chunk but the last is exactly 4096 + 17 bytes on disk.
    encipher::encipherBytes(gf_dataKey(), randomBytes(2 * 4096 + 10, 3), enc);
    EXPECT_EQ(fs::file_size(enc), 24u + 2 * 4113u + 10u + 17u);
}

TEST_F(DecryptTest, AnOldPlainFileIsTruncatedFirst) {
    writeFile(plain, std::string(100000, 'x'));
    encipher::encipherBytes(gf_dataKey(), "<root/>", enc);
    ASSERT_TRUE(gf_streamDecrypt(enc, plain));
    EXPECT_EQ(readFile(plain), "<root/>");
}

TEST_F(DecryptTest, DamagedFilesFailAndLeaveNoPlainFile) {
    const std::string bytes = randomBytes(3 * 4096 + 500, 11);
    const auto flipByteAt = [&](std::size_t offset) {
        return [&, offset] {
            encipher::encipherBytes(gf_dataKey(), bytes, enc);
            std::string e = readFile(enc);
            e[offset] ^= 0x01;
            writeFile(enc, e);
        };
    };
    struct Case {
        const char* name;
        std::function<void()> damage;
        const char* logged;
    } cases[] = {
        {"flipped byte in the first chunk", flipByteAt(24), "gf_streamDecrypt exception: Decryption failed"},
        {"flipped byte in the second chunk", flipByteAt(24 + 4113 + 100),
         "gf_streamDecrypt exception: Decryption failed"},
        {"flipped byte in the FINAL chunk", flipByteAt(24 + 3 * 4113 + 17 + 499),
         "gf_streamDecrypt exception: Decryption failed"},
        {"no FINAL chunk",
         [&] { encipher::encipherBytes(gf_dataKey(), bytes, enc, FinalChunk::Missing); },
         "gf_streamDecrypt exception: Decryption failed: the file ends before its final chunk"},
        {"cut after two chunks",
         [&] {
             encipher::encipherBytes(gf_dataKey(), bytes, enc);
             writeFile(enc, readFile(enc).substr(0, 24 + 2 * 4113));
         },
         "gf_streamDecrypt exception: Decryption failed: the file ends before its final chunk"},
        {"empty file", [&] { writeFile(enc, ""); }, "gf_streamDecrypt exception: Invalid header or key"},
        {"shorter than the header", [&] { writeFile(enc, std::string(23, 'h')); },
         "gf_streamDecrypt exception: Invalid header or key"},
        {"wrong key",
         [&] {
             DataKey other = gf_dataKey();
             other[0] ^= 0xFF;
             encipher::encipherBytes(other, bytes, enc);
         },
         "gf_streamDecrypt exception: Decryption failed"},
        {"data after a short FINAL chunk (read with it)",
         [&] {
             encipher::encipherBytes(gf_dataKey(), bytes, enc);
             writeFile(enc, readFile(enc) + "junk");
         },
         "gf_streamDecrypt exception: Decryption failed"},
        {"missing input", [&] { fs::remove(enc); }, "gf_streamDecrypt exception: Could not open input file: "},
    };
    for (const auto& c : cases) {
        c.damage();
        writeFile(plain, "left over from an earlier run");
        EXPECT_FALSE(gf_streamDecrypt(enc, plain)) << c.name;
        EXPECT_FALSE(fs::exists(plain)) << c.name;
        EXPECT_TRUE(log.contains(c.logged)) << c.name;
    }
}

TEST_F(DecryptTest, BytesAfterAFullFinalChunkAreNotRead) {
    // The stream ends with its FINAL chunk; whatever follows it is never read.
    const std::string bytes = randomBytes(2 * 4096, 5);
    encipher::encipherBytes(gf_dataKey(), bytes, enc);
    writeFile(enc, readFile(enc) + "junk");
    ASSERT_TRUE(gf_streamDecrypt(enc, plain));
    EXPECT_EQ(readFile(plain), bytes);
}

TEST_F(DecryptTest, AnOutputThatCannotBeCreatedFails) {
    encipher::encipherBytes(gf_dataKey(), "abc", enc);
    EXPECT_FALSE(gf_streamDecrypt(enc, log.dir() / "missing-folder" / "dbase.xml"));
    EXPECT_TRUE(log.contains("gf_streamDecrypt exception: Could not open output file: "));
}
