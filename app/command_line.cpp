#include "app/command_line.h"

#include <algorithm>
#include <string_view>

namespace {
bool equalsIgnoringCase(std::string_view a, std::string_view b) {
    const auto lower = [](char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; };
    return a.size() == b.size() &&
           std::equal(a.begin(), a.end(), b.begin(), [&](char x, char y) { return lower(x) == lower(y); });
}
}  // namespace

std::optional<bool> lf_productionSwitch(const std::vector<std::string>& arguments) {
    std::optional<bool> production;
    for (const std::string& argument : arguments) {
        if (equalsIgnoringCase(argument, "--production") || equalsIgnoringCase(argument, "/production"))
            production = true;
        else if (equalsIgnoringCase(argument, "--no-production") || equalsIgnoringCase(argument, "/no-production"))
            production = false;
    }
    return production;
}
