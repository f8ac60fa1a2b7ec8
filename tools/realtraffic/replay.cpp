#include "tools/realtraffic/replay.h"

#include <fmt/format.h>

#include <chrono>
#include <thread>

#include "platform/sockets.h"
#include "rtlink/wsa_errors.h"
#include "tools/realtraffic/datagram.h"

namespace realtraffic {
namespace {

class Sender {
public:
    Sender(const ReplayOptions& options, std::ostream* log) : options_(options), log_(log) {
        if (const std::int32_t error = socket_.open(); error != 0)
            throw StandInError(fmt::format("cannot open a UDP socket: {}", gf_wsaErrorText(error)));
    }

    void send(std::uint16_t port, const std::string& datagram, double offset, const char* what) {
        if (const std::int32_t error = socket_.sendTo(options_.address, port, datagram); error != 0)
            throw StandInError(fmt::format("sending to {}:{} failed: {}", options_.address, port, gf_wsaErrorText(error)));
        if (log_) *log_ << fmt::format("{:9.2f} {} {}\n", offset, what, datagram.substr(0, 160));
    }

private:
    const ReplayOptions& options_;
    std::ostream* log_;
    platform::UdpSocket socket_;
};

}  // namespace

double unixNow() {
    return std::chrono::duration<double>(std::chrono::system_clock::now().time_since_epoch()).count();
}

std::vector<TimedDatagram> qnhSchedule(const Scenario& scenario, double lastOffset, double interval) {
    std::vector<TimedDatagram> out;
    std::size_t change = 0;
    std::string value = "1013";
    for (double t = 0; t <= lastOffset + 1e-9; t += interval) {
        while (change < scenario.qnh.size() && scenario.qnh[change].offset <= t + 1e-9) value = scenario.qnh[change++].value;
        out.push_back({t, qnhDatagram(scenario.fieldCode, value)});
        if (interval <= 0) break;
    }
    return out;
}

ReplayReport replay(const std::vector<TimedDatagram>& traffic, const std::vector<TimedDatagram>& qnh,
                    const ReplayOptions& options, std::ostream* log, const std::atomic<bool>* cancel) {
    Sender sender(options, log);
    ReplayReport report;
    report.startTime = options.startTime.value_or(unixNow());
    const auto start = std::chrono::steady_clock::now();
    const auto waitFor = [&](double offset) {
        if (options.speed > 0)
            std::this_thread::sleep_until(start + std::chrono::duration_cast<std::chrono::steady_clock::duration>(
                                                      std::chrono::duration<double>(offset / options.speed)));
        return !(cancel && cancel->load());
    };

    const auto away = [&] { return options.withhold && options.withhold->load(); };
    const auto sendQnh = [&](const TimedDatagram& d) {
        if (away()) {
            ++report.withheld;
            return;
        }
        sender.send(options.qnhPort, d.text, d.offset, "qnh");
        ++report.qnh;
    };

    if (options.primer) {
        sender.send(options.trafficPort, primerDatagram(report.startTime), 0, "primer");
        ++report.primer;
    }
    if (options.oversize) {
        sender.send(options.trafficPort, oversizeDatagram(), 0, "oversize");
        ++report.oversize;
    }
    std::size_t q = 0;
    for (const TimedDatagram& d : traffic) {
        for (; q < qnh.size() && qnh[q].offset <= d.offset; ++q) {
            if (!waitFor(qnh[q].offset)) return report;
            sendQnh(qnh[q]);
        }
        if (!waitFor(d.offset)) return report;
        if (away()) {
            ++report.withheld;
            continue;
        }
        const std::string text = withTimestamp(d.text, report.startTime + d.offset);
        sender.send(options.trafficPort, text, d.offset, "traffic");
        ++report.traffic;
        if (options.duplicates) {
            sender.send(options.trafficPort, text, d.offset, "duplicate");
            ++report.duplicates;
        }
        if (options.malformedEvery > 0 && report.traffic % options.malformedEvery == 0) {
            sender.send(options.trafficPort, malformedDatagram(text, report.malformed), d.offset, "malformed");
            ++report.malformed;
        }
    }
    for (; q < qnh.size(); ++q) {
        if (!waitFor(qnh[q].offset)) return report;
        sendQnh(qnh[q]);
    }
    return report;
}

void sendBurst(const ReplayOptions& options, std::size_t malformed, std::size_t oversize) {
    Sender sender(options, nullptr);
    const std::string valid = primerDatagram(unixNow());
    for (std::size_t k = 0; k < malformed; ++k)
        sender.send(options.trafficPort, malformedDatagram(valid, k), 0, "malformed");
    for (std::size_t k = 0; k < oversize; ++k) sender.send(options.trafficPort, oversizeDatagram(), 0, "oversize");
}

}  // namespace realtraffic
