// Seeded random damage to a valid input, for tests that feed parsers what a
// broken sender or a noisy network might deliver.
#pragma once

#include <random>
#include <string>
#include <string_view>

namespace testing_support {

// 1 to maxEdits edits at random places: a byte replaced by any byte, up to a
// few bytes erased, or one character of `inserts` put in.
inline std::string mutated(std::string text, std::mt19937& engine, int maxEdits, std::string_view inserts) {
    const int edits = 1 + static_cast<int>(engine() % static_cast<unsigned>(maxEdits));
    for (int e = 0; e < edits && !text.empty(); ++e) {
        const std::size_t at = engine() % text.size();
        switch (engine() % 3) {
        case 0: text[at] = static_cast<char>(engine() & 0xFF); break;
        case 1: text.erase(at, 1 + engine() % 5); break;
        default: text.insert(at, 1, inserts[engine() % inserts.size()]); break;
        }
    }
    return text;
}

}  // namespace testing_support
