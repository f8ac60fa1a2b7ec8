// Which reports of an aircraft show where it is. A real surface feed now
// and then puts one report tens or hundreds of metres off (a stray), for a
// while puts every report somewhere else (a stretch of jumping positions),
// by some parts of an airport puts the reports at a few spots in turn for
// minutes on end, and flags a ground report airborne now and then; followed,
// they would send the aircraft racing to and fro. The program plays each
// stream 30 s behind the feed, so a report can wait some seconds for the
// reports after it: judged with the reports before and after it, it is
// taken (and passed on to the aircraft's samples) or dropped as scatter, by
// the time it must be queued. Traffic thread.
#pragma once

#include <cstdint>
#include <optional>
#include <vector>

#include "foundation/geodesy.h"
#include "traffic/aircraft_records.h"

// Queues the report of a record of a known aircraft, heard at tick `now`,
// to be judged.
void gf_queueReport(LiveAc& aircraft, const PosSample& report, std::int32_t now);

// Settles the queued reports whose turn has come at tick `now` (each once;
// every one with `atOnce`): the ones taken, oldest first. A report waits
// while the reports after it may still tell, and no longer than 10 s after
// it came, nor than 20 s before it falls due.
std::vector<PosSample> gf_settleReports(LiveAc& aircraft, std::int32_t now, bool atOnce = false);

// The report taken k reports before the newest (0: the newest), none when
// there is no such report.
const PosSample* gf_takenReport(const LiveAc& aircraft, std::size_t k);

// Where the stream stands about `around`: the mean of the reports taken at
// rest (on the ground, no speed shown) from the k-th newest back, as long as
// each lies within the scatter of `around`; none when no such report is.
std::optional<GeoPoint> gf_whereItRests(const LiveAc& aircraft, const PosSample& around, std::size_t k);

// The newest report queued and not yet settled, none when none is.
const PosSample* gf_newestQueuedReport(const LiveAc& aircraft);

// The report heard next after `report`, taken along with it or still queued
// at the gate; none when none has come yet.
const PosSample* gf_heardAfter(const LiveAc& aircraft, const PosSample& report);

// The last report heard of the aircraft, whatever became of it (none before
// the first).
const PosSample* gf_lastHeardReport(const LiveAc& aircraft);
// Every record heard of the aircraft, the ones refused before they were
// queued too, tells when the feed last spoke of it.
void gf_noteHeard(LiveAc& aircraft, const PosSample& report);
// A record refused before it was queued (one that repeats the last, say):
// heard, and where it puts the aircraft breaks any run of reports elsewhere.
void gf_noteRefused(LiveAc& aircraft, const PosSample& report);

// The speed (kt) the positions of the reports taken show on the way to a
// report taken, over 10 s or more (0 when it is not among them, or none
// before it lies that far back).
double gf_shownUpToKt(const LiveAc& aircraft, const PosSample& report);

// How long (s) the feed was quiet before the newest report taken.
double gf_reportSilenceS(const LiveAc& aircraft);
// How long (s) before a report taken the one taken before it came (reports
// between them were dropped); 0 when it is not among the reports taken.
double gf_secondsSinceTakenBefore(const LiveAc& aircraft, const PosSample& report);
// The report taken just before a report taken; none when it is not among
// the reports taken, or is the oldest kept.
const PosSample* gf_takenBefore(const LiveAc& aircraft, const PosSample& report);
