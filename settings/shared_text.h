// A text that one thread replaces while others read it (string settings such
// as BLOCK_CALLSIGN and DESTINATION, written by the window and read by the
// traffic thread). Every access copies under a small lock.
#pragma once

#include <mutex>
#include <string>
#include <string_view>

class SharedText {
public:
    SharedText() = default;
    explicit SharedText(std::string text) : text_(std::move(text)) {}
    SharedText(const SharedText&) = delete;
    SharedText& operator=(const SharedText&) = delete;

    SharedText& operator=(std::string text) {
        const std::lock_guard lock(mutex_);
        text_ = std::move(text);
        return *this;
    }
    std::string get() const {
        const std::lock_guard lock(mutex_);
        return text_;
    }
    operator std::string() const { return get(); }
    bool empty() const {
        const std::lock_guard lock(mutex_);
        return text_.empty();
    }
    friend bool operator==(const SharedText& a, std::string_view b) {
        const std::lock_guard lock(a.mutex_);
        return a.text_ == b;
    }

private:
    mutable std::mutex mutex_;
    std::string text_;
};
