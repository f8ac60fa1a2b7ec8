// Deciphering the program's data files (libsodium secret stream: a 24-byte
// header, then chunks of 4096 plain bytes plus 17, the last tagged FINAL).
#pragma once

#include <filesystem>
#include <string>

#include "foundation/data_key.h"

inline constexpr std::size_t kPlainChunkSize = 4096;

// Deciphers the file into the plain file next to it with the built-in key;
// false after a failure (logged, partial output removed).
bool gf_streamDecrypt(const std::filesystem::path& encipheredPath, const std::filesystem::path& plainPath);
// The decryption loop; throws std::runtime_error on any failure.
void lf_decryptFile(const DataKey& key, const std::string& inputPathUtf8, const std::string& outputPathUtf8);
