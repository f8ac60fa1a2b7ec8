// encipher <plain file> <enciphered file> [--key <64 hex digits>]
// Enciphers a data file with the program's built-in key (the demo key unless
// the build was given another), or with the key given.
#include <cstdio>
#include <exception>
#include <string>

#include "tools/encipher/encipher.h"

namespace {
bool parseKey(const std::string& hex, DataKey& key) {
    if (hex.size() != 64) return false;
    for (std::size_t i = 0; i < key.size(); ++i) {
        unsigned value = 0;
        if (std::sscanf(hex.c_str() + 2 * i, "%2x", &value) != 1) return false;
        key[i] = static_cast<std::uint8_t>(value);
    }
    return true;
}
}  // namespace

int main(int argc, char** argv) {
    if (argc != 3 && !(argc == 5 && std::string(argv[3]) == "--key")) {
        std::fprintf(stderr, "usage: encipher <plain file> <enciphered file> [--key <64 hex digits>]\n");
        return 2;
    }
    DataKey key = gf_dataKey();
    if (argc == 5 && !parseKey(argv[4], key)) {
        std::fprintf(stderr, "encipher: the key must be 64 hexadecimal digits\n");
        return 2;
    }
    try {
        encipher::encipherFile(key, argv[1], argv[2]);
    } catch (const std::exception& e) {
        std::fprintf(stderr, "encipher: %s\n", e.what());
        return 1;
    }
    return 0;
}
