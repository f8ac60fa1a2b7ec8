// Runs the stand-in program in this process on its own thread, as its
// command line would, and talks to it over a real connection.
#pragma once

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <future>
#include <thread>

#include "golden_packets.h"
#include "support/wait.h"
#include "tools/simulator/simulator_main.h"
#include "tools/simulator/transport.h"

namespace golden {

class RunningStandIn {
public:
    explicit RunningStandIn(std::vector<std::string> arguments) {
        std::future<simulator::Endpoints> ready = ready_.get_future();
        thread_ = std::thread([this, arguments] {
            exitCode_ = simulator::simulatorMain(arguments, stop_, [this](const simulator::Endpoints& e) {
                ready_.set_value(e);
                announced_ = true;
            });
            if (!announced_) ready_.set_value(simulator::Endpoints{});
        });
        if (ready.wait_for(testing_support::kSafety) == std::future_status::ready) endpoints_ = ready.get();
    }
    ~RunningStandIn() {
        stop_ = true;
        if (thread_.joinable()) thread_.join();
    }
    RunningStandIn(const RunningStandIn&) = delete;
    RunningStandIn& operator=(const RunningStandIn&) = delete;

    const simulator::Endpoints& endpoints() const { return endpoints_; }
    // Waits for the stand-in to end by itself (its client count reached).
    int join() {
        thread_.join();
        return exitCode_;
    }
    int stop() {
        stop_ = true;
        return join();
    }

private:
    std::promise<simulator::Endpoints> ready_;
    bool announced_ = false;  // only the server thread touches it
    std::atomic<bool> stop_{false};
    int exitCode_ = -1;
    simulator::Endpoints endpoints_;
    std::thread thread_;
};

struct WireClient {
    std::unique_ptr<simulator::Connection> connection;
    Bytes pending;
    bool closed = false;

    void send(const Bytes& packet) { ASSERT_TRUE(connection->write(packet)); }
    // Reads until the messages so far satisfy `done`, the peer closes or the time is up.
    template <typename Done>
    std::vector<Message> readUntil(Done done, std::chrono::milliseconds limit = testing_support::kSafety) {
        std::vector<Message> got;
        const auto deadline = std::chrono::steady_clock::now() + limit;
        while (!done(got) && !closed && std::chrono::steady_clock::now() < deadline) {
            if (connection->read(pending, 50) == simulator::ReadStatus::Closed) closed = true;
            auto messages = cutMessages(pending);
            got.insert(got.end(), messages.begin(), messages.end());
        }
        return got;
    }
    std::vector<Message> readUntilKind(std::uint32_t id, std::size_t count = 1) {
        return readUntil([&](const std::vector<Message>& got) { return ofKind(got, id).size() >= count; });
    }
};

}  // namespace golden
