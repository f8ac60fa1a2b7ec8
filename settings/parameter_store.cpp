#include "settings/parameter_store.h"

#include <fmt/format.h>

#include <algorithm>
#include <system_error>

#include <pugixml.hpp>

#include "foundation/backups.h"
#include "foundation/file_helpers.h"
#include "foundation/log.h"
#include "foundation/strings.h"
#include "foundation/text_convert.h"
#include "settings/control_updates.h"
#include "settings/settings.h"
#include "settings/xml_params.h"

namespace fs = std::filesystem;

std::mutex g_parametersMutex;
GlobalSettingsBackup g_globalSettingsBackup;

namespace {
// Files written by older versions hold text-box values the lists cannot take.
constexpr VersionData kOldestKeptVersion{11, 0, 2};
constexpr double kMetresPerNm = 1852.0;

std::string pathText(const fs::path& path) { return gf_wideToUtf8(path.u16string()); }

// Runs the work under the store's lock and applies the control updates it
// collected once the lock is released (also when the work throws).
template <class Work>
decltype(auto) underStoreLock(Work&& work) {
    ControlUpdateBatch batch;
    struct ApplyAfterUnlock {
        ControlUpdateBatch& batch;
        ~ApplyAfterUnlock() { batch.apply(); }
    } applier{batch};
    const std::lock_guard lock(g_parametersMutex);
    return work(batch);
}

// Per-type access, so one generic walk serves the three value types.
bool currentValue(const BoolParam& p) { return p.value.load(); }
std::int32_t currentValue(const IntParam& p) { return p.value.load(); }
std::string currentValue(const StringParam& p) { return p.value.get(); }

std::string valueText(bool value) { return gf_paramValueText(value); }
std::string valueText(std::int32_t value) { return gf_paramValueText(value); }
std::string valueText(std::string value) { return value; }

std::optional<bool> readValue(const pugi::xml_node& doc, const BoolParam& p) {
    return gf_readXmlBoolParam(doc, p.key);
}
std::optional<std::int32_t> readValue(const pugi::xml_node& doc, const IntParam& p) {
    const auto value = gf_readXmlIntParam(doc, p.key);
    if (!value) return std::nullopt;
    return std::clamp(*value, p.minimum, p.maximum);
}
std::optional<std::string> readValue(const pugi::xml_node& doc, const StringParam& p) {
    return gf_readXmlStringParam(doc, p.key);
}

bool appendValue(pugi::xml_node parent, const BoolParam& p, bool value) {
    return gf_appendXmlBoolParam(parent, p.key, value);
}
bool appendValue(pugi::xml_node parent, const IntParam& p, std::int32_t value) {
    return gf_appendXmlIntParam(parent, p.key, value);
}
bool appendValue(pugi::xml_node parent, const StringParam& p, const std::string& value) {
    return lf_appendStringParamNode(parent, p.key, value);
}

void logParam(const BoolParam& p) { lf_logBoolParam(p); }
void logParam(const IntParam& p) { lf_logIntParam(p); }
void logParam(const StringParam& p) { lf_logStringParam(p); }

// Visits every listed parameter in file order (AIRP_HEIGHT twice) and queues
// the control update that follows each window-bound one.
template <class Visit>
void forEachListed(ControlUpdateBatch& batch, Visit&& visit) {
    for (BoolParam* p : g_boolParams) visit(*p);
    for (CheckBoxParam* p : g_checkBoxParams) {
        visit(static_cast<BoolParam&>(*p));
        batch.setCheck(*p, p->value.load());
    }
    for (IntParam* p : g_intParams) visit(*p);
    for (ChoiceParam* p : g_choiceParams) {
        visit(static_cast<IntParam&>(*p));
        batch.showChoice(*p);
    }
    for (StringParam* p : g_stringParams) visit(*p);
    for (EditParam* p : g_editParams) {
        visit(static_cast<StringParam&>(*p));
        batch.showText(*p);
    }
}

void logBanner(int width1, int width2, bool leadingBreak, bool trailingBreak, std::string_view text) {
    std::string banner;
    gf_makeBanner(banner, width1, width2, leadingBreak, trailingBreak, text);
    gf_log(banner);
}

void logClosingBanner() { logBanner(70, 10, false, true, ""); }

// The readers (the traffic reader's filter, the request for the aircraft in
// the radius) work from these, so they must follow RANGE whenever it changes.
void followRange() {
    const std::int32_t nm = RANGE.value.load();
    g_rangeNm = static_cast<double>(nm);
    g_rangeMeters = static_cast<std::int32_t>(nm * kMetresPerNm);
}

// Keeps a file that is about to be replaced as parameters0.xml.
void keepBackupGeneration(const fs::path& path) {
    std::error_code ec;
    if (fs::exists(path, ec)) gf_save1GenerationOf(path);
}

// A save that failed leaves the file as it was: the user must learn that the
// setting will not be there at the next start.
void saveOrLog(pugi::xml_document& doc, const fs::path& path) {
    if (!gf_saveXmlDocument(doc, path)) gf_logMarked(fmt::format("saving: {} failed", pathText(path)));
}

void saveWhole(bool writeDefaults, const fs::path& path, const VersionData& programVersion,
               ControlUpdateBatch& batch) {
    pugi::xml_document doc;
    pugi::xml_node root = doc.append_child("root");
    if (writeDefaults) PROGRAM_VERSION.defaultValue = programVersion.toString();
    pugi::xml_node parameters = root.append_child("parameters");
    if (parameters) {
        forEachListed(batch, [&](const auto& p) {
            const auto current = currentValue(p);
            if (!appendValue(parameters, p, writeDefaults ? p.defaultValue : current))
                lf_logFailedAppend(p.key, valueText(current));
            logParam(p);
        });
        saveOrLog(doc, path);
    }
    logClosingBanner();
}

void wrapRoot(const fs::path& path, ControlUpdateBatch& batch) {
    gf_log("\nPlacing a root level around a new parameters.xml to make it 100% xml compliance\n");
    saveWhole(false, path, g_programVersion, batch);
}

template <class Param>
void saveOne(const Param& param, const fs::path& path, ControlUpdateBatch& batch) {
    pugi::xml_document doc;
    if (!doc.load_file(path.c_str())) {
        // Never replace the file with this one setting: every other stored
        // value would be lost at the next start.
        keepBackupGeneration(path);
        saveWhole(false, path, g_programVersion, batch);
        return;
    }
    const pugi::xml_node root = doc.child("root");
    pugi::xml_node top = root ? root : static_cast<pugi::xml_node>(doc);
    pugi::xml_node parameters = top.child("parameters");
    if (!parameters) parameters = top.append_child("parameters");
    const std::string text = valueText(currentValue(param));
    bool matched = false;
    for (pugi::xml_node element : parameters.children("parameter")) {
        if (std::string_view(element.attribute("name").value()) != param.key) continue;
        lf_setParamAttribute(element, text);
        matched = true;
    }
    if (!matched) lf_appendStringParamNode(parameters, param.key, text);
    logParam(param);
    if (root)
        saveOrLog(doc, path);
    else
        wrapRoot(path, batch);
}

bool loadAll(const fs::path& path, ControlUpdateBatch& batch) {
    logBanner(70, 0, true, false, "parameters");
    pugi::xml_document doc;
    if (doc.load_file(path.c_str())) {
        gf_log(fmt::format("from '{}'", pathText(path)));
        pugi::xml_node parameters = gf_parametersNode(doc);
        if (parameters) {
            forEachListed(batch, [&](auto& p) {
                if (auto value = readValue(doc, p)) {
                    p.value = std::move(*value);
                } else {
                    p.value = p.defaultValue;
                    appendValue(parameters, p, p.defaultValue);
                }
                logParam(p);
            });
            saveOrLog(doc, path);
            logClosingBanner();
            followRange();
            return false;
        }
    }
    keepBackupGeneration(path);
    gf_log(fmt::format("{} not found, creating new with default values:", pathText(path)));
    saveWhole(true, path, g_programVersion, batch);
    followRange();
    return true;
}

bool checkVersion(const fs::path& path, const VersionData& programVersion, ControlUpdateBatch& batch) {
    const std::string programText = programVersion.toString();
    const std::string stored = PROGRAM_VERSION.value.get();
    if (stored == PROGRAM_VERSION.defaultValue) {
        PROGRAM_VERSION.value = programText;
        saveOne(PROGRAM_VERSION, path, batch);
        return false;
    }
    const std::optional<VersionData> read = gf_readVersion(stored);
    if (!read) {
        // A text that is no version tells nothing about the file's age: it
        // counts as no version at all, so the user's settings stay.
        PROGRAM_VERSION.value = programText;
        saveOne(PROGRAM_VERSION, path, batch);
        return false;
    }
    const VersionData storedVersion = *read;
    const bool tooOld = programVersion > storedVersion && storedVersion < kOldestKeptVersion;
    // The caller replaces a too old file by the defaults: the user's file is
    // kept as it was, before its version is touched.
    if (tooOld) keepBackupGeneration(path);
    if (storedVersion != programVersion) {
        PROGRAM_VERSION.value = programText;
        saveOne(PROGRAM_VERSION, path, batch);
    }
    if (!(programVersion > storedVersion)) return false;
    gf_log(fmt::format("This is a version update from {} -> {}", stored, programText));
    if (tooOld) return true;
    const fs::path newVersionFolder = g_newVersionFolder;
    if (fs::exists(newVersionFolder)) fs::remove_all(newVersionFolder);
    return false;
}
}  // namespace

