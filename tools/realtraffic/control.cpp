#include "tools/realtraffic/control.h"

#include <fmt/format.h>

#include <charconv>
#include <cmath>
#include <sstream>
#include <string>

#include "tools/realtraffic/scenario.h"

namespace realtraffic {

std::vector<ControlAction> parseControl(std::string_view text) {
    std::vector<ControlAction> actions;
    std::istringstream in{std::string(text)};
    std::string line;
    for (int number = 1; std::getline(in, line); ++number) {
        std::istringstream words(line);
        std::vector<std::string> w;
        for (std::string word; words >> word;) w.push_back(word);
        if (w.empty() || w[0].starts_with('#')) continue;
        const auto fail = [&](const std::string& what) {
            throw StandInError(fmt::format("control line {}: {}", number, what));
        };
        const auto count = [&](const std::string& word) {
            std::size_t value = 0;
            const auto [end, ec] = std::from_chars(word.data(), word.data() + word.size(), value);
            if (ec != std::errc() || end != word.data() + word.size() || value > 10000)
                fail(fmt::format("'{}' is not a count from 0 to 10000", word));
            return value;
        };
        ControlAction action;
        if (w[0] == "drop-link" && w.size() == 2) {
            action.kind = ControlAction::Kind::dropLink;
            const auto [end, ec] = std::from_chars(w[1].data(), w[1].data() + w[1].size(), action.seconds);
            if (ec != std::errc() || end != w[1].data() + w[1].size() || !(action.seconds > 0 && action.seconds <= 3600))
                fail(fmt::format("'{}' is not a time in seconds above 0 and up to 3600", w[1]));
        } else if (w[0] == "burst" && w.size() == 3) {
            action.kind = ControlAction::Kind::burst;
            action.malformed = count(w[1]);
            action.oversize = count(w[2]);
        } else if (w[0] == "stop" && w.size() == 1) {
            action.kind = ControlAction::Kind::stop;
        } else {
            fail(fmt::format("'{}' is not drop-link <seconds>, burst <malformed> <oversize> or stop", line));
        }
        actions.push_back(action);
    }
    return actions;
}

}  // namespace realtraffic
