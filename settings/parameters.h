// The family of parameter classes: every setting, and every push button of the
// main window, is one global object of these classes. Objects are never copied.
// Values are atomics (texts are SharedText) because the window and the start-up
// thread write them while every other thread reads them.
#pragma once

#include <atomic>
#include <cstdint>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "settings/shared_text.h"

// A window handle as portable code sees it.
using WindowHandle = void*;

class Parameter {
public:
    explicit Parameter(std::string key) : key(std::move(key)) {}
    Parameter(const Parameter&) = delete;
    Parameter& operator=(const Parameter&) = delete;
    virtual ~Parameter() = default;

    std::string key;  // the name in parameters.xml; a push button's label
};

class BoolParam : public Parameter {
public:
    BoolParam(std::string key, bool defaultValue)
        : Parameter(std::move(key)), defaultValue(defaultValue), minimum(defaultValue), maximum(defaultValue),
          value(defaultValue) {}

    bool defaultValue;
    bool minimum;
    bool maximum;
    std::atomic<bool> value;
};

class IntParam : public Parameter {
public:
    IntParam(std::string key, std::int32_t defaultValue, std::int32_t minimum, std::int32_t maximum)
        : Parameter(std::move(key)), defaultValue(defaultValue), minimum(minimum), maximum(maximum),
          value(defaultValue) {}

    std::int32_t defaultValue;
    std::int32_t minimum;
    std::int32_t maximum;
    std::atomic<std::int32_t> value;
};

class StringParam : public Parameter {
public:
    StringParam(std::string key, std::string defaultValue)
        : Parameter(std::move(key)), defaultValue(defaultValue), minimum(defaultValue), maximum(defaultValue),
          value(std::move(defaultValue)) {}

    std::string defaultValue;
    std::string minimum;
    std::string maximum;
    SharedText value;
};

// The second base of every parameter that has a control in the main window.
class WindowControl {
public:
    WindowControl(std::uint16_t controlId, std::int32_t row) : controlId(controlId), row(row) {}
    WindowControl(const WindowControl&) = delete;
    WindowControl& operator=(const WindowControl&) = delete;
    virtual ~WindowControl() = default;

    std::uint16_t controlId;  // child-window id and WM_COMMAND id
    std::int32_t row;         // y of the control in the client area
    std::atomic<WindowHandle> controlHandle{nullptr};   // set when the window creates the control
    std::atomic<std::intptr_t> previousWindowProc{0};   // the procedure a subclassed edit field replaced
};

class CheckBoxParam : public BoolParam, public WindowControl {
public:
    CheckBoxParam(std::string key, bool defaultValue, std::uint16_t controlId, std::int32_t row)
        : BoolParam(std::move(key), defaultValue), WindowControl(controlId, row) {}
};

class ChoiceParam : public IntParam, public WindowControl {
public:
    ChoiceParam(std::string key, std::int32_t defaultValue, const std::vector<std::int32_t>& values,
                std::uint16_t controlId, std::int32_t row)
        : IntParam(std::move(key), defaultValue, values.front(), values.back()), WindowControl(controlId, row),
          values(values) {}

    std::vector<std::int32_t> values;  // the allowed values in display order
};

class FloatChoiceParam : public Parameter, public WindowControl {
public:
    FloatChoiceParam(std::string key, float defaultValue, const std::vector<float>& values,
                     std::uint16_t controlId, std::int32_t row)
        : Parameter(std::move(key)), WindowControl(controlId, row), defaultValue(defaultValue),
          minimum(values.front()), maximum(values.back()), value(defaultValue), values(values) {}

    float defaultValue;
    float minimum;
    float maximum;
    std::atomic<float> value;
    std::vector<float> values;
};

class EditParam : public StringParam, public WindowControl {
public:
    EditParam(std::string key, std::string defaultValue, std::uint16_t controlId, std::int32_t row)
        : StringParam(std::move(key), std::move(defaultValue)), WindowControl(controlId, row) {}
};

// The callsigns offered by the drop-down list. The traffic engine publishes a
// new list; the window reads the latest one.
class CallsignListParam : public EditParam {
public:
    using List = std::vector<std::string>;
    using EditParam::EditParam;

    std::shared_ptr<const List> callsigns() const {
        const std::lock_guard lock(listMutex_);
        return list_;
    }
    void setCallsigns(List list) {
        auto fresh = std::make_shared<const List>(std::move(list));
        const std::lock_guard lock(listMutex_);
        list_ = std::move(fresh);
    }

private:
    mutable std::mutex listMutex_;
    std::shared_ptr<const List> list_ = std::make_shared<const List>();
};

class ButtonParam : public Parameter, public WindowControl {
public:
    ButtonParam(std::string label, std::uint16_t controlId, std::int32_t row)
        : Parameter(std::move(label)), WindowControl(controlId, row) {}
};
