#include "support/log_capture.h"

#include <atomic>
#include <sstream>

#include "foundation/log.h"

namespace testing_support {

std::int64_t newSecondEveryCall() {
    static std::atomic<std::int64_t> seconds{0};
    return 1000 * ++seconds;
}

LogCapture::LogCapture() { gf_openLog(); }

LogCapture::~LogCapture() { gf_closeLog(); }

std::vector<std::string> LogCapture::lines() const {
    gf_flushLog();
    std::istringstream in(readFile(dir_ / kLogFileName));
    std::vector<std::string> result;
    for (std::string line; std::getline(in, line);) result.push_back(line);
    return result;
}

bool LogCapture::contains(const std::string& text) const {
    for (const auto& line : lines())
        if (line.find(text) != std::string::npos) return true;
    return false;
}

}  // namespace testing_support
