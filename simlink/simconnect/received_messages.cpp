#include "simlink/simconnect/received_messages.h"

#include "foundation/binary_reader.h"
#include "foundation/text_convert.h"

namespace simconnect {
namespace {

constexpr std::size_t kHeaderSize = 12;
constexpr std::size_t kExceptionSize = 24;
constexpr std::size_t kOpenNameField = 256;
constexpr std::size_t kOpenSize = 284;  // through the build minor number
constexpr std::size_t kEventSize = 24;
constexpr std::size_t kObjectAddRemoveSize = 28;
constexpr std::size_t kSimObjectDataSize = 40;  // the data block starts here
constexpr std::size_t kString32Field = 32;

// The reader of a message that is at least `size` bytes long.
std::optional<BinaryReader> fieldsOf(std::span<const std::byte> message, std::size_t size) {
    const BinaryReader reader(message);
    if (!reader.holds(size)) return std::nullopt;
    return reader;
}

std::optional<std::string> textAt(std::span<const std::byte> bytes, std::size_t offset, std::size_t fieldSize) {
    const auto raw = BinaryReader(bytes).text(offset, fieldSize);
    if (!raw) return std::nullopt;
    return gf_ansiToUtf8(*raw);
}

}  // namespace

std::optional<RecvHeader> readRecvHeader(std::span<const std::byte> message) {
    const auto m = fieldsOf(message, kHeaderSize);
    if (!m) return std::nullopt;
    return RecvHeader{*m->u32(0), *m->u32(4), *m->u32(8)};
}

std::optional<RecvException> readException(std::span<const std::byte> message) {
    const auto m = fieldsOf(message, kExceptionSize);
    if (!m) return std::nullopt;
    return RecvException{*m->u32(12), *m->u32(16), *m->u32(20)};
}

std::optional<RecvOpen> readOpen(std::span<const std::byte> message) {
    const auto m = fieldsOf(message, kOpenSize);
    if (!m) return std::nullopt;
    return RecvOpen{*textAt(message, 12, kOpenNameField), *m->u32(268), *m->u32(272), *m->u32(276), *m->u32(280)};
}

std::optional<RecvEvent> readEvent(std::span<const std::byte> message) {
    const auto m = fieldsOf(message, kEventSize);
    if (!m) return std::nullopt;
    return RecvEvent{*m->u32(12), *m->u32(16), *m->u32(20)};
}

std::optional<RecvObjectAddRemove> readObjectAddRemove(std::span<const std::byte> message) {
    const auto m = fieldsOf(message, kObjectAddRemoveSize);
    if (!m) return std::nullopt;
    return RecvObjectAddRemove{*readEvent(message), *m->u32(24)};
}

std::optional<RecvSimObjectData> readSimObjectData(std::span<const std::byte> message) {
    const auto m = fieldsOf(message, kSimObjectDataSize);
    if (!m) return std::nullopt;
    return RecvSimObjectData{*m->u32(12), *m->u32(16), *m->u32(20), *m->u32(24),
                             *m->u32(28), *m->u32(32), *m->u32(36), m->tail(kSimObjectDataSize)};
}

std::optional<double> blockFloat64(std::span<const std::byte> block, std::size_t offset) {
    return BinaryReader(block).f64(offset);
}

std::optional<std::int64_t> blockInt64(std::span<const std::byte> block, std::size_t offset) {
    return BinaryReader(block).i64(offset);
}

std::optional<std::string> blockString32(std::span<const std::byte> block, std::size_t offset) {
    // The whole field must be there: a cut-off STRING32 means a short message.
    if (offset > block.size() || block.size() - offset < kString32Field) return std::nullopt;
    return textAt(block, offset, kString32Field);
}

std::optional<std::string> blockStringV(std::span<const std::byte> block, std::size_t offset) {
    return textAt(block, offset, block.size());
}

}  // namespace simconnect
