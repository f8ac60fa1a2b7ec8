#include "rtlink/readers.h"

#include <fmt/format.h>

#include <mutex>
#include <thread>

#include "app/services/run_flags.h"
#include "app/services/status_line.h"
#include "foundation/log.h"
#include "rtlink/link_jobs.h"
#include "rtlink/qnh.h"
#include "rtlink/state.h"
#include "rtlink/traffic_datagram.h"
#include "rtlink/traffic_feed.h"
#include "traffic/state.h"

ReaderPorts g_readerPorts;
TrafficReader g_trafficReader;
QnhReader g_qnhReader;

namespace {

// Set once: the readers' WSACleanup runs at most once in the process.
std::atomic<bool> g_wsaCleanedUp{false};

// The reader threads. Started, joined and replaced by the start-up thread
// (and by closing down).
struct ReaderThreads {
    std::mutex mutex;  // guards the two handles
    std::thread traffic;
    std::thread qnh;

    // The last resort at program end: a thread left running would end the
    // process when its handle is destroyed.
    ~ReaderThreads() {
        gf_stopReaders();
        if (traffic.joinable()) traffic.join();
        if (qnh.joinable()) qnh.join();
    }
};
ReaderThreads g_readerThreads;  // defined after the readers, so destroyed before them

// Starts a reader thread in `slot`. A thread still left there is ended and
// joined first; the stop flag is put back, since the new thread reads the
// same reader object.
template <class Body, class... Args>
void lf_startThread(std::thread& slot, UdpReader& reader, Body body, Args... args) {
    if (slot.joinable()) {
        const bool stop = reader.stop.exchange(true);
        slot.join();
        reader.stop.store(stop);
    }
    slot = std::thread(body, args...);
}

void lf_joinStopping(std::thread& slot, const UdpReader& reader) {
    if (slot.joinable() && reader.stop.load()) slot.join();
}

// Steps 2 to 8 of both reader threads; the caller's guard does the rest.
template <class MarkStarted>
void lf_runReader(UdpReader& reader, std::string_view name, std::uint16_t port, bool local, MarkStarted markStarted) {
    try {
        lf_readerWsaStartup(reader);
        lf_createReaderSocket(reader);
        lf_bindReaderSocket(reader, port, local);
        markStarted();
        lf_logReaderConnected(name);
        lf_readerReceiveLoop(reader, local);
    } catch (const std::exception& e) {
        gf_reportRtStopped(name, e.what());
    } catch (...) {
        gf_reportRtStopped(name, "Unknown exception");
    }
}

void lf_endReader(UdpReader& reader) noexcept {
    try {
        reader.socket.close();
        if (!g_wsaCleanedUp.exchange(true)) platform::socketsCleanup();
    } catch (...) {
    }
}

void lf_logDisconnected(std::string_view name) noexcept {
    try {
        lf_logReaderDisconnected(name);
    } catch (...) {
    }
}

struct ScopeExit {
    void (*run)() noexcept;
    ~ScopeExit() { run(); }
};

// One reader of the watchdog.
void lf_checkReader(UdpReader& reader, ReaderId id) {
    const std::int32_t count = reader.received.load();
    const std::int32_t before = reader.receivedBefore.exchange(count);
    if (before == count) {
        gf_setReaderStatus(id, readerNoData);
        reader.receivingMark.store(false);
    } else if (!reader.receivingMark.load()) {
        // While the mark is set a changed count changes nothing, so a status
        // set by other code stays.
        reader.receivingMark.store(true);
        gf_setReaderStatus(id, readerReceiving);
    }
}

}  // namespace

void TrafficReader::onData() { lf_onTrafficData(g_trafficFeed, datagram); }

void TrafficReader::onStopped() {
    g_trafficFeed.errorLines.flushDropped();
    gf_setReaderStatus(ReaderId::traffic, readerStopped);
    gf_log("Traffic Reader has stopped");
}

