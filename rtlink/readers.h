// The two RealTraffic readers: the traffic reader on UDP port 49005 and the
// QNH reader on 49004, their threads, the watchdog that notices a silent
// reader, and the report of a reader that failed.
#pragma once

#include <cstdint>
#include <string_view>

#include "rtlink/qnh.h"
#include "rtlink/udp_reader.h"

inline constexpr std::uint16_t kTrafficPort = 49005;
inline constexpr std::uint16_t kQnhPort = 49004;

// The ports a run's readers listen on: RealTraffic's own. Changed only while
// no run is going (a test's runs take free ports), read by the start-up thread.
struct ReaderPorts {
    std::uint16_t traffic = kTrafficPort;
    std::uint16_t qnh = kQnhPort;
};
extern ReaderPorts g_readerPorts;

inline constexpr std::string_view kTrafficReaderName = "Traffic Reader";
inline constexpr std::string_view kQnhReaderName = "QNH Reader";

class TrafficReader final : public UdpReader {
public:
    void onData() override;     // lf_onTrafficData
    void onStopped() override;  // lf_onTrafficStopped
};

class QnhReader final : public UdpReader {
public:
    void onData() override;     // lf_onQnhData
    void onStopped() override;  // lf_onQnhStopped

    QnhState qnh;  // lastQnh: 0 at start, 1013 after each reset
};

// The bodies of the two reader threads.
void lf_trafficReaderThread(std::uint16_t port, bool local);
void lf_qnhReaderThread(std::uint16_t port);
// The scope guards that end each reader thread; they never throw.
void lf_endTrafficReader() noexcept;
void lf_endQnhReader() noexcept;

// Starting, stopping and joining the reader threads (start-up, closing down
// and restart). A start first ends a thread still left from before, so that
// an old reader never touches the new reader's socket.
void gf_startQnhReader(std::uint16_t port = kQnhPort);
void gf_startTrafficReader(bool local, std::uint16_t port = kTrafficPort);
// Sets both stop flags; the readers end within their one-second time-out.
void gf_stopReaders();
// Waits until both reader threads have ended (call gf_stopReaders first).
void gf_joinReaders();
// The reset before a (re)connection or restart: a reader that is stopping is
// joined first; then the stop flags are cleared, the QNH reader's counters
// zeroed and its last QNH set to 1013, both receiving marks set, the latest
// traffic time zeroed and the collected callsigns emptied.
void gf_resetReaders();

// The watchdog (run-loop seconds jobs): a reader whose count did not change
// since the last look shows "no data"; a reader that receives again shows
// "receiving". Does nothing while the RealTraffic feed is not up.
void gf_checkReaders();
// A reader thread ended on an error: status line "The {} has stopped with
// error: {}" and a stop with READER ERROR, restart after 15 seconds.
void gf_reportRtStopped(std::string_view name, std::string_view text);
