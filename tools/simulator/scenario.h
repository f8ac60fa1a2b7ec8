// The command line and the scenario files of the stand-in. Both speak the
// same keys: "--frame-rate 60" on the command line is "frame-rate 60" on a
// line of a scenario file. README.md lists every key.
#pragma once

#include <stdexcept>
#include <string>
#include <vector>

#include "tools/simulator/config.h"

namespace simulator {

// A wrong key or value; the text names the file and line or the option.
class ScenarioError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

struct CommandLine {
    SimulatorConfig config;
    bool help = false;
};

// Reads the arguments (without the program name) into a configuration;
// "--scenario FILE" reads a file in place. Throws ScenarioError.
CommandLine parseCommandLine(const std::vector<std::string>& arguments);

// Applies the lines of a scenario text; `where` names it in error messages.
void applyScenarioText(SimulatorConfig& config, const std::string& text, const std::string& where);

// The lines of a control file: actions as after "at T" (quit, drop, frames
// off, refuse-titles on, ...), to run at once. Throws ScenarioError.
std::vector<ScriptAction> parseControlText(const std::string& text, const std::string& where);

std::string usageText();

}  // namespace simulator
