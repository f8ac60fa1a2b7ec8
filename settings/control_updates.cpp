#include "settings/control_updates.h"

#include <fmt/format.h>

#include <atomic>
#include <exception>

#include "foundation/log.h"

namespace {
std::atomic<ControlUpdates*> g_controlUpdates{nullptr};  // installed by the window thread; read by any thread
}

void gf_setControlUpdates(ControlUpdates* updates) { g_controlUpdates.store(updates); }

void ControlUpdateBatch::setCheck(const CheckBoxParam& param, bool checked) {
    steps_.emplace_back([&param, checked](ControlUpdates& c) { c.setCheck(param, checked); });
}

void ControlUpdateBatch::showChoice(const ChoiceParam& param) {
    steps_.emplace_back([&param](ControlUpdates& c) { c.showChoice(param); });
}

void ControlUpdateBatch::selectChoiceAtLeast(const ChoiceParam& param) {
    steps_.emplace_back([&param](ControlUpdates& c) { c.selectChoiceAtLeast(param); });
}

void ControlUpdateBatch::fillChoice(const ChoiceParam& param) {
    steps_.emplace_back([&param](ControlUpdates& c) { c.fillChoice(param); });
}

void ControlUpdateBatch::fillFloatChoice(const FloatChoiceParam& param) {
    steps_.emplace_back([&param](ControlUpdates& c) { c.fillFloatChoice(param); });
}

void ControlUpdateBatch::showText(const StringParam& param) {
    steps_.emplace_back([&param](ControlUpdates& c) { c.showText(param); });
}

void ControlUpdateBatch::fillCallsignChoice(const CallsignListParam& param) {
    steps_.emplace_back([&param](ControlUpdates& c) { c.fillCallsignChoice(param); });
}

void ControlUpdateBatch::enableControl(const WindowControl& control, bool enabled) {
    steps_.emplace_back([&control, enabled](ControlUpdates& c) { c.enableControl(control, enabled); });
}

void ControlUpdateBatch::syncMaxFitChoice() {
    steps_.emplace_back([](ControlUpdates& c) { c.syncMaxFitChoice(); });
}

void ControlUpdateBatch::setRadius(std::int32_t nm) {
    steps_.emplace_back([nm](ControlUpdates& c) { c.setRadius(nm); });
}

void ControlUpdateBatch::apply() noexcept {
    auto steps = std::move(steps_);
    steps_.clear();
    ControlUpdates* updates = g_controlUpdates.load();
    if (updates == nullptr) return;
    for (const auto& step : steps) {
        try {
            step(*updates);
        } catch (const std::exception& e) {
            gf_logMarked(fmt::format("{} exception: {}", "ControlUpdateBatch::apply", e.what()));
        } catch (...) {
            gf_logMarked(fmt::format("{} exception: {}", "ControlUpdateBatch::apply", "Unknown exception"));
        }
    }
}
