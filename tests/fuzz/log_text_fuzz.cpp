// libFuzzer target for the text that outside input puts in a log line
// (scripts/fuzz.sh builds and runs it). Whatever the bytes, the result holds
// no control character and only valid UTF-8, and it is short.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "foundation/log_text.h"
#include "foundation/text_convert.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    const std::string logged = gf_textForLog(text);
    // At most 200 characters, each escaped to 4 bytes per byte of a 4-byte
    // sequence at worst, and the length note.
    if (logged.size() > 200 * 16 + 32) std::abort();
    for (std::size_t i = 0; i < logged.size();) {
        const Utf8Sequence sequence = gf_utf8SequenceAt(logged, i);
        if (sequence.length == 0) std::abort();
        const auto lead = static_cast<unsigned char>(logged[i]);
        if (sequence.length == 1 && (lead < 0x20 || lead == 0x7F)) std::abort();
        if (sequence.length == 2 && lead == 0xC2 && static_cast<unsigned char>(logged[i + 1]) < 0xA0) std::abort();
        i += sequence.length;
    }
    return 0;
}