void QnhReader::onData() { lf_onQnhData(qnh, datagram); }

void QnhReader::onStopped() {
    qnh.errorLines.flushDropped();
    gf_log("QNH Reader has stopped");
}

void lf_endTrafficReader() noexcept {
    lf_endReader(g_trafficReader);
    gf_setReaderStatus(ReaderId::traffic, readerStopped);
    gf_setReaderStatus(ReaderId::qnh, readerStopped);
    lf_logDisconnected(kTrafficReaderName);
}

void lf_endQnhReader() noexcept {
    lf_endReader(g_qnhReader);
    gf_setReaderStatus(ReaderId::qnh, readerStopped);
    lf_logDisconnected(kQnhReaderName);
}

void lf_trafficReaderThread(std::uint16_t port, bool local) {
    const ScopeExit guard{lf_endTrafficReader};
    lf_runReader(g_trafficReader, kTrafficReaderName, port, local, [] {
        gf_setReaderStatus(ReaderId::traffic, readerReceiving);
        gf_setReaderStatus(ReaderId::qnh, readerReceiving);
    });
}

void lf_qnhReaderThread(std::uint16_t port) {
    const ScopeExit guard{lf_endQnhReader};
    lf_runReader(g_qnhReader, kQnhReaderName, port, g_rtLocal.load(),
                 [] { gf_setReaderStatus(ReaderId::qnh, readerReceiving); });
}

void gf_startQnhReader(std::uint16_t port) {
    const std::lock_guard lock(g_readerThreads.mutex);
    lf_startThread(g_readerThreads.qnh, g_qnhReader, lf_qnhReaderThread, port);
}

void gf_startTrafficReader(bool local, std::uint16_t port) {
    const std::lock_guard lock(g_readerThreads.mutex);
    lf_startThread(g_readerThreads.traffic, g_trafficReader, lf_trafficReaderThread, port, local);
}

void gf_stopReaders() {
    g_qnhReader.stop.store(true);
    g_trafficReader.stop.store(true);
}

void gf_joinReaders() {
    const std::lock_guard lock(g_readerThreads.mutex);
    if (g_readerThreads.qnh.joinable()) g_readerThreads.qnh.join();
    if (g_readerThreads.traffic.joinable()) g_readerThreads.traffic.join();
}

void gf_resetReaders() {
    {
        const std::lock_guard lock(g_readerThreads.mutex);
        lf_joinStopping(g_readerThreads.qnh, g_qnhReader);
        lf_joinStopping(g_readerThreads.traffic, g_trafficReader);
    }
    for (UdpReader* reader : {static_cast<UdpReader*>(&g_trafficReader), static_cast<UdpReader*>(&g_qnhReader)}) {
        reader->stop.store(false);
        reader->receivingMark.store(true);
    }
    g_qnhReader.received.store(0);
    g_qnhReader.receivedBefore.store(0);
    g_qnhReader.qnh.lastQnh.store(kDefaultQnh);
    g_trafficTime.store(0.0);
    g_trafficFeed.clearCallsigns();
    // A new run counts its error lines afresh.
    for (LogLineLimiter* limiter : {&g_trafficFeed.errorLines, &g_qnhReader.qnh.errorLines,
                                    &g_trafficReader.overrunLines, &g_qnhReader.overrunLines})
        limiter->reset();
}

void gf_checkReaders() {
    if (!g_rtActive.load()) return;
    lf_checkReader(g_qnhReader, ReaderId::qnh);
    lf_checkReader(g_trafficReader, ReaderId::traffic);
}

void gf_reportRtStopped(std::string_view name, std::string_view text) {
    gf_setStatus(fmt::format("The {} has stopped with error: {}", name, text), true);
    gf_requestStop(ExitReason::ReaderError, 15);
}

void gf_resetFeedState() {
    gf_resetReaders();
    g_engineQnh.store(kDefaultQnh);
    g_awaitingRealTraffic.store(true);
}
