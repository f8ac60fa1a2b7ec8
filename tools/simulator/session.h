// One client's conversation with the stand-in: what it registered (system
// events, client events, groups, data definitions, data requests), the
// replies due at the next frame, and the bytes waiting to be sent. The
// server feeds it packets and frames; everything it answers lands in the
// outbox and in the record.
#pragma once

#include <cstdint>
#include <map>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "tools/simulator/datum_values.h"
#include "tools/simulator/event_catalog.h"
#include "tools/simulator/reply_messages.h"
#include "tools/simulator/request_packets.h"
#include "tools/simulator/simulation.h"

namespace simulator {

struct MappedEvent {
    const SimEventInfo* info = nullptr;  // null for a client's private event
    std::string name;
};

struct NotificationGroup {
    std::vector<std::uint32_t> events;
    std::optional<std::uint32_t> priority;
};

struct DataSubscription {
    DataRequest request;
    std::uint32_t serial = 0;
    double nextSecond = 0;      // stand-in time of the next SECOND period
    std::uint64_t periods = 0;  // periods passed so far
    std::uint64_t sent = 0;
    std::vector<std::uint8_t> lastBlock;  // for the "changed" flag
    bool started = false;
};

struct PendingByType {
    DataByTypeRequest request;
    std::uint32_t serial = 0;
};

struct Session {
    int client = 0;
    std::string peer;
    bool opened = false;
    bool versionRefused = false;  // answered VERSION_MISMATCH: later packets are ignored
    std::uint32_t version = kNewestProtocol;
    std::string appName;
    std::optional<std::uint32_t> lastSerial;
    std::map<std::uint32_t, SystemEvent> subscriptions;
    std::map<std::uint32_t, MappedEvent> mappedEvents;
    std::map<std::uint32_t, NotificationGroup> groups;
    std::map<std::uint32_t, DataDefinition> definitions;
    std::map<std::uint32_t, DataSubscription> dataRequests;
    std::vector<PendingByType> byTypeRequests;
    std::vector<Reply> dueNextFrame;  // replies a simulator gives in its next frame
    std::vector<std::vector<std::uint8_t>> outbox;
    std::int64_t lastOneSecond = 0, lastFourSeconds = 0, lastSixHz = 0;  // timer events sent up to these ticks
    bool closeAfterSend = false;                                         // QUIT went out: close once the outbox is sent
    bool dropNow = false;                                                // cut the connection, sending nothing more
    std::uint64_t packets = 0;
    std::uint64_t replies = 0;
    std::size_t faults = 0;
};

Session beginSession(Simulation& sim, std::string peer);
// Handles one complete request packet.
void receivePacket(Simulation& sim, Session& session, std::span<const std::uint8_t> packet);
// A framing error of the byte stream (a size below the header or beyond any
// request): recorded as a fault; the server then drops the connection.
void streamBroken(Simulation& sim, Session& session, const std::string& reason, std::span<const std::uint8_t> head);
// Moves the world on by one frame, runs the script, and answers what is due.
void runFrame(Simulation& sim, Session& session);
// The client is gone: its AI objects go with it; its summary is kept.
void endSession(Simulation& sim, Session& session, const std::string& how);

// The subscription id of a system event, if the client subscribed it.
std::optional<std::uint32_t> subscriptionOf(const Session& session, SystemEvent event);

// The fields every record line of a session starts with.
nlohmann::ordered_json recordBase(const Simulation& sim, const Session& session, const char* direction);
// A note in the record and on the console: something the stand-in did on
// purpose or noticed that is not a client fault.
void recordNote(Simulation& sim, const Session& session, const std::string& text);

// Sends a reply now (record and outbox).
void sendReply(Simulation& sim, Session& session, Reply reply);
// Records a client fault and, when it carries an exception, answers it.
void reportFault(Simulation& sim, Session& session, const PacketHeader& header, const Refusal* refusal,
                 const std::string& flaw);

}  // namespace simulator
