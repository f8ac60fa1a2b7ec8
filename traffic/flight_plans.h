// The flight plan of a live aircraft whose origin and destination are known:
// one small AceXML file per AI object in the flight-plan folder, handed to
// the simulator when the object is created and deleted when it is removed.
// Traffic thread.
#pragma once

#include <cstdint>
#include <filesystem>
#include <functional>
#include <string>

struct AcBase;
struct LiveAc;

// g_flightPlanFolder / "{objectId}.pln".
std::filesystem::path gf_flightPlanPath(std::uint32_t objectId);
// Writes the file (LF line ends, ends with an empty line); true when it could be opened.
bool gf_writeFlightPlan(const std::filesystem::path& path, const AcBase& aircraft);
// Writes and assigns the plan of a created object; hasFlightPlan tells
// whether the simulator took it.
void lf_createFlightPlan(LiveAc& aircraft);
// Deletes the plan of a removed object; a failure is logged.
void gf_removeFlightPlan(std::uint32_t objectId);

// The path as the simulator is given it: its own text when the ANSI code
// page holds every character, else the 8.3 short form that shortPath finds
// (when there is one).
std::string lf_simPathText(const std::filesystem::path& path,
                           const std::function<std::filesystem::path(const std::filesystem::path&)>& shortPath);
