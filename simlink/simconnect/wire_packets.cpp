// The request side of the library: packet reservation in the send buffer, the
// packet serials, and the request functions, each of which builds one packet
// and sends it at once.
#include <cstring>
#include <initializer_list>
#include <vector>

#include "foundation/binary_writer.h"
#include "foundation/text_convert.h"
#include "simlink/simconnect/client.h"
#include "simlink/simconnect/library_state.h"

namespace simconnect {

SimConnectResult lf_allocPacket(SimConnectClient& client, std::size_t size, std::span<std::byte>& packet) {
    if (client.transport->broken()) return client.transport->breakCode();
    if (size < kPacketHeaderSize || size > client.sendBuffer.size() - client.sendFill) return kEFail;
    packet = std::span(client.sendBuffer).subspan(client.sendFill, size);
    std::memset(packet.data(), 0, packet.size());
    client.sendFill += size;
    ++client.packetSerial;
    if (client.packetSerial == 0) client.packetSerial = 1;
    BinaryWriter(packet).u32(12, client.packetSerial);
    return kSOk;
}

void lf_releasePacket(SimConnectClient& client, std::span<std::byte> packet) {
    std::memset(packet.data(), 0, packet.size());
    if (packet.data() + packet.size() == client.sendBuffer.data() + client.sendFill) client.sendFill -= packet.size();
}

SimConnectResult lf_flushSendBuffer(SimConnectClient& client) {
    const auto filled = std::span(client.sendBuffer).first(client.sendFill);
    client.transport->send(std::vector<std::byte>(filled.begin(), filled.end()));
    client.sendFill = 0;
    return kSOk;
}

namespace {

// A packet being built: its writer and the outcome of its text fields.
class PacketFields {
public:
    explicit PacketFields(std::span<std::byte> packet) : writer_(packet) {}

    BinaryWriter& writer() { return writer_; }

    // A text field: UTF-8 in, the ANSI code page out; a null text is empty.
    void text(std::size_t offset, std::size_t fieldSize, const char* utf8) {
        if (failure_ != kSOk || utf8 == nullptr) return;
        const auto ansi = gf_utf8ToAnsi(utf8);
        if (!ansi)
            failure_ = kEInvalidArg;
        else if (!writer_.text(offset, fieldSize, *ansi))
            failure_ = kETextTooLong;
    }

    SimConnectResult result() const { return failure_; }

private:
    BinaryWriter writer_;
    SimConnectResult failure_ = kSOk;
};

// The build-and-send rule shared by every request: under the library lock,
// reserve the packet, write the header and the fields, and flush; a field
// that fails gives the packet back and nothing is sent.
template <typename Fill>
SimConnectResult lf_sendPacket(SimConnectClient* handle, std::uint32_t requestCode, std::size_t size, Fill&& fill) {
    if (handle == nullptr) return kEFail;
    const std::lock_guard lock(g_simConnectLock);
    std::span<std::byte> packet;
    if (const SimConnectResult reserved = lf_allocPacket(*handle, size, packet); reserved != kSOk) return reserved;
    PacketFields fields(packet);
    fields.writer().u32(0, static_cast<std::uint32_t>(size));
    fields.writer().u32(4, kProtocolVersion);
    fields.writer().u32(8, kPacketTypeBase | requestCode);
    fill(fields);
    if (fields.result() != kSOk) {
        lf_releasePacket(*handle, packet);
        return fields.result();
    }
    return lf_flushSendBuffer(*handle);
}

// A packet of u32 fields after the header.
SimConnectResult lf_sendNumbers(SimConnectClient* handle, std::uint32_t requestCode,
                                std::initializer_list<std::uint32_t> values) {
    return lf_sendPacket(handle, requestCode, kPacketHeaderSize + 4 * values.size(), [&](PacketFields& fields) {
        std::size_t offset = kPacketHeaderSize;
        for (const std::uint32_t value : values) {
            fields.writer().u32(offset, value);
            offset += 4;
        }
    });
}

}  // namespace

SimConnectResult lf_sendOpenPacket(SimConnectClient* handle, const char* name) {
    return lf_sendPacket(handle, 0x01, 296, [&](PacketFields& fields) {
        fields.text(16, 256, name);
        auto& w = fields.writer();
        w.u32(272, 0);
        w.u32(276, 0x50334400);  // bytes 00 44 33 50
        w.u32(280, 5);
        w.u32(284, 3);
        w.u32(288, 0);
        w.u32(292, 0);
    });
}

}  // namespace simconnect

using namespace simconnect;

SimConnectResult SimConnect_GetLastSentPacketID(SimConnectClient* handle, std::uint32_t* id) {
    if (handle == nullptr || id == nullptr) return kEFail;
    const std::lock_guard lock(g_simConnectLock);
    *id = handle->packetSerial;
    return kSOk;
}

SimConnectResult SimConnect_MapClientEventToSimEvent(SimConnectClient* handle, std::uint32_t eventId,
                                                     const char* eventName) {
    return lf_sendPacket(handle, 0x04, 276, [&](PacketFields& fields) {
        fields.writer().u32(16, eventId);
        fields.text(20, 256, eventName);
    });
}

