// Where an airport's stand file comes from (the user's folders, a pointer
// file, or the maker's archive on the download site), the download of an
// archived file, and the path of the learned file that belongs to it.
#pragma once

#include <filesystem>
#include <string>
#include <string_view>

#include "foundation/fixed_code.h"

// "EHAM.xml", and the same as a path; "EHAM.txt" (a pointer file) as a path.
std::string gf_airportFileName(const AirportCode& code);
std::filesystem::path gf_airportXmlPath(const AirportCode& code);
std::filesystem::path gf_airportTxtPath(const AirportCode& code);

// True when the pointer file exists and its first line, without trailing
// white space, names an ".xml" file (any case); line receives it, else "".
bool lf_readPointerFile(const std::filesystem::path& path, std::string& line);
// Fetches the archive's file (a path relative to the archive's root) into
// the target in text mode; "" on success, else "failed to download: '<url>'"
// (logged), and no target file is left.
std::string lf_downloadAirportFile(const std::string& relativePath, const std::filesystem::path& target);
// The learned file of a located file; empty when it has none. A file of the
// my_thirdparty folder whose publisher names no folder learns under the
// add-on folder of the scenery it was generated from (its "BGLpath"). Every
// piece below the learned folder is checked, so no located text, publisher
// or scenery path can lead out of it.
std::filesystem::path lf_learnedFilePath(const std::string& located, const std::string& publisher,
                                         std::string_view bglPath = {});
// The publisher as a folder name of the learned folder: separators become
// blanks, outer blanks go; "" when nothing usable is left ("", "." or "..").
std::string lf_learnedPublisherFolder(std::string_view publisher);
// The text without leading and trailing blanks (" " only).
std::string lf_trimBlanks(std::string_view text);
// A located text that names a local file (below "airports", or an absolute
// path a pointer gave) rather than a file of the archive.
bool lf_isLocalAirportFile(const std::string& located);
// The text of a path as the program logs and returns it.
std::string lf_pathText(const std::filesystem::path& path);
