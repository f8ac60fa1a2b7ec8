// Every class of malformed packet is refused as a simulator would refuse it
// (EXCEPTION with the packet's serial and the argument's index) and recorded
// as a client fault with its reason; flaws no simulator answers are faults
// without a reply.
#include <gtest/gtest.h>

#include <limits>

#include "foundation/geodesy.h"
#include "session_harness.h"

using namespace golden;

namespace {

struct BadPacket {
    const char* what;
    Bytes packet;             // sent with serial 80, after the program's registration and one AI object (id 100)
    std::uint32_t exception;  // 0: a flaw that gets no reply
    std::uint32_t index;
    const char* reason;  // a part of the recorded reason
};

Bytes withU32(Bytes b, std::size_t offset, std::uint32_t value) {
    put32(b, offset, value);
    return b;
}

Bytes filled(Bytes b, std::size_t offset, std::size_t count, std::uint8_t value) {
    std::fill_n(b.begin() + static_cast<std::ptrdiff_t>(offset), count, value);
    return b;
}

Bytes truncated(Bytes b, std::size_t size) {
    b.resize(size);
    put32(b, 0, static_cast<std::uint32_t>(size));
    return b;
}

std::vector<BadPacket> badPackets() {
    const std::uint32_t s = 80;
    const double nan = std::numeric_limits<double>::quiet_NaN();
    return {
        {"size too small for its code", truncated(subscribe(s, 240, "Sim"), 272), 2, 0,
         "must be 276 bytes long, got 272"},
        {"size too large for its code", truncated(requestData(s, 108, 409, 0, 4), 52), 2, 0, "must be 48 bytes long"},
        {"set data size against its count", truncated(setData(s, 402, 100, positionBlock(47, 8, 0, 0, 1, 0), 64), 90),
         2, 0, "must be 100 bytes long, got 90"},
        {"protocol version 36", withU32(requestData(s, 108, 409, 0, 4), 4, 36), 5, 0,
         "protocol version 36 outside 2..35"},
        {"protocol version 1", withU32(requestData(s, 108, 409, 0, 4), 4, 1), 5, 0, "protocol version 1"},
        {"type without the request mark", withU32(requestData(s, 108, 409, 0, 4), 8, 0x0E), 1, 0,
         "lacks the request mark"},
        {"unknown request code", withU32(packet(24, 0x22, s), 8, 0xF0000022u), 1, 0, "request code 0x22"},
        {"unterminated datum name", filled(addToDefinition(s, 410, "X", "feet", 4), 20, 256, 'A'), 7, 2,
         "datum name at offset 20 fills its 256 bytes"},
        {"unterminated title", filled(createAi(s, "T", "ABC", InitPos{}), 16, 256, 'T'), 22, 1, "container title"},
        {"unterminated tail number", filled(createAi(s, "T", "ABC", InitPos{}), 272, 12, 'N'), 22, 2, "tail number"},
        {"unterminated flight plan path", filled(flightPlan(s, 100, "x"), 20, 260, 'p'), 23, 2, "flight plan path"},
        {"dirty text field", filled(subscribe(s, 240, "Pause"), 200, 3, 'x'), 0, 0, "non-zero bytes after"},
        {"unknown datum", addToDefinition(s, 410, "Plane Latitudee", "degree", 4), 7, 2,
         "datum 'Plane Latitudee' unknown"},
        {"datum with a wrong index", addToDefinition(s, 410, "GENERAL ENG THROTTLE LEVER POSITION:7", "percent", 4), 7,
         2, "unknown"},
        {"unit of another kind", addToDefinition(s, 410, "Plane Altitude", "radians", 4), 7, 3,
         "units 'radians' do not fit"},
        {"unit given to a text", addToDefinition(s, 410, "ATC ID", "feet", 6), 7, 3, "units 'feet'"},
        {"text read as a number", addToDefinition(s, 410, "TITLE", "", 4), 18, 4, "data type 4 (FLOAT64)"},
        {"number read as a text", addToDefinition(s, 410, "Plane Altitude", "feet", 6), 18, 4, "STRING32"},
        {"unknown simulator event", mapEvent(s, 240, "FLAPS_SETT"), 7, 2, "simulator event 'FLAPS_SETT' unknown"},
        {"unknown system event", subscribe(s, 240, "Frames"), 7, 2, "system event 'Frames' unknown"},
        {"event id used twice", mapEvent(s, 220, "GEAR_UP"), 9, 1, "event id 220 already in use"},
        {"unmapped event in a group", addToGroup(s, 301, 250), 3, 2, "client event 250 was never mapped"},
        {"unknown group priority", groupPriority(s, 302, 1), 3, 1, "notification group 302 unknown"},
        {"event value out of range", transmitEvent(s, 100, 218, 20000), 0, 0, "FLAPS_SET value 20000 outside 0..16383"},
        {"event never mapped", transmitEvent(s, 100, 250, 1), 3, 2, "client event 250 was never mapped"},
        {"event for an unknown object", transmitEvent(s, 999, 218, 0), 3, 1, "object id 999 unknown"},
        {"event in an unknown group", transmitEvent(s, 100, 218, 0, 302), 3, 4, "notification group 302 unknown"},
        {"data of an unknown definition", requestData(s, 102, 499, 100, 1), 3, 2, "data definition 499 unknown"},
        {"data of an unknown object", requestData(s, 102, 405, 12345, 1), 3, 3, "object id 12345 unknown"},
        {"unknown period", requestData(s, 102, 405, 100, 9), 27, 4, "period 9 unknown"},
        {"unknown request flags", requestData(s, 102, 405, 100, 1, 8), 27, 5, "flags 0x8 unknown"},
        {"radius beyond 200 km", requestDataByType(s, 101, 404, 200001, 2), 31, 3, "radius 200001 m beyond"},
        {"unknown object type", requestDataByType(s, 101, 404, 1000, 9), 27, 4, "object type 9 unknown"},
        {"set data for an unknown object", setData(s, 402, 555, positionBlock(47, 8, 0, 0, 1, 2000), 64), 3, 2,
         "object id 555 unknown"},
        {"set data with a wrong unit size", setData(s, 402, 100, Bytes(60, 0), 60), 19, 5, "unit size 60"},
        {"set data of a read-only datum", setData(s, 404, 100, Bytes(56, 0), 56), 20, 1, "cannot be set"},
        {"set data array for one object", setData(s, 401, 100, Bytes(48, 0), 24, 2), 21, 4, "array count 2"},
        {"latitude off the earth", setData(s, 402, 100, positionBlock(95, 8, 0, 0, 1, 2000), 64), 20, 1,
         "'Plane Latitude' = 95 degree outside [-90, 90]"},
        {"position not a number", setData(s, 402, 100, positionBlock(47, nan, 0, 0, 1, 2000), 64), 20, 2,
         "'Plane Longitude'"},
        {"heading in degrees where radians belong", setData(s, 402, 100, positionBlock(47, 8, 0, 0, 270, 2000), 64), 0,
         0, "'Plane Heading degrees true' = 270 radians outside [0, 6.28319): wrong unit?"},
        {"true airspeed far below a push-back's", setData(s, 402, 100, positionBlock(47, 8, 0, 0, 1, 2000, 0, -40), 64),
         0, 0, "'Airspeed True' = -40 knots outside [-30, 1000]"},
        {"initial heading beyond a circle", createAi(s, "T", "ABC", InitPos{47, 8, 2000, 0, 0, 400}), 0, 0,
         "initial heading 400 outside [0, 360) degrees"},
        {"initial position off the earth", createAi(s, "T", "ABC", InitPos{47, 190, 2000}), 22, 3,
         "is not on the earth"},
        {"empty container title", createAi(s, "", "ABC", InitPos{}), 22, 1, "empty container title"},
        {"release of the user aircraft", release(s, 1), 24, 1, "is the user aircraft"},
        {"removal of an unknown object", remove(s, 4242), 3, 1, "object id 4242 unknown"},
        {"flight plan for the user", flightPlan(s, 0, "x.pln"), 24, 1, "is the user aircraft"},
        {"empty flight plan path", flightPlan(s, 100, ""), 23, 2, "empty flight plan path"},
        {"a second Open", open(s, "Again"), 1, 0, "a second Open"},
    };
}

}  // namespace

