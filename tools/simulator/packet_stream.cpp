#include "tools/simulator/packet_stream.h"

#include <fmt/format.h>

#include "tools/simulator/byte_io.h"
#include "tools/simulator/protocol_ids.h"

namespace simulator {

CutPackets cutPackets(std::vector<std::uint8_t>& pending) {
    CutPackets out;
    std::size_t offset = 0;
    while (pending.size() - offset >= 4) {
        const std::uint32_t size = ByteReader(pending).u32(offset);
        if (size < kRequestHeaderSize || size > kMaxRequestSize) {
            out.broken = fmt::format("a packet announces {} bytes, outside {}..{}: the stream cannot be followed", size,
                                     kRequestHeaderSize, kMaxRequestSize);
            break;
        }
        if (pending.size() - offset < size) break;
        out.packets.emplace_back(pending.begin() + static_cast<std::ptrdiff_t>(offset),
                                 pending.begin() + static_cast<std::ptrdiff_t>(offset + size));
        offset += size;
    }
    pending.erase(pending.begin(), pending.begin() + static_cast<std::ptrdiff_t>(offset));
    return out;
}

}  // namespace simulator
