// Opens the program's log in a fresh current folder and reads it back, so a
// test can assert on the lines a user would find in Log.txt.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "support/temp_dir.h"

namespace testing_support {

// A clock for LogLineLimiter under which every line comes in a second of its
// own: tests that provoke many error lines see each of them.
std::int64_t newSecondEveryCall();

class LogCapture {
public:
    LogCapture();
    ~LogCapture();
    // Every line written so far (the header line included).
    std::vector<std::string> lines() const;
    // True when some line contains the text.
    bool contains(const std::string& text) const;
    const TempDir& dir() const { return dir_; }

private:
    TempDir dir_{true};
};

}  // namespace testing_support
