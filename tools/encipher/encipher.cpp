#include "tools/encipher/encipher.h"

#include <sodium.h>

#include <fstream>
#include <sstream>
#include <stdexcept>
#include <vector>

namespace encipher {
namespace {
constexpr std::size_t kChunk = 4096;
}

void encipherBytes(const DataKey& key, const std::string& plain, const std::filesystem::path& output,
                   FinalChunk final) {
    if (sodium_init() < 0) throw std::runtime_error("libsodium could not be initialised");
    std::ofstream out(output, std::ios::binary | std::ios::trunc);
    if (!out) throw std::runtime_error("cannot write " + output.string());

    crypto_secretstream_xchacha20poly1305_state state;
    unsigned char header[crypto_secretstream_xchacha20poly1305_HEADERBYTES];
    crypto_secretstream_xchacha20poly1305_init_push(&state, header, key.data());
    out.write(reinterpret_cast<const char*>(header), sizeof header);

    std::vector<unsigned char> cipher(kChunk + crypto_secretstream_xchacha20poly1305_ABYTES);
    auto push = [&](std::size_t offset, std::size_t length, unsigned char tag) {
        unsigned long long cipherLength = 0;
        crypto_secretstream_xchacha20poly1305_push(
            &state, cipher.data(), &cipherLength, reinterpret_cast<const unsigned char*>(plain.data()) + offset,
            length, nullptr, 0, tag);
        out.write(reinterpret_cast<const char*>(cipher.data()), static_cast<std::streamsize>(cipherLength));
    };

    std::size_t offset = 0;
    // Full chunks before the last one always carry tag 0.
    while (plain.size() - offset > kChunk) {
        push(offset, kChunk, 0);
        offset += kChunk;
    }
    const std::size_t rest = plain.size() - offset;
    switch (final) {
        case FinalChunk::LastData:
            push(offset, rest, crypto_secretstream_xchacha20poly1305_TAG_FINAL);
            break;
        case FinalChunk::TrailingEmpty:
            // Only whole chunks may precede FINAL: the reader takes 4113 bytes at a time.
            if (rest != kChunk && rest != 0)
                throw std::invalid_argument("a trailing empty FINAL chunk needs a multiple of 4096 bytes");
            if (rest > 0) push(offset, rest, 0);
            push(plain.size(), 0, crypto_secretstream_xchacha20poly1305_TAG_FINAL);
            break;
        case FinalChunk::Missing:
            if (rest > 0) push(offset, rest, 0);
            break;
    }
    if (!out.flush()) throw std::runtime_error("cannot write " + output.string());
}

void encipherFile(const DataKey& key, const std::filesystem::path& input, const std::filesystem::path& output,
                  FinalChunk final) {
    std::ifstream in(input, std::ios::binary);
    if (!in) throw std::runtime_error("cannot read " + input.string());
    std::ostringstream bytes;
    bytes << in.rdbuf();
    encipherBytes(key, bytes.str(), output, final);
}

}  // namespace encipher
