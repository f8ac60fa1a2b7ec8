// One [fltsim.N] section of an aircraft.cfg turned into at most one livery:
// its keys read, its model, texture and flight-model files checked beside the
// cfg, and airline, model, cargo flag and registration worked out (a
// registration of the data base decides all four codes at once).
#pragma once

#include <filesystem>
#include <string>
#include <utility>
#include <vector>

#include "liveries/cfg_reader.h"

// The values a section's key lines gave.
struct SectionKeys {
    std::string title;
    std::string airline;       // atc_parking_codes (not read for IVAO files)
    std::string parkingTypes;  // atc_parking_types, upper case
    std::string regcode;       // atc_id
    std::string model;
    std::string sim;
    std::string texture;
    bool dropped = false;  // a key came twice (or the airline code was "RFO")
};

// How the keys are read: an IVAO MTL section has no airline key, and its
// atc_id value is taken whole (not cut at ";").
enum class SectionKind { Fltsim, Ivao };

// Reads the key lines of a section (header line first); cfgFolderText names
// the file in the entries.
SectionKeys lf_readSectionKeys(const CfgLines& section, SectionKind kind, const std::string& cfgFolderText,
                               const std::filesystem::path& cfgPath);

// The path of the model folder, texture folder or flight-model file of a
// section beside the cfg.
std::filesystem::path lf_modelFolder(const std::filesystem::path& cfgFolder, const SectionKeys& keys);
std::filesystem::path lf_textureFolder(const std::filesystem::path& cfgFolder, const SectionKeys& keys);
std::filesystem::path lf_flightModelFile(const std::filesystem::path& cfgFolder, const SectionKeys& keys);
// The path is there and of the kind asked for; not found and a name the file
// system refuses count as missing, any other failing status query throws. Within a PathKindMemo's life the
// answer for a path is asked of the file system once.
bool lf_isFolder(const std::filesystem::path& path);
bool lf_isRegularFile(const std::filesystem::path& path);

// Lives while one file is read: its sections mostly share their model folder
// and flight-model file, whose kinds are then looked up once.
class PathKindMemo {
public:
    PathKindMemo();
    ~PathKindMemo();
    PathKindMemo(const PathKindMemo&) = delete;
    PathKindMemo& operator=(const PathKindMemo&) = delete;

private:
    std::vector<std::pair<std::filesystem::path, std::filesystem::file_type>> kinds_;
    std::vector<std::pair<std::filesystem::path, std::filesystem::file_type>>* previous_;
};

// The livery of the section, or an empty list.
LiveryList lf_procesFltSimSection(int folderNumber, const CfgLines& section, const std::string& atcModel,
                                  const std::filesystem::path& cfgPath, const std::filesystem::path& cfgFolder);
