#include "support/store_fixture.h"

#include <future>

#include "settings/parameter_store.h"
#include "settings/settings.h"

namespace testing_support {

void resetAllParameters() {
    for (BoolParam* p : g_boolParams) p->value = p->defaultValue;
    for (CheckBoxParam* p : g_checkBoxParams) p->value = p->defaultValue;
    for (IntParam* p : g_intParams) p->value = p->defaultValue;
    for (ChoiceParam* p : g_choiceParams) p->value = p->defaultValue;
    for (StringParam* p : g_stringParams) p->value = p->defaultValue;
    for (EditParam* p : g_editParams) p->value = p->defaultValue;
    parking_percentage.value = parking_percentage.defaultValue;
    CALLSIGN_2_OBJECTID.value = CALLSIGN_2_OBJECTID.defaultValue;
    CALLSIGN_2_OBJECTID.setCallsigns({});
    PROGRAM_VERSION.defaultValue.clear();
    PROGRAM_VERSION.value = "";
    g_globalSettingsBackup = GlobalSettingsBackup{};
    g_rangeNm = 40.0;
    g_rangeMeters = 74080;
}

std::string storedParameterValue(const std::filesystem::path& path, const std::string& key) {
    pugi::xml_document doc;
    if (!doc.load_file(path.c_str())) return "<no file>";
    for (const auto element : doc.child("root").child("parameters").children("parameter"))
        if (key == element.attribute("name").value()) return element.attribute("value").value();
    return "<none>";
}

namespace {
// Asked from another thread, since a thread may not try a mutex it holds.
bool storeLocked() {
    return std::async(std::launch::async, [] {
               if (!g_parametersMutex.try_lock()) return true;
               g_parametersMutex.unlock();
               return false;
           })
        .get();
}

std::string keyOf(const WindowControl& control) {
    const auto* param = dynamic_cast<const Parameter*>(&control);
    return param != nullptr ? param->key : "?";
}
}  // namespace

void ControlRecorder::record(std::string text) {
    if (storeLocked()) sawStoreLocked_ = true;
    if (sink_) sink_(text);
    const std::lock_guard lock(mutex_);
    updates_.push_back(std::move(text));
}

void ControlRecorder::setCheck(const CheckBoxParam& param, bool checked) {
    record("check " + param.key + (checked ? " 1" : " 0"));
}
void ControlRecorder::showChoice(const ChoiceParam& param) { record("choice " + param.key); }
void ControlRecorder::selectChoiceAtLeast(const ChoiceParam& param) { record("choice>= " + param.key); }
void ControlRecorder::fillChoice(const ChoiceParam& param) { record("fill " + param.key); }
void ControlRecorder::fillCallsignChoice(const CallsignListParam& param) { record("callsigns " + param.key); }
void ControlRecorder::fillFloatChoice(const FloatChoiceParam& param) { record("fill " + param.key); }
void ControlRecorder::showText(const StringParam& param) { record("text " + param.key); }
void ControlRecorder::enableControl(const WindowControl& control, bool enabled) {
    record("enable " + keyOf(control) + (enabled ? " 1" : " 0"));
}
void ControlRecorder::syncMaxFitChoice() { record("maxfit"); }
void ControlRecorder::setRadius(std::int32_t nm) { record("radius " + std::to_string(nm)); }

std::vector<std::string> ControlRecorder::updates() const {
    const std::lock_guard lock(mutex_);
    return updates_;
}

void ControlRecorder::clear() {
    const std::lock_guard lock(mutex_);
    updates_.clear();
}

StoreTest::StoreTest() : path_(appData_ / "parameters.xml") {
    resetAllParameters();
    gf_setControlUpdates(&recorder_);
}

StoreTest::~StoreTest() {
    gf_setControlUpdates(nullptr);
    EXPECT_FALSE(recorder_.sawStoreLocked()) << "a control was updated while the store held its lock";
    resetAllParameters();
}

pugi::xml_document StoreTest::readDocument() const {
    pugi::xml_document doc;
    const auto result = doc.load_file(path_.c_str());
    EXPECT_TRUE(result) << result.description();
    return doc;
}

std::vector<std::pair<std::string, std::string>> StoreTest::storedPairs() const {
    std::vector<std::pair<std::string, std::string>> pairs;
    const pugi::xml_document doc = readDocument();
    for (const auto element : doc.child("root").child("parameters").children("parameter"))
        pairs.emplace_back(element.attribute("name").value(), element.attribute("value").value());
    return pairs;
}

std::string StoreTest::storedValue(const std::string& key) const {
    for (const auto& [name, value] : storedPairs())
        if (name == key) return value;
    return "<none>";
}

void StoreTest::writePairs(const std::vector<std::pair<std::string, std::string>>& pairs) const {
    pugi::xml_document doc;
    auto parameters = doc.append_child("root").append_child("parameters");
    for (const auto& [name, value] : pairs) {
        auto element = parameters.append_child("parameter");
        element.append_attribute("name").set_value(name.c_str());
        element.append_attribute("value").set_value(value.c_str());
    }
    ASSERT_TRUE(doc.save_file(path_.c_str()));
}

}  // namespace testing_support
