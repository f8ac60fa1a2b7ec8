#include "app/control_model.h"

#include <fmt/format.h>
#include <fmt/ranges.h>

#include "foundation/strings.h"

namespace {
std::string upper(std::string text) {
    gf_toUpper(text);
    return text;
}
}  // namespace

ControlModel::Control* ControlModel::find(std::uint16_t id) {
    const auto found = controls_.find(id);
    return found == controls_.end() ? nullptr : &found->second;
}

void ControlModel::create(const ControlSpec& spec) {
    Control control;
    control.kind = spec.kind;
    control.x = spec.x;
    control.y = gf_controlY(spec);
    control.width = spec.width;
    control.height = spec.height;
    control.style = gf_controlStyle(spec.kind);
    control.enabled = gf_controlStartsEnabled(spec.kind);
    control.text = gf_controlLabel(spec);
    const std::lock_guard lock(mutex_);
    controls_[spec.control->controlId] = control;
}

bool ControlModel::exists(std::uint16_t id) {
    const std::lock_guard lock(mutex_);
    return find(id) != nullptr;
}

void ControlModel::setEnabled(std::uint16_t id, bool enabled) {
    const std::lock_guard lock(mutex_);
    if (Control* c = find(id)) c->enabled = enabled;
}

bool ControlModel::isEnabled(std::uint16_t id) {
    const std::lock_guard lock(mutex_);
    const Control* c = find(id);
    return c != nullptr && c->enabled;
}

void ControlModel::setChecked(std::uint16_t id, bool checked) {
    const std::lock_guard lock(mutex_);
    if (Control* c = find(id)) c->checked = checked;
}

bool ControlModel::isChecked(std::uint16_t id) {
    const std::lock_guard lock(mutex_);
    const Control* c = find(id);
    return c != nullptr && c->checked;
}

void ControlModel::setText(std::uint16_t id, const std::string& text) {
    const std::lock_guard lock(mutex_);
    if (Control* c = find(id)) c->text = text;
}

std::optional<std::string> ControlModel::text(std::uint16_t id) {
    const std::lock_guard lock(mutex_);
    const Control* c = find(id);
    if (c == nullptr) return std::nullopt;
    return c->text;
}

void ControlModel::clearItems(std::uint16_t id) {
    const std::lock_guard lock(mutex_);
    if (Control* c = find(id)) {
        c->items.clear();
        c->selected = -1;
    }
}

void ControlModel::addItem(std::uint16_t id, const std::string& text) {
    const std::lock_guard lock(mutex_);
    if (Control* c = find(id)) c->items.push_back(text);
}

void ControlModel::selectItem(std::uint16_t id, int index) {
    const std::lock_guard lock(mutex_);
    if (Control* c = find(id)) c->selected = index >= 0 && index < static_cast<int>(c->items.size()) ? index : -1;
}

std::optional<int> ControlModel::selectedItem(std::uint16_t id) {
    const std::lock_guard lock(mutex_);
    const Control* c = find(id);
    if (c == nullptr || c->selected < 0) return std::nullopt;
    return c->selected;
}

int ControlModel::itemCount(std::uint16_t id) {
    const std::lock_guard lock(mutex_);
    const Control* c = find(id);
    return c == nullptr ? 0 : static_cast<int>(c->items.size());
}

std::optional<std::string> ControlModel::itemText(std::uint16_t id, int index) {
    const std::lock_guard lock(mutex_);
    const Control* c = find(id);
    if (c == nullptr || index < 0 || index >= static_cast<int>(c->items.size())) return std::nullopt;
    return c->items[static_cast<std::size_t>(index)];
}

std::optional<int> ControlModel::findItemExact(std::uint16_t id, const std::string& text) {
    const std::lock_guard lock(mutex_);
    const Control* c = find(id);
    if (c == nullptr) return std::nullopt;
    for (std::size_t i = 0; i < c->items.size(); ++i)
        if (upper(c->items[i]) == upper(text)) return static_cast<int>(i);
    return std::nullopt;
}

std::optional<int> ControlModel::selectItemWithPrefix(std::uint16_t id, const std::string& prefix) {
    const std::lock_guard lock(mutex_);
    Control* c = find(id);
    if (c == nullptr) return std::nullopt;
    for (std::size_t i = 0; i < c->items.size(); ++i) {
        if (upper(c->items[i]).starts_with(upper(prefix))) {
            c->selected = static_cast<int>(i);
            return c->selected;
        }
    }
    return std::nullopt;
}

ControlModel::Control ControlModel::control(std::uint16_t id) const {
    const std::lock_guard lock(mutex_);
    const auto found = controls_.find(id);
    return found == controls_.end() ? Control{} : found->second;
}

std::string ControlModel::describe(std::uint16_t id) const {
    const Control c = control(id);
    return fmt::format("{} enabled={} checked={} text='{}' items=[{}] selected={}", id, c.enabled, c.checked, c.text,
                       fmt::join(c.items, ","), c.selected);
}
