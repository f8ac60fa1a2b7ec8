// The parameter store: every listed setting in parameters.xml under the
// program's AppData folder. Each function takes the file's path (the real one
// by default) so that tests can work in a temporary folder.
//
// One mutex serialises every load-change-save of the file, so two threads
// saving different settings never lose each other's change. Control updates
// are applied after the mutex is released (see settings/control_updates.h).
// Every write goes to a temporary file in the same folder that then replaces
// parameters.xml, so an interrupted save leaves the previous file intact.
#pragma once

#include <cstdint>
#include <filesystem>
#include <mutex>
#include <string>

#include "foundation/version.h"
#include "settings/file_names.h"
#include "settings/parameters.h"
#include "settings/program_version.h"

// The user's own values of the eight per-airport settings, taken just before
// a park airport's file replaces them and put back when the airport is left.
struct GlobalSettingsBackup {
    std::int32_t maxLiveSel = 0;
    std::int32_t maxFit = 0;
    std::int32_t range = 0;
    std::int32_t parkingPercentage = 0;
    bool autoRange = false;
    bool initialLoadOnly = false;
    bool parkSoft = false;
    bool week = false;
    bool taken = false;  // holds values that have not been put back yet
};

extern std::mutex g_parametersMutex;                  // any thread; serialises the store; taken before the log mutex
extern GlobalSettingsBackup g_globalSettingsBackup;  // traffic thread; guarded by g_parametersMutex

// Loads every listed setting (clamping ints to their range, appending missing
// keys with their defaults). True when the file was missing, unreadable or
// without a parameters element and was created anew with the defaults (an
// existing file is first kept as its backup generation, parameters0.xml).
// Afterwards g_rangeNm and g_rangeMeters follow RANGE.
bool gf_loadParameters(const std::filesystem::path& path = g_parametersPath);
// Writes the whole file from the current values, or from the defaults (the
// file then records this program's version).
void gf_saveParameters(bool writeDefaults, const std::filesystem::path& path = g_parametersPath);

// Persist one setting's current value: every element with its key gets the
// value (one is appended when there is none). When the file does not load,
// it is kept as its backup generation and written whole from the values in
// memory.
void gf_saveBoolParam(const BoolParam& param, const std::filesystem::path& path = g_parametersPath);
void gf_saveIntParam(const IntParam& param, const std::filesystem::path& path = g_parametersPath);
void gf_saveStringParam(const StringParam& param, const std::filesystem::path& path = g_parametersPath);
// Assigns the text and persists it.
void gf_setStringParam(StringParam& param, std::string text, const std::filesystem::path& path = g_parametersPath);

// Rewrites a file that has no "root" element from the current values.
void gf_wrapParametersRoot(const std::filesystem::path& path = g_parametersPath);

// Stores this program's version after a version change; true when the
// stored version was below 11.0.2, too old to keep (the file is then first
// kept as parameters0.xml). A stored text that is no version counts as none:
// it is replaced and the settings stay. After an update that is not too old
// the "new_version" folder is removed (file-system errors throw).
bool gf_checkVersionUpdate(const std::filesystem::path& path = g_parametersPath,
                           const VersionData& programVersion = g_programVersion);

// The start-up entry: loads the file; a new file switches both scans on; a
// file of a too old version is replaced by the defaults (the loaded values
// stay in effect until the next start).
void gf_initParameters(const std::filesystem::path& path = g_parametersPath,
                       const VersionData& programVersion = g_programVersion);

// Before the window exists: reads MAIN_WINDOW_X and MAIN_WINDOW_Y (clamped;
// the defaults when absent) when the file exists. A file that fails to parse
// is logged, kept as parameters0.xml and removed, so the store later starts
// from the defaults. True when the file was read (the window then checks
// that the position lies on a monitor).
bool gf_loadWindowPosition(const std::filesystem::path& path = g_parametersPath);

// Copies the current values of the eight per-airport settings into
// g_globalSettingsBackup, unless it already holds values not yet put back
// (those are the user's own).
void gf_backupGlobalSettings();
// Puts the backed-up values back, each only when it differs from the current
// one, persists them and updates their controls. Does nothing when no
// backup was taken.
void gf_applyChangedParams(const std::filesystem::path& path = g_parametersPath);

// Shows a string setting's value in its control.
void gf_showParamText(const StringParam& param);
