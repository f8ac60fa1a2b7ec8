// Request packets written byte by byte from the published request layouts
// (header: size, version 35, 0xF0000000 | code, serial), independent of the
// stand-in's own reading and writing code, plus a reader of the messages the
// stand-in sends back.
#pragma once

#include <algorithm>
#include <bit>
#include <cstdint>
#include <cstring>
#include <string>
#include <string_view>
#include <vector>

namespace golden {

using Bytes = std::vector<std::uint8_t>;

inline void put32(Bytes& b, std::size_t offset, std::uint32_t v) {
    for (int i = 0; i < 4; ++i) b.at(offset + static_cast<std::size_t>(i)) = static_cast<std::uint8_t>(v >> (8 * i));
}
inline void put64(Bytes& b, std::size_t offset, std::uint64_t v) {
    put32(b, offset, static_cast<std::uint32_t>(v));
    put32(b, offset + 4, static_cast<std::uint32_t>(v >> 32));
}
inline void putF32(Bytes& b, std::size_t offset, float v) {
    put32(b, offset, std::bit_cast<std::uint32_t>(v));
}
inline void putF64(Bytes& b, std::size_t offset, double v) {
    put64(b, offset, std::bit_cast<std::uint64_t>(v));
}
inline void putText(Bytes& b, std::size_t offset, std::string_view text) {
    std::copy(text.begin(), text.end(), b.begin() + static_cast<std::ptrdiff_t>(offset));
}

inline Bytes packet(std::uint32_t size, std::uint32_t code, std::uint32_t serial, std::uint32_t version = 35) {
    Bytes b(size, 0);
    put32(b, 0, size);
    put32(b, 4, version);
    put32(b, 8, 0xF0000000u | code);
    put32(b, 12, serial);
    return b;
}

inline Bytes open(std::uint32_t serial, std::string_view name, std::uint32_t version = 35) {
    Bytes b = packet(296, 0x01, serial, version);
    putText(b, 16, name);
    put32(b, 276, 0x50334400);
    put32(b, 280, 5);
    put32(b, 284, 3);
    return b;
}
inline Bytes mapEvent(std::uint32_t serial, std::uint32_t id, std::string_view name) {
    Bytes b = packet(276, 0x04, serial);
    put32(b, 16, id);
    putText(b, 20, name);
    return b;
}
inline Bytes transmitEvent(std::uint32_t serial, std::uint32_t object, std::uint32_t event, std::uint32_t data,
                           std::uint32_t group = 301, std::uint32_t flags = 0) {
    Bytes b = packet(36, 0x05, serial);
    put32(b, 16, object);
    put32(b, 20, event);
    put32(b, 24, data);
    put32(b, 28, group);
    put32(b, 32, flags);
    return b;
}
inline Bytes addToGroup(std::uint32_t serial, std::uint32_t group, std::uint32_t event, std::uint32_t maskable = 1) {
    Bytes b = packet(28, 0x07, serial);
    put32(b, 16, group);
    put32(b, 20, event);
    put32(b, 24, maskable);
    return b;
}
inline Bytes groupPriority(std::uint32_t serial, std::uint32_t group, std::uint32_t priority) {
    Bytes b = packet(24, 0x09, serial);
    put32(b, 16, group);
    put32(b, 20, priority);
    return b;
}
inline Bytes addToDefinition(std::uint32_t serial, std::uint32_t definition, std::string_view datum,
                             std::string_view units, std::uint32_t type, float epsilon = 0,
                             std::uint32_t datumId = 0xFFFFFFFFu) {
    Bytes b = packet(544, 0x0C, serial);
    put32(b, 16, definition);
    putText(b, 20, datum);
    putText(b, 276, units);
    put32(b, 532, type);
    putF32(b, 536, epsilon);
    put32(b, 540, datumId);
    return b;
}
inline Bytes requestData(std::uint32_t serial, std::uint32_t request, std::uint32_t definition, std::uint32_t object,
                         std::uint32_t period, std::uint32_t flags = 0, std::uint32_t origin = 0,
                         std::uint32_t interval = 0, std::uint32_t limit = 0) {
    Bytes b = packet(48, 0x0E, serial);
    const std::uint32_t fields[] = {request, definition, object, period, flags, origin, interval, limit};
    for (std::size_t i = 0; i < 8; ++i) put32(b, 16 + 4 * i, fields[i]);
    return b;
}
inline Bytes requestDataByType(std::uint32_t serial, std::uint32_t request, std::uint32_t definition,
                               std::uint32_t radius, std::uint32_t type) {
    Bytes b = packet(32, 0x0F, serial);
    put32(b, 16, request);
    put32(b, 20, definition);
    put32(b, 24, radius);
    put32(b, 28, type);
    return b;
}
inline Bytes setData(std::uint32_t serial, std::uint32_t definition, std::uint32_t object, const Bytes& data,
                     std::uint32_t unitSize, std::uint32_t count = 0, std::uint32_t flags = 0) {
    Bytes b = packet(static_cast<std::uint32_t>(36 + data.size()), 0x10, serial);
    put32(b, 16, definition);
    put32(b, 20, object);
    put32(b, 24, flags);
    put32(b, 28, count == 0 ? 1 : count);
    put32(b, 32, unitSize);
    std::copy(data.begin(), data.end(), b.begin() + 36);
    return b;
}
inline Bytes subscribe(std::uint32_t serial, std::uint32_t id, std::string_view name) {
    Bytes b = packet(276, 0x17, serial);
    put32(b, 16, id);
    putText(b, 20, name);
    return b;
}
struct InitPos {
    double lat = 47.46, lon = 8.55, alt = 1500, pitch = 0, bank = 0, heading = 90;
    std::uint32_t onGround = 0, airspeed = 0;
};
inline Bytes createAi(std::uint32_t serial, std::string_view title, std::string_view tail, const InitPos& p,
                      std::uint32_t request = 104) {
    Bytes b = packet(344, 0x29, serial);
    putText(b, 16, title);
    putText(b, 272, tail);
    putF64(b, 284, p.lat);
    putF64(b, 292, p.lon);
    putF64(b, 300, p.alt);
    putF64(b, 308, p.pitch);
    putF64(b, 316, p.bank);
    putF64(b, 324, p.heading);
    put32(b, 332, p.onGround);
    put32(b, 336, p.airspeed);
    put32(b, 340, request);
    return b;
}
inline Bytes objectRequest(std::uint32_t code, std::uint32_t serial, std::uint32_t object, std::uint32_t request) {
    Bytes b = packet(24, code, serial);
    put32(b, 16, object);
    put32(b, 20, request);
    return b;
}
inline Bytes release(std::uint32_t serial, std::uint32_t object) {
    return objectRequest(0x2B, serial, object, 103);
}
inline Bytes remove(std::uint32_t serial, std::uint32_t object) {
    return objectRequest(0x2C, serial, object, 105);
}
inline Bytes flightPlan(std::uint32_t serial, std::uint32_t object, std::string_view path) {
    Bytes b = packet(284, 0x2D, serial);
    put32(b, 16, object);
    putText(b, 20, path);
    put32(b, 280, 110);
    return b;
}
// The eight FLOAT64 of a position block: latitude, longitude (degrees), pitch,
// bank, heading (radians), altitude (feet), vertical speed (ft/s), airspeed (knots).
inline Bytes positionBlock(double lat, double lon, double pitch, double bank, double heading, double alt, double vs = 0,
                           double tas = 0) {
    Bytes b(64, 0);
    const double values[] = {lat, lon, pitch, bank, heading, alt, vs, tas};
    for (std::size_t i = 0; i < 8; ++i) putF64(b, 8 * i, values[i]);
    return b;
}

// One message from the stand-in: 12-byte header (size, version, id), then fields.
struct Message {
    Bytes bytes;
    std::uint32_t u32(std::size_t offset) const {
        std::uint32_t v = 0;
        for (int i = 3; i >= 0; --i) v = v << 8 | bytes.at(offset + static_cast<std::size_t>(i));
        return v;
    }
    std::int64_t i64(std::size_t offset) const {
        return static_cast<std::int64_t>(static_cast<std::uint64_t>(u32(offset)) |
                                         static_cast<std::uint64_t>(u32(offset + 4)) << 32);
    }
    double f64(std::size_t offset) const { return std::bit_cast<double>(i64(offset)); }
    float f32(std::size_t offset) const { return std::bit_cast<float>(u32(offset)); }
    std::string text(std::size_t offset, std::size_t field) const {
        const auto* begin = reinterpret_cast<const char*>(bytes.data()) + offset;
        return std::string(begin, strnlen(begin, std::min(field, bytes.size() - offset)));
    }
    std::uint32_t size() const { return u32(0); }
    std::uint32_t id() const { return u32(8); }
};

enum Id : std::uint32_t {
    kException = 1,
    kOpen = 2,
    kQuit = 3,
    kEvent = 4,
    kAddRemove = 5,
    kFilename = 6,
    kFrame = 7,
    kData = 8,
    kDataByType = 9,
    kAssignedId = 12,
};

// Cuts a byte stream into messages; leftover bytes stay in `stream`.
inline std::vector<Message> cutMessages(Bytes& stream) {
    std::vector<Message> out;
    std::size_t offset = 0;
    while (stream.size() - offset >= 12) {
        Message head{Bytes(stream.begin() + static_cast<std::ptrdiff_t>(offset),
                           stream.begin() + static_cast<std::ptrdiff_t>(offset + 4))};
        const std::uint32_t size = head.u32(0);
        if (size < 12 || stream.size() - offset < size) break;
        out.push_back(Message{Bytes(stream.begin() + static_cast<std::ptrdiff_t>(offset),
                                    stream.begin() + static_cast<std::ptrdiff_t>(offset + size))});
        offset += size;
    }
    stream.erase(stream.begin(), stream.begin() + static_cast<std::ptrdiff_t>(offset));
    return out;
}

inline std::vector<Message> ofKind(const std::vector<Message>& messages, std::uint32_t id) {
    std::vector<Message> out;
    for (const Message& m : messages)
        if (m.id() == id) out.push_back(m);
    return out;
}

}  // namespace golden