TEST(StandInFaults, EachMalformedPacketIsRefusedWithItsSerialAndReason) {
    for (const BadPacket& bad : badPackets()) {
        SCOPED_TRACE(bad.what);
        Harness h;
        h.registerLikeTheProgram();
        h.send(createAi(75, "Stand-in B738 Livery", "DLH4AB", InitPos{}));
        ASSERT_EQ(h.sim.world.objects.at(0).id, 100u);
        h.frames();
        ASSERT_TRUE(h.sim.faults.empty());

        const auto replies = h.send(bad.packet);
        ASSERT_FALSE(h.sim.faults.empty());
        const simulator::Fault& fault = h.sim.faults.front();
        EXPECT_EQ(fault.serial, 80u);
        EXPECT_NE(fault.reason.find(bad.reason), std::string::npos) << fault.reason;
        const auto exceptions = ofKind(replies, kException);
        if (bad.exception == 0) {
            EXPECT_TRUE(exceptions.empty());
            EXPECT_FALSE(fault.exception.has_value());
            continue;
        }
        ASSERT_EQ(exceptions.size(), 1u);
        EXPECT_EQ(exceptions[0].size(), 24u);
        EXPECT_EQ(exceptions[0].u32(12), bad.exception);
        EXPECT_EQ(exceptions[0].u32(16), 80u);
        EXPECT_EQ(exceptions[0].u32(20), bad.index);
        EXPECT_EQ(fault.exception, bad.exception);
    }
}

