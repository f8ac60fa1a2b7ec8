// The argument and environment vectors posix_spawn takes, for the tests that
// start processes of their own (POSIX only).
#pragma once

#include <string>
#include <vector>

extern char** environ;

namespace testing_support {

// The program and its arguments; this process's environment plus one
// variable when a name is given. The vectors point into the object's own
// texts, so it is neither copied nor moved.
class SpawnArguments {
public:
    SpawnArguments(const std::string& program, const std::vector<std::string>& arguments,
                   const std::string& variable, const std::string& value)
        : texts_{program}, assignment_(variable + "=" + value) {
        texts_.insert(texts_.end(), arguments.begin(), arguments.end());
        for (std::string& text : texts_) argv_.push_back(text.data());
        argv_.push_back(nullptr);
        for (char** entry = environ; *entry != nullptr; ++entry) envp_.push_back(*entry);
        if (!variable.empty()) envp_.push_back(assignment_.data());
        envp_.push_back(nullptr);
    }
    SpawnArguments(const SpawnArguments&) = delete;
    SpawnArguments& operator=(const SpawnArguments&) = delete;

    const char* program() const { return texts_.front().c_str(); }
    char* const* argv() const { return argv_.data(); }
    char* const* envp() const { return envp_.data(); }

private:
    std::vector<std::string> texts_;
    std::string assignment_;
    std::vector<char*> argv_;
    std::vector<char*> envp_;
};

}  // namespace testing_support