bool gf_loadParameters(const fs::path& path) {
    return underStoreLock([&](ControlUpdateBatch& batch) { return loadAll(path, batch); });
}

void gf_saveParameters(bool writeDefaults, const fs::path& path) {
    underStoreLock([&](ControlUpdateBatch& batch) { saveWhole(writeDefaults, path, g_programVersion, batch); });
}

void gf_saveBoolParam(const BoolParam& param, const fs::path& path) {
    underStoreLock([&](ControlUpdateBatch& batch) { saveOne(param, path, batch); });
}

void gf_saveIntParam(const IntParam& param, const fs::path& path) {
    underStoreLock([&](ControlUpdateBatch& batch) { saveOne(param, path, batch); });
}

void gf_saveStringParam(const StringParam& param, const fs::path& path) {
    underStoreLock([&](ControlUpdateBatch& batch) { saveOne(param, path, batch); });
}

void gf_setStringParam(StringParam& param, std::string text, const fs::path& path) {
    underStoreLock([&](ControlUpdateBatch& batch) {
        param.value = std::move(text);
        saveOne(param, path, batch);
    });
}

void gf_wrapParametersRoot(const fs::path& path) {
    underStoreLock([&](ControlUpdateBatch& batch) { wrapRoot(path, batch); });
}

bool gf_checkVersionUpdate(const fs::path& path, const VersionData& programVersion) {
    return underStoreLock([&](ControlUpdateBatch& batch) { return checkVersion(path, programVersion, batch); });
}

