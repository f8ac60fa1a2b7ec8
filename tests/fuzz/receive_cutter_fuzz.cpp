// libFuzzer target for the SimConnect receive framing (scripts/fuzz.sh builds
// and runs it). The first input
// byte picks the maximum message size and the read sizes; the rest is the
// byte stream. Delivered messages must carry their own size and fit the
// maximum, and only E_ABORT may break the stream.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>

#include "simlink/simconnect/receive_cutter.h"
#include "simlink/simconnect/simconnect.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size == 0) return 0;
    const std::uint8_t mode = data[0];
    ++data;
    --size;
    const std::uint32_t maxSize = mode & 0x80 ? 0x180000 : simconnect::kDefaultMaxMessageSize;
    const std::size_t chunk = (mode & 0x7F) + 1;
    simconnect::ReceiveCutter cutter(maxSize);
    std::size_t at = 0;
    while (at < size) {
        const auto space = cutter.freeSpace();
        if (space.empty()) std::abort();
        std::size_t n = chunk < space.size() ? chunk : space.size();
        if (n > size - at) n = size - at;
        std::memcpy(space.data(), data + at, n);
        at += n;
        const std::uint32_t code = cutter.received(n, [&](std::span<const std::byte> message) {
            std::uint32_t own = 0;
            for (int k = 3; k >= 0; --k) own = own << 8 | std::to_integer<std::uint32_t>(message[k]);
            if (message.size() < 4 || own != message.size() || own > maxSize) std::abort();
        });
        if (code == static_cast<std::uint32_t>(simconnect::kEAbort)) return 0;
        if (code != 0) std::abort();
    }
    return 0;
}
