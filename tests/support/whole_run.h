// What whole runs of the start-up thread in a test need: the places of the
// run (the roaming folder with the program's folder, and reader ports that
// are free), and the main window's part, the messages the start-up threads
// post, handled on the test's thread as the window thread would.
#pragma once

#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <filesystem>
#include <functional>
#include <mutex>
#include <utility>

#include "app/services/window_messages.h"
#include "platform/window_host.h"
#include "support/free_ports.h"
#include "support/temp_dir.h"

namespace testing_support {

struct RunPlaces {
    TempDir appData;  // the roaming AppData folder
    std::filesystem::path programFolder = appData / "Velantra_P3D";
    std::pair<std::uint16_t, std::uint16_t> ports = freeUdpPorts();
    std::uint16_t qnhPort = ports.first;
    std::uint16_t trafficPort = ports.second;
};

class AppMessageLoop final : public platform::WindowHost {
public:
    void postAppMessage(std::uint32_t appOffset) override {
        {
            const std::lock_guard lock(mutex_);
            messages_.push_back(appOffset);
        }
        wake_.notify_one();
    }
    void invalidateBand(const platform::Band& band) override {
        if (onRepaint) onRepaint(band);
    }
    // What a test reads off each repaint, as the window would paint it then;
    // set before the run starts, called on the thread that asked for it.
    std::function<void(const platform::Band&)> onRepaint;

    // The next start or quit message; 0 when none came in time.
    std::uint32_t next(std::chrono::milliseconds limit) {
        std::unique_lock lock(mutex_);
        for (;;) {
            if (!wake_.wait_for(lock, limit, [this] { return !messages_.empty(); })) return 0;
            const std::uint32_t message = messages_.front();
            messages_.pop_front();
            if (message != WM_APP_STATUS) return message;
        }
    }

private:
    std::mutex mutex_;
    std::condition_variable wake_;
    std::deque<std::uint32_t> messages_;
};

}  // namespace testing_support
