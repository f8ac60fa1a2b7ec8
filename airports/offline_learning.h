// After an add-on airport scan: the generated files of other publishers'
// scenery are copied to "tblo" and zipped into tblo/tblo.zip for the user to
// mail to the program's maker, who learns the real use of their stands off
// line. Start-up thread, after every scan worker was awaited or given up.
#pragma once

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "foundation/fixed_code.h"

// Collects airports/my_thirdparty/CODE.xml of each supported code into
// "tblo", removes the generated file where a pointer file stands beside it,
// zips "tblo" and sets g_tbloFileCount.
void lf_afterAirportScan(const std::vector<AirportCode>& codes);
// Zips the regular files of "tblo" (not the zip itself) into the zip path,
// each under its bare file name; true when at least one file was added and
// the zip was written.
bool gf_zipFolder(const std::filesystem::path& zipPath);
// The file's bytes, nothing when it cannot be read.
std::optional<std::string> lf_readFileBytes(const std::filesystem::path& path);
