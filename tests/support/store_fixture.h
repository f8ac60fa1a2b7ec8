// A fresh process as far as the settings go: every parameter at its default,
// the log open in a fresh current folder, parameters.xml in its own folder,
// and a recorder of the control updates the store asks of the window.
#pragma once

#include <gtest/gtest.h>

#include <pugixml.hpp>

#include <atomic>
#include <filesystem>
#include <functional>
#include <mutex>
#include <string>
#include <vector>

#include "settings/control_updates.h"
#include "support/log_capture.h"

namespace testing_support {

// Every listed setting and the few unlisted ones back at their defaults.
void resetAllParameters();
// The value of the first parameter element with the key in a parameters.xml
// ("<none>" when absent, "<no file>" when the file does not load).
std::string storedParameterValue(const std::filesystem::path& path, const std::string& key);

// Records control updates as short texts ("check SCAN_LIVERIES 1",
// "choice RANGE", "choice>= RANGE", "fill RANGE", "callsigns CALLSIGN_2_OBJECTID", "text BLOCK_CALLSIGN", "enable RANGE 0", "maxfit",
// "radius 25"), and notes any update made while the store's lock is held.
class ControlRecorder : public ControlUpdates {
public:
    ControlRecorder() = default;
    // Each text also goes to the sink, in the order of the updates.
    explicit ControlRecorder(std::function<void(const std::string&)> sink) : sink_(std::move(sink)) {}

    void setCheck(const CheckBoxParam& param, bool checked) override;
    void showChoice(const ChoiceParam& param) override;
    void selectChoiceAtLeast(const ChoiceParam& param) override;
    void fillCallsignChoice(const CallsignListParam& param) override;
    void fillChoice(const ChoiceParam& param) override;
    void fillFloatChoice(const FloatChoiceParam& param) override;
    void showText(const StringParam& param) override;
    void enableControl(const WindowControl& control, bool enabled) override;
    void syncMaxFitChoice() override;
    void setRadius(std::int32_t nm) override;

    std::vector<std::string> updates() const;
    void clear();
    bool sawStoreLocked() const { return sawStoreLocked_.load(); }

private:
    void record(std::string text);
    std::function<void(const std::string&)> sink_;
    mutable std::mutex mutex_;
    std::vector<std::string> updates_;
    std::atomic<bool> sawStoreLocked_{false};
};

class StoreTest : public ::testing::Test {
protected:
    StoreTest();
    ~StoreTest() override;

    const std::filesystem::path& path() const { return path_; }
    // parameters.xml parsed; fails the test when it does not parse.
    pugi::xml_document readDocument() const;
    // The name/value pairs of the parameter elements in file order.
    std::vector<std::pair<std::string, std::string>> storedPairs() const;
    // The value of the first parameter element with the key ("<none>" when absent).
    std::string storedValue(const std::string& key) const;
    // Writes parameters.xml from name/value pairs under root/parameters.
    void writePairs(const std::vector<std::pair<std::string, std::string>>& pairs) const;

    LogCapture log_;
    TempDir appData_;
    std::filesystem::path path_;
    ControlRecorder recorder_;
};

}  // namespace testing_support