SimConnectResult SimConnect_TransmitClientEvent(SimConnectClient* handle, std::uint32_t objectId, std::uint32_t eventId,
                                                std::uint32_t data, std::uint32_t groupId, std::uint32_t flags) {
    return lf_sendNumbers(handle, 0x05, {objectId, eventId, data, groupId, flags});
}

SimConnectResult SimConnect_AddClientEventToNotificationGroup(SimConnectClient* handle, std::uint32_t groupId,
                                                              std::uint32_t eventId, bool maskable) {
    return lf_sendNumbers(handle, 0x07, {groupId, eventId, maskable ? 1u : 0u});
}

SimConnectResult SimConnect_SetNotificationGroupPriority(SimConnectClient* handle, std::uint32_t groupId,
                                                         std::uint32_t priority) {
    return lf_sendNumbers(handle, 0x09, {groupId, priority});
}

SimConnectResult SimConnect_AddToDataDefinition(SimConnectClient* handle, std::uint32_t defineId, const char* datumName,
                                                const char* unitsName, std::uint32_t datumType, float epsilon,
                                                std::uint32_t datumId) {
    return lf_sendPacket(handle, 0x0C, 544, [&](PacketFields& fields) {
        fields.writer().u32(16, defineId);
        fields.text(20, 256, datumName);
        fields.text(276, 256, unitsName);
        fields.writer().u32(532, datumType);
        fields.writer().f32(536, epsilon);
        fields.writer().u32(540, datumId);
    });
}

SimConnectResult SimConnect_RequestDataOnSimObject(SimConnectClient* handle, std::uint32_t requestId,
                                                   std::uint32_t defineId, std::uint32_t objectId, std::uint32_t period,
                                                   std::uint32_t flags, std::uint32_t origin, std::uint32_t interval,
                                                   std::uint32_t limit) {
    return lf_sendNumbers(handle, 0x0E, {requestId, defineId, objectId, period, flags, origin, interval, limit});
}

SimConnectResult SimConnect_RequestDataOnSimObjectType(SimConnectClient* handle, std::uint32_t requestId,
                                                       std::uint32_t defineId, std::uint32_t radiusMeters,
                                                       std::uint32_t type) {
    return lf_sendNumbers(handle, 0x0F, {requestId, defineId, radiusMeters, type});
}

SimConnectResult SimConnect_SetDataOnSimObject(SimConnectClient* handle, std::uint32_t defineId, std::uint32_t objectId,
                                               std::uint32_t flags, std::uint32_t arrayCount, std::uint32_t unitSize,
                                               const void* data) {
    if (handle == nullptr) return kEFail;
    const std::uint32_t units = arrayCount == 0 ? 1 : arrayCount;
    const std::uint64_t dataSize = std::uint64_t{units} * unitSize;
    if (data == nullptr && dataSize > 0) return kEInvalidArg;
    // A size beyond the send buffer fails the reservation with E_FAIL.
    return lf_sendPacket(handle, 0x10, 36 + dataSize, [&](PacketFields& fields) {
        auto& w = fields.writer();
        w.u32(16, defineId);
        w.u32(20, objectId);
        w.u32(24, flags);
        w.u32(28, units);
        w.u32(32, unitSize);
        w.bytes(36, std::span(static_cast<const std::byte*>(data), static_cast<std::size_t>(dataSize)));
    });
}

SimConnectResult SimConnect_SubscribeToSystemEvent(SimConnectClient* handle, std::uint32_t eventId,
                                                   const char* systemEventName) {
    return lf_sendPacket(handle, 0x17, 276, [&](PacketFields& fields) {
        fields.writer().u32(16, eventId);
        fields.text(20, 256, systemEventName);
    });
}

SimConnectResult SimConnect_AICreateNonATCAircraft(SimConnectClient* handle, const char* containerTitle,
                                                   const char* tailNumber, InitPosition position,
                                                   std::uint32_t requestId) {
    return lf_sendPacket(handle, 0x29, 344, [&](PacketFields& fields) {
        fields.text(16, 256, containerTitle);
        fields.text(272, 12, tailNumber);
        auto& w = fields.writer();
        w.f64(284, position.latitude);
        w.f64(292, position.longitude);
        w.f64(300, position.altitude);
        w.f64(308, position.pitch);
        w.f64(316, position.bank);
        w.f64(324, position.heading);
        w.u32(332, position.onGround);
        w.u32(336, position.airspeed);
        w.u32(340, requestId);
    });
}

SimConnectResult SimConnect_AIReleaseControl(SimConnectClient* handle, std::uint32_t objectId, std::uint32_t requestId) {
    return lf_sendNumbers(handle, 0x2B, {objectId, requestId});
}

SimConnectResult SimConnect_AIRemoveObject(SimConnectClient* handle, std::uint32_t objectId, std::uint32_t requestId) {
    return lf_sendNumbers(handle, 0x2C, {objectId, requestId});
}

SimConnectResult SimConnect_AISetAircraftFlightPlan(SimConnectClient* handle, std::uint32_t objectId,
                                                    const char* flightPlanPath, std::uint32_t requestId) {
    return lf_sendPacket(handle, 0x2D, 284, [&](PacketFields& fields) {
        fields.writer().u32(16, objectId);
        fields.text(20, 260, flightPlanPath);
        fields.writer().u32(280, requestId);
    });
}
