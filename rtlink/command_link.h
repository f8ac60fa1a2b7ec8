// The RealTraffic command link: when RealTraffic runs on this PC it connects
// as a TCP client to a server the program opens on PORT_NUMBER. The program
// asks for its version ("Qs999=version"), tells it the user aircraft's
// position ("Qs121=") and, at level 2, the simulator's UTC time ("Qs123="),
// and says "exit" when it closes. A failed send means RealTraffic has gone:
// its live aircraft are removed and the next position request waits for it
// to connect again.
//
// Everything runs on the traffic thread except gf_closeRtServer, which the
// window thread also calls on a close request; it never waits for the
// traffic thread. The sockets sit under a small mutex that is held only to
// take or swap them, never across a socket call.
#pragma once

#include <chrono>
#include <cstdint>
#include <string>

struct UserState;

// How long one wait for RealTraffic may block before the stop flags are
// looked at again.
inline constexpr int kRtWaitSliceMs = 250;
// How long the version reply may take.
inline constexpr int kRtReplyWaitMs = 5000;

// Starts Winsock and opens the server on the port text. Throws
// std::runtime_error with the failing step's text; what was opened is closed.
void gf_openRtServer(const std::string& port);
// Waits for RealTraffic to connect, in slices of kRtWaitSliceMs that give up
// as soon as a stop or close is requested. True when a client was accepted
// now; false when one is connected already, the server is closed or a stop
// came first.
bool waitForClient();
// Sends one line; false when it failed (the client is then closed).
bool sendDataPacket(const std::string& text);
// Waits up to kRtReplyWaitMs (giving up on a stop) for what RealTraffic
// sends and receives it once, at most 16383 bytes; empty on any failure.
std::string gf_receiveFromRt();

// "Qs123=": the simulator's UTC time (Unix seconds) to RealTraffic, when connected and the time is at least 1.
void gf_sendRtProRequest(std::int64_t simTime);
// "Qs121=": the user aircraft's position to RealTraffic; waits for RealTraffic
// to connect again when it has gone.
void gf_sendRtAreaRequest();
// Ends the link: "exit\r\n" when RealTraffic is connected, both sockets
// closed, Winsock released once per open. Any thread, any number of times.
void gf_closeRtServer();

// The port the server listens on; 0 while it is closed.
std::uint16_t gf_rtServerPort();

// The "Qs121=" line of the user aircraft's state: pitch and bank (radians)
// times 100000, true heading (radians), altitude (feet) times 1000, ground
// speed (knots) times 1000, latitude and longitude in radians.
std::string lf_rtAreaLine(const UserState& user);