void gf_initParameters(const fs::path& path, const VersionData& programVersion) {
    underStoreLock([&](ControlUpdateBatch& batch) {
        if (loadAll(path, batch)) {
            for (CheckBoxParam* scan : {&SCAN_LIVERIES, &SCAN_AIRPORTS}) {
                scan->value = true;
                saveOne(*scan, path, batch);
                batch.setCheck(*scan, true);
            }
            return;
        }
        if (!checkVersion(path, programVersion, batch)) return;
        gf_log("\nYour previous version was too old to convert the old text box parameters to the newdropbox "
               "values.");
        gf_log(fmt::format("{} re-starts with default parameter values ...\n", kProgramName));
        saveWhole(true, path, programVersion, batch);
    });
}

bool gf_loadWindowPosition(const fs::path& path) {
    const std::lock_guard lock(g_parametersMutex);
    std::error_code ec;
    if (!fs::exists(path, ec)) return false;
    pugi::xml_document doc;
    const pugi::xml_parse_result result = doc.load_file(path.c_str());
    if (!result) {
        gf_logMarked(fmt::format("{} failed to load ({}). Saved as 0.xml and removed.", pathText(path),
                                 result.description()));
        // Without its copy the file stays; the store replaces it whole later.
        if (gf_save1GenerationOf(path)) gf_removeFileIfExists(path);
        return false;
    }
    for (IntParam* position : {&MAIN_WINDOW_X, &MAIN_WINDOW_Y}) {
        const auto stored = gf_readXmlIntParam(doc, position->key);
        position->value = stored ? std::clamp(*stored, position->minimum, position->maximum) : position->defaultValue;
    }
    return true;
}

void gf_backupGlobalSettings() {
    const std::lock_guard lock(g_parametersMutex);
    GlobalSettingsBackup& backup = g_globalSettingsBackup;
    if (backup.taken) return;
    backup.maxLiveSel = MAX_LIVE_SEL.value;
    backup.maxFit = MAX_FIT.value;
    backup.range = RANGE.value;
    backup.parkingPercentage = parking_percentage.value;
    backup.autoRange = AUTO_RANGE.value;
    backup.initialLoadOnly = INITIAL_LOAD_ONLY.value;
    backup.parkSoft = PARK_SOFT.value;
    backup.week = WEEK.value;
    backup.taken = true;
}

void gf_applyChangedParams(const fs::path& path) {
    underStoreLock([&](ControlUpdateBatch& batch) {
        if (!g_globalSettingsBackup.taken) return;
        const GlobalSettingsBackup saved = g_globalSettingsBackup;
        g_globalSettingsBackup.taken = false;

        const auto putBackInt = [&](IntParam& p, std::int32_t value) {
            if (value == p.value) return false;
            p.value = std::clamp(value, p.minimum, p.maximum);
            saveOne(p, path, batch);
            return true;
        };
        const auto putBackCheck = [&](CheckBoxParam& p, bool value) {
            if (value == p.value) return false;
            p.value = value;
            saveOne(p, path, batch);
            batch.setCheck(p, value);
            return true;
        };

        if (putBackInt(MAX_LIVE_SEL, saved.maxLiveSel)) batch.showChoice(MAX_LIVE_SEL);
        if (putBackInt(MAX_FIT, saved.maxFit)) batch.syncMaxFitChoice();
        if (putBackInt(RANGE, saved.range)) {
            followRange();
            batch.setRadius(saved.range);
        }
        if (putBackInt(parking_percentage, saved.parkingPercentage)) batch.showChoice(parking_percentage);
        if (putBackCheck(AUTO_RANGE, saved.autoRange)) {
            batch.enableControl(RANGE, !saved.autoRange);
            batch.enableControl(AR_ABOVE_HEIGHT, saved.autoRange);
        }
        putBackCheck(INITIAL_LOAD_ONLY, saved.initialLoadOnly);
        putBackCheck(PARK_SOFT, saved.parkSoft);
        putBackCheck(WEEK, saved.week);
    });
}

void gf_showParamText(const StringParam& param) {
    ControlUpdateBatch batch;
    batch.showText(param);
    batch.apply();
}
