// Enciphers a file in the layout the program deciphers: a 24-byte secret-
// stream header, then chunks of exactly 4096 plain bytes (4113 on disk), the
// last one (1 to 4096 bytes, or empty for an empty file) tagged FINAL.
#pragma once

#include <filesystem>
#include <string>

#include "foundation/data_key.h"

namespace encipher {

enum class FinalChunk {
    LastData,       // FINAL on the last data chunk (the program's own files)
    TrailingEmpty,  // every data chunk tagged 0, then an empty FINAL chunk (multiples of 4096 only)
    Missing,        // no FINAL at all: a damaged file, for tests
};

// Throws std::runtime_error on any failure.
void encipherBytes(const DataKey& key, const std::string& plain, const std::filesystem::path& output,
                   FinalChunk final = FinalChunk::LastData);
void encipherFile(const DataKey& key, const std::filesystem::path& input, const std::filesystem::path& output,
                  FinalChunk final = FinalChunk::LastData);

}  // namespace encipher
