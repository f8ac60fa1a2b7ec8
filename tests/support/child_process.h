// Runs this test program again as a child process (with extra arguments and
// one extra environment variable) so that a test can kill it at any moment,
// as a crash or a power cut would.
#pragma once

#include <memory>
#include <string>
#include <vector>

namespace testing_support {

class ChildProcess {
public:
    // Starts the child; throws std::runtime_error when it cannot be started.
    ChildProcess(const std::vector<std::string>& arguments, const std::string& variable, const std::string& value);
    ~ChildProcess();
    ChildProcess(const ChildProcess&) = delete;
    ChildProcess& operator=(const ChildProcess&) = delete;

    // Ends the child at once, without letting it clean up, and waits for it.
    void kill();

private:
    struct Handle;
    std::unique_ptr<Handle> handle_;
};

}  // namespace testing_support
