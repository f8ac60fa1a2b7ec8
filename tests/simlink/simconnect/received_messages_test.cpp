// Received messages are read only as far as they reach; texts stop at their
// field, their terminator or the end of the message, and come out as UTF-8.
#include "simlink/simconnect/received_messages.h"

#include <gtest/gtest.h>

#include "support/simconnect_peer.h"

using namespace simconnect;
using namespace testing_support;

namespace {

Bytes cut(Bytes bytes, std::size_t size) {
    bytes.resize(size);
    return bytes;
}

TEST(ReceivedMessages, FieldsAtTheirOffsets) {
    const auto header = readRecvHeader(recvMessage(9, {}));
    ASSERT_TRUE(header.has_value());
    EXPECT_EQ(header->size, 12u);
    EXPECT_EQ(header->version, 4u);
    EXPECT_EQ(header->id, 9u);

    const auto exception = readException(recvMessage(1, {22, 75, 3}));
    ASSERT_TRUE(exception.has_value());
    EXPECT_EQ(exception->exception, 22u);
    EXPECT_EQ(exception->sendId, 75u);
    EXPECT_EQ(exception->index, 3u);

    const auto event = readEvent(recvMessage(4, {0xFFFFFFFF, 201, 1}));
    ASSERT_TRUE(event.has_value());
    EXPECT_EQ(event->groupId, 0xFFFFFFFFu);
    EXPECT_EQ(event->eventId, 201u);
    EXPECT_EQ(event->data, 1u);

    const auto added = readObjectAddRemove(recvMessage(5, {0xFFFFFFFF, 202, 1234, 2}));
    ASSERT_TRUE(added.has_value());
    EXPECT_EQ(added->event.eventId, 202u);
    EXPECT_EQ(added->event.data, 1234u);
    EXPECT_EQ(added->objectType, 2u);

    Bytes data = recvMessage(9, {101, 1234, 404, 0, 2, 5, 4});
    appendF64(data, 12.5);
    const auto byType = readSimObjectData(data);
    ASSERT_TRUE(byType.has_value());
    EXPECT_EQ(byType->requestId, 101u);
    EXPECT_EQ(byType->objectId, 1234u);
    EXPECT_EQ(byType->defineId, 404u);
    EXPECT_EQ(byType->entryNumber, 2u);
    EXPECT_EQ(byType->outOf, 5u);
    EXPECT_EQ(byType->defineCount, 4u);
    EXPECT_EQ(blockFloat64(byType->data, 0), 12.5);
}

TEST(ReceivedMessages, ShortMessagesGiveNoFields) {
    EXPECT_FALSE(readRecvHeader(cut(recvMessage(3), 11)));
    EXPECT_FALSE(readException(cut(recvMessage(1, {22, 75, 3}), 23)));
    EXPECT_FALSE(readEvent(cut(recvMessage(4, {1, 2, 3}), 20)));
    EXPECT_FALSE(readObjectAddRemove(recvMessage(4, {1, 2, 3})));
    EXPECT_FALSE(readSimObjectData(recvMessage(8, {108, 1, 409, 0, 1, 1})));
    EXPECT_FALSE(readOpen(cut(openMessage("P3D", 5, 3), 283)));
    EXPECT_TRUE(readOpen(cut(openMessage("P3D", 5, 3), 284)));
}

TEST(ReceivedMessages, OpenNameStopsAtItsField) {
    const auto open = readOpen(openMessage(std::string(300, 'P'), 6, 0));
    ASSERT_TRUE(open.has_value());
    EXPECT_EQ(open->applicationName, std::string(256, 'P'));
    EXPECT_EQ(open->versionMajor, 6u);
}

TEST(ReceivedMessages, BlockTextsAreBoundedAndConverted) {
    Bytes block;
    appendText(block, "D-AIBC", 32);
    block.push_back(std::byte{0});
    appendText(block, "Airbus A320 K\xF6ln", 20);
    EXPECT_EQ(blockString32(block, 0), "D-AIBC");
    EXPECT_EQ(blockStringV(block, 33), "Airbus A320 K\xC3\xB6ln");

    // A STRING32 that fills its field has no terminator; one that is cut off
    // means the message is short.
    Bytes full;
    appendText(full, std::string(32, 'A'), 32);
    EXPECT_EQ(blockString32(full, 0), std::string(32, 'A'));
    EXPECT_FALSE(blockString32(cut(full, 31), 0));
    EXPECT_FALSE(blockString32(full, 8));

    // A STRINGV without a terminator ends with the message.
    Bytes open;
    appendText(open, "Cessna", 6);
    EXPECT_EQ(blockStringV(open, 0), "Cessna");
    EXPECT_FALSE(blockStringV(open, 6));
    EXPECT_FALSE(blockFloat64(open, 0));
    EXPECT_FALSE(blockInt64(open, 0));
}

}  // namespace
