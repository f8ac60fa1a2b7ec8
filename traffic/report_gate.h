// Which reports of an aircraft on the ground show a place it can have got
// to. A real surface feed now and then puts one report tens or hundreds of
// metres off (a stray), and by some parts of an airport its reports jump
// about for minutes on end; followed, they would send the aircraft racing
// to and fro. Traffic thread.
#pragma once

#include <cstdint>
#include <optional>
#include <vector>

#include "traffic/aircraft_records.h"

// The reports to pass on for this one, in order: none while it is held
// back or ignored, the report itself, or the reports held back before it
// when it shows that they were a move after all.
std::vector<PosSample> gf_gateReport(LiveAc& aircraft, const PosSample& report);

// The report taken k reports before the newest (0: the newest), none when
// there is no such report.
const PosSample* gf_takenReport(const LiveAc& aircraft, std::size_t k);

// The newest report held back, none when none is.
const PosSample* gf_newestHeldReport(const LiveAc& aircraft);

// How long (s) the feed was quiet before the newest report of the aircraft.
double gf_reportSilenceS(const LiveAc& aircraft);
// How long (s) before a report taken the one taken before it came (reports
// between them moved nothing); 0 when it is not among the reports taken.
double gf_secondsSinceTakenBefore(const LiveAc& aircraft, const PosSample& report);

// A lone report held back after a stray, within reach of the last report
// taken, that no report has answered by shortly before it falls due (or at
// once): taken as it is, to be passed on.
std::optional<PosSample> gf_takeUnansweredReport(LiveAc& aircraft, std::int32_t now, bool atOnce);
