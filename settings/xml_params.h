// Settings stored as <parameter name="KEY" value="..."/> elements under
// root/parameters: the readers and node writers that parameters.xml and the
// airport stand files share, and the log line of one parameter.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include <pugixml.hpp>

#include "settings/parameters.h"

// The parameters element: under "root", or under the document itself when a
// file has no "root"; empty when there is none.
pugi::xml_node gf_parametersNode(const pugi::xml_node& document);

// The value of the first "parameter" whose name equals the key exactly. A
// match without "value" reads as false, 0 or "". No match: no result.
std::optional<bool> gf_readXmlBoolParam(const pugi::xml_node& document, std::string_view key);
std::optional<std::int32_t> gf_readXmlIntParam(const pugi::xml_node& document, std::string_view key);
std::optional<std::string> gf_readXmlStringParam(const pugi::xml_node& document, std::string_view key);

// Append a "parameter" element with "name" and "value"; false when a node or
// attribute cannot be added.
bool gf_appendXmlBoolParam(pugi::xml_node parent, std::string_view key, bool value);
bool gf_appendXmlIntParam(pugi::xml_node parent, std::string_view key, std::int32_t value);
bool lf_appendStringParamNode(pugi::xml_node parent, std::string_view key, std::string_view value);
// Appends one attribute and sets its text.
bool gf_addAttribute(pugi::xml_node node, const char* name, std::string_view text);
// Sets "value" of an existing element, appending the attribute when missing.
bool lf_setParamAttribute(pugi::xml_node element, std::string_view text);

// The texts a value is stored as: "true"/"false", decimal, the text itself.
std::string gf_paramValueText(bool value);
std::string gf_paramValueText(std::int32_t value);

// One log line per parameter (KEY=true, KEY=12, KEY="text"), not written
// while a stop has been requested.
void lf_logBoolParam(const BoolParam& param);
void lf_logIntParam(const IntParam& param);
void lf_logStringParam(const StringParam& param);
// "===> adding xml parameter KEY with VALUE failed!"
void lf_logFailedAppend(std::string_view key, std::string_view valueText);