TEST(StandInFaults, RefusedRequestsChangeNothing) {
    Harness h;
    h.registerLikeTheProgram();
    h.send(addToDefinition(75, 410, "Plane Latitudee", "degree", 4));
    h.send(mapEvent(76, 240, "NOT_AN_EVENT"));
    h.send(createAi(77, "", "ABC", InitPos{}));
    h.send(subscribe(78, 204, "Sim"));  // the id of "Frame" again
    EXPECT_FALSE(h.session.definitions.contains(410));
    EXPECT_FALSE(h.session.mappedEvents.contains(240));
    EXPECT_TRUE(h.sim.world.objects.empty());
    EXPECT_EQ(ofKind(h.frames(), kEvent).size(), 1u);  // the one "Sim" event of the registration
    EXPECT_EQ(h.sim.faults.size(), 4u);
}

TEST(StandInFaults, APushBackRollsBackwardsWithoutFault) {
    Harness h;
    h.registerLikeTheProgram();
    h.send(createAi(75, "Stand-in B738 Livery", "DLH4AB", InitPos{}));
    h.frames();
    h.send(setData(76, 402, 100, positionBlock(47, 8, 0, 0, 1, 2000, 0, -4), 64));
    EXPECT_TRUE(h.sim.faults.empty());
}

TEST(StandInFaults, SerialsMayStartAtZeroOrOneAndMustRise) {
    struct Case {
        std::vector<std::uint32_t> serials;
        std::size_t faults;
        const char* reason;
    };
    for (const Case& c :
         {Case{{0, 1, 2}, 0, ""}, Case{{1, 2, 5}, 0, ""}, Case{{0xFFFFFFFEu, 0xFFFFFFFFu, 1}, 1, "first serial"},
          Case{{1, 3, 3}, 1, "serial 3 does not follow serial 3"},
          Case{{1, 7, 4}, 1, "serial 4 does not follow serial 7"}, Case{{2, 3}, 1, "the first serial is 2"}}) {
        Harness h;
        h.send(open(c.serials[0], "AnyClient"));
        for (std::size_t i = 1; i < c.serials.size(); ++i)
            h.send(subscribe(c.serials[i], 200 + static_cast<std::uint32_t>(i), "Frame"));
        ASSERT_EQ(h.sim.faults.size(), c.faults);
        if (c.faults != 0) {
            EXPECT_NE(h.sim.faults[0].reason.find(c.reason), std::string::npos) << h.sim.faults[0].reason;
        }
    }
    Harness wrap;  // a long-running client wraps from 0xFFFFFFFF to 1
    wrap.send(open(1, "AnyClient"));
    wrap.session.lastSerial = 0xFFFFFFFEu;
    wrap.send(subscribe(0xFFFFFFFFu, 201, "Sim"));
    wrap.send(subscribe(1, 202, "Frame"));
    EXPECT_TRUE(wrap.sim.faults.empty());
}

TEST(StandInFaults, RequestsBeforeOpenAreUnopened) {
    Harness h;
    const auto replies = h.send(subscribe(1, 201, "Sim"));
    ASSERT_EQ(replies.size(), 1u);
    EXPECT_EQ(replies[0].u32(12), 4u);
    EXPECT_EQ(replies[0].u32(16), 1u);
    ASSERT_EQ(h.sim.faults.size(), 1u);
    EXPECT_EQ(h.sim.faults[0].reason, "a request before Open");
}
