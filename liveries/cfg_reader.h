// The scan worker of one aircraft.cfg (or sim.cfg): the file is read in any
// encoding, its [fltsim.N] section numbers checked, its model code taken from
// its atc_model line, and each section turned into at most one livery.
// Whatever is wrong becomes a log line or an entry of the scan's report
// lists, never an exception for the user.
#pragma once

#include <filesystem>
#include <functional>
#include <list>
#include <string>
#include <vector>

#include "liveries/livery_record.h"

using LiveryList = std::list<LiveryData>;
using CfgLines = std::vector<std::string>;

// A path from the UTF-8 text of a key's value.
std::filesystem::path lf_cfgPath(const std::string& text);

// The liveries of the file in the order of their sections. The count of
// running workers is the caller's. An exception is logged and thrown on.
LiveryList lf_searchLiveriesinFile(int folderNumber, const std::filesystem::path& cfgPath);

// Reads the file into UTF-8 lines. A file that cannot be read gives a log
// line (marked when asked) and a report entry, and false.
bool lf_readCfgLines(const std::filesystem::path& cfgPath, CfgLines& lines, bool markNoEncoding);
// The section numbers are readable and none is above 10000; a file without
// any section is listed among the empty files and passes.
bool lf_fltsimNumber(const CfgLines& lines, const std::filesystem::path& cfgPath);
// The file's model code from its first atc_model line (anywhere in the
// file), corrected by the data base's fixes; "" when there is none or it is
// unknown (both reported).
std::string lf_readGeneralAtcModel(const std::filesystem::path& cfgPath, const CfgLines& lines);
// A model code the data base knows, the fix of one it corrects (reported as
// a fix), or "" for any other (reported as an invalid model code).
std::string lf_checkedModelCode(const std::string& code, const std::filesystem::path& cfgPath);
// Cuts the lines into [fltsim.N] sections (header line first) and hands each
// to `process`; a line that is no header ends the current section when
// `endsSection` holds for it. Lines outside sections are skipped.
void lf_forEachSection(const CfgLines& lines, bool (*endsSection)(const std::string& line),
                       const std::function<void(const CfgLines& section)>& process);
// Cuts the lines into sections, each ended also by a line whose first "["
// stands at index 0 to 5, and turns each into its livery.
LiveryList lf_walkFltSimSections(int folderNumber, const CfgLines& lines, const std::string& atcModel,
                                 const std::filesystem::path& cfgPath, const std::filesystem::path& cfgFolder);
