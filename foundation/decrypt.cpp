#include "foundation/decrypt.h"

#include <fmt/format.h>
#include <sodium.h>

#include <cstdio>
#include <stdexcept>
#include <vector>

#include "foundation/file_helpers.h"
#include "foundation/log.h"
#include "foundation/text_convert.h"

namespace {
constexpr std::size_t kCipherChunkSize = kPlainChunkSize + crypto_secretstream_xchacha20poly1305_ABYTES;
}  // namespace

void lf_decryptFile(const DataKey& key, const std::string& inputPathUtf8, const std::string& outputPathUtf8) {
    static_assert(crypto_secretstream_xchacha20poly1305_KEYBYTES == std::tuple_size_v<DataKey>);
    if (sodium_init() < 0) throw std::runtime_error("libsodium could not be initialised");
    const StdioFile input = gf_openStdioFile(gf_utf8Path(inputPathUtf8), "rb");
    if (!input) throw std::runtime_error("Could not open input file: " + inputPathUtf8);
    const StdioFile output = gf_openStdioFile(gf_utf8Path(outputPathUtf8), "wb");
    if (!output) throw std::runtime_error("Could not open output file: " + outputPathUtf8);

    unsigned char header[crypto_secretstream_xchacha20poly1305_HEADERBYTES];
    crypto_secretstream_xchacha20poly1305_state state;
    // A file shorter than the header (an empty or cut download) has no valid header.
    if (std::fread(header, 1, sizeof header, input.get()) != sizeof header ||
        crypto_secretstream_xchacha20poly1305_init_pull(&state, header, key.data()) != 0)
        throw std::runtime_error("Invalid header or key");

    std::vector<unsigned char> cipher(kCipherChunkSize);
    std::vector<unsigned char> plain(kPlainChunkSize);
    bool final = false;
    std::size_t n = std::fread(cipher.data(), 1, cipher.size(), input.get());
    while (n > 0) {
        unsigned long long plainLength = 0;
        unsigned char tag = 0;
        if (crypto_secretstream_xchacha20poly1305_pull(&state, plain.data(), &plainLength, &tag, cipher.data(), n,
                                                       nullptr, 0) != 0)
            throw std::runtime_error("Decryption failed");
        if (plainLength > 0 && std::fwrite(plain.data(), 1, plainLength, output.get()) != plainLength)
            throw std::runtime_error("Could not write output file: " + outputPathUtf8);
        if (tag == crypto_secretstream_xchacha20poly1305_TAG_FINAL) {
            final = true;
            break;
        }
        n = std::fread(cipher.data(), 1, cipher.size(), input.get());
    }
    // A stream cut before its FINAL chunk is a damaged file, not a shorter one.
    if (!final) throw std::runtime_error("Decryption failed: the file ends before its final chunk");
    if (std::fflush(output.get()) != 0) throw std::runtime_error("Could not write output file: " + outputPathUtf8);
}

bool gf_streamDecrypt(const std::filesystem::path& encipheredPath, const std::filesystem::path& plainPath) {
    try {
        const DataKey key = gf_dataKey();
        lf_decryptFile(key, gf_pathToUtf8(encipheredPath), gf_pathToUtf8(plainPath));
        return true;
    } catch (const std::exception& e) {
        gf_log(fmt::format("{} exception: {}", "gf_streamDecrypt", e.what()));
        gf_removeFileIfExists(plainPath);
        return false;
    }
}
