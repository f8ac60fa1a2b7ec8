// A minimal SimConnect server for tests: it listens over TCP or a named pipe,
// accepts one client, reads its packets whole and answers with messages that
// the test builds by hand. Also the small helpers that tests of the
// SimConnect library share.
#pragma once

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "platform/notify.h"
#include "platform/pipes.h"
#include "platform/sockets.h"
#include "simlink/simconnect/simconnect.h"
#include "support/wait.h"

namespace testing_support {

using Bytes = std::vector<std::byte>;

// Bytes from hexadecimal digits; blanks between them are ignored.
Bytes hexBytes(std::string_view digits);
// Little-endian fields appended by hand.
Bytes& appendU32(Bytes& bytes, std::uint32_t value);
Bytes& appendF64(Bytes& bytes, double value);
// A zero-terminated text in a field of fieldSize bytes.
Bytes& appendText(Bytes& bytes, std::string_view text, std::size_t fieldSize);
Bytes operator+(Bytes a, const Bytes& b);
// Little-endian fields read from a packet at a byte offset.
std::uint32_t u32At(const Bytes& packet, std::size_t offset);
double f64At(const Bytes& packet, std::size_t offset);
// The zero-terminated text at the offset.
std::string textAt(const Bytes& packet, std::size_t offset);
// The request code of a packet (the low byte of its type word).
std::uint32_t packetCode(const Bytes& packet);

// A message: size, version 4, id, then the u32 fields.
Bytes recvMessage(std::uint32_t id, std::initializer_list<std::uint32_t> fields = {});
// An OPEN message (308 bytes) with the application name and version.
Bytes openMessage(std::string_view name, std::uint32_t major, std::uint32_t minor);

class SimPeer {
public:
    // Listens on the loopback address of the family; port() tells where.
    static std::unique_ptr<SimPeer> overTcp(platform::IpFamily family);
    // Serves a named pipe ("\\.\pipe\<name>").
    static std::unique_ptr<SimPeer> overPipe(const std::u16string& name, bool messageMode = false);

    bool ok() const;
    std::uint16_t port() const;
    bool accept(int timeoutMs = kSafetyMs);
    // The next whole packet, read by its size field; empty at a time-out or
    // when the client has closed.
    Bytes readPacket(int timeoutMs = kSafetyMs);
    // True when nothing arrives within timeoutMs.
    bool quietFor(int timeoutMs);
    bool send(const Bytes& bytes);
    void disconnect();

private:
    explicit SimPeer(std::unique_ptr<platform::ServerEnd> server, std::uint16_t port)
        : server_(std::move(server)), port_(port) {}

    std::unique_ptr<platform::ServerEnd> server_;
    std::uint16_t port_ = 0;
    Bytes pending_;
};

// Makes the library look for SimConnect.cfg in the given folders only (none
// by default) while it lives.
class ScopedCfgFolders {
public:
    explicit ScopedCfgFolders(std::vector<std::filesystem::path> folders = {});
    ~ScopedCfgFolders();
};

// Writes SimConnect.cfg in folder.
void writeSimConnectCfg(const std::filesystem::path& folder, const std::string& text);

// Writes SimConnect.cfg in cfgFolder naming the peer's IPv4 port, opens a
// client handle to the peer and reads its Open packet; null when a step fails.
SimConnectClient* openClientToPeer(SimPeer& peer, const std::filesystem::path& cfgFolder);

// The simulator's SimConnect port values in the registry (the in-memory one
// natively, the real one on Windows). An empty port removes the value.
void setRegistryPorts(const std::string& ipv4, const std::string& ipv6);

// Calls SimConnect_CallDispatch until `count` messages have come or the
// connection has failed, sleeping in between on the event that the handle was
// opened with. The last result is kept. kSafetyMs only ends a test whose
// peer never answers; a loaded machine never comes near it.
struct Dispatched {
    std::vector<Bytes> messages;
    SimConnectResult result = simconnect::kSOk;
};
Dispatched dispatchUntil(SimConnectClient* handle, std::size_t count, platform::Event& messages);

}  // namespace testing_support
