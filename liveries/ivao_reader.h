// The scan worker of the IVAO MTL model set: one aircraft folder per model
// code, named "IVAO_" and the code, below a folder "IVAO_MTL". The model code
// comes from the folder's name and the airline from the livery title, which
// begins with the model code and the airline's three letters.
#pragma once

#include <filesystem>
#include <string>

#include "liveries/cfg_reader.h"

// The liveries of the file; none when its path does not fit the model set.
// The count of running workers is the caller's. An exception is logged and
// thrown on.
LiveryList lf_searchLiveriesinIVAOFile(int folderNumber, const std::filesystem::path& cfgPath);
// The model code of the file's folder, checked like an atc_model value; ""
// (reported) when the path does not end in IVAO_MTL/IVAO_<code>/aircraft.cfg.
std::string lf_ivaoModelFix(const std::filesystem::path& cfgPath);
// The code of an IVAO_ folder name as the data base spells it.
std::string lf_ivaoFolderCode(std::string code);
// The sections, each ended also by any line that holds a "[", and their
// complete liveries.
LiveryList lf_walkIvaoSections(int folderNumber, const CfgLines& lines, const std::string& atcModel,
                               const std::filesystem::path& cfgPath, const std::filesystem::path& cfgFolder);
// The section's livery; an empty record (all ids 0) when it yields none.
LiveryData lf_procesIvaoFltSimSection(int folderNumber, const CfgLines& section, const std::string& atcModel,
                                      const std::filesystem::path& cfgPath, const std::filesystem::path& cfgFolder);
// The airline code a title names after the model code (model code, white
// space, three word characters, letters of the model code in any case); ""
// when the title does not begin so.
std::string lf_ivaoTitleAirline(std::string_view title, std::string_view modelCode);
