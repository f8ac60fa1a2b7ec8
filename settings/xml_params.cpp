#include "settings/xml_params.h"

#include <fmt/format.h>

#include "foundation/log.h"

namespace {
constexpr const char* kParametersElement = "parameters";
constexpr const char* kParameterElement = "parameter";
constexpr const char* kNameAttribute = "name";
constexpr const char* kValueAttribute = "value";

// The first matching element; its "value" attribute may be missing.
pugi::xml_node findParameter(const pugi::xml_node& document, std::string_view key) {
    for (pugi::xml_node element : gf_parametersNode(document).children(kParameterElement))
        if (std::string_view(element.attribute(kNameAttribute).value()) == key) return element;
    return {};
}

bool appendParameter(pugi::xml_node parent, std::string_view key, std::string_view valueText) {
    pugi::xml_node element = parent.append_child(kParameterElement);
    if (!element) return false;
    const bool named = gf_addAttribute(element, kNameAttribute, key);
    const bool valued = gf_addAttribute(element, kValueAttribute, valueText);
    return named && valued;
}
}  // namespace

pugi::xml_node gf_parametersNode(const pugi::xml_node& document) {
    const pugi::xml_node root = document.child("root");
    return (root ? root : document).child(kParametersElement);
}

std::optional<bool> gf_readXmlBoolParam(const pugi::xml_node& document, std::string_view key) {
    const pugi::xml_node element = findParameter(document, key);
    if (!element) return std::nullopt;
    return element.attribute(kValueAttribute).as_bool();
}

std::optional<std::int32_t> gf_readXmlIntParam(const pugi::xml_node& document, std::string_view key) {
    const pugi::xml_node element = findParameter(document, key);
    if (!element) return std::nullopt;
    return element.attribute(kValueAttribute).as_int();
}

std::optional<std::string> gf_readXmlStringParam(const pugi::xml_node& document, std::string_view key) {
    const pugi::xml_node element = findParameter(document, key);
    if (!element) return std::nullopt;
    return std::string(element.attribute(kValueAttribute).as_string());
}

bool gf_appendXmlBoolParam(pugi::xml_node parent, std::string_view key, bool value) {
    return appendParameter(parent, key, gf_paramValueText(value));
}

bool gf_appendXmlIntParam(pugi::xml_node parent, std::string_view key, std::int32_t value) {
    return appendParameter(parent, key, gf_paramValueText(value));
}

bool lf_appendStringParamNode(pugi::xml_node parent, std::string_view key, std::string_view value) {
    return appendParameter(parent, key, value);
}

bool gf_addAttribute(pugi::xml_node node, const char* name, std::string_view text) {
    pugi::xml_attribute attribute = node.append_attribute(name);
    return attribute && attribute.set_value(std::string(text).c_str());
}

bool lf_setParamAttribute(pugi::xml_node element, std::string_view text) {
    pugi::xml_attribute attribute = element.attribute(kValueAttribute);
    if (!attribute) return gf_addAttribute(element, kValueAttribute, text);
    return attribute.set_value(std::string(text).c_str());
}

std::string gf_paramValueText(bool value) { return value ? "true" : "false"; }
std::string gf_paramValueText(std::int32_t value) { return std::to_string(value); }

void lf_logBoolParam(const BoolParam& param) {
    gf_logUnlessStopping(fmt::format("{}={}", param.key, gf_paramValueText(param.value.load())));
}

void lf_logIntParam(const IntParam& param) {
    gf_logUnlessStopping(fmt::format("{}={}", param.key, param.value.load()));
}

void lf_logStringParam(const StringParam& param) {
    gf_logUnlessStopping(fmt::format("{}=\"{}\"", param.key, param.value.get()));
}

void lf_logFailedAppend(std::string_view key, std::string_view valueText) {
    gf_logUnlessStopping(fmt::format("{}adding xml parameter {} with {} failed!", "===> ", key, valueText));
}
