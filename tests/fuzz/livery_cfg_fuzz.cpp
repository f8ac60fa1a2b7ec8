// libFuzzer target for the aircraft.cfg readers (scripts/fuzz.sh builds and
// runs it, seeded with the livery tree's files). Any input is the bytes of an
// aircraft.cfg, read once by the ordinary reader and once as a file of the
// IVAO MTL model set, in a folder where every section's model, texture and
// flight-model names "M", "T" and "S" exist. Whatever the bytes, the readers
// throw nothing (a name the file system refuses is a missing path) and
// return only complete liveries with clean titles, each title once per scan.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <set>
#include <string>
#include <system_error>
#include <unistd.h>

#include "liveries/cfg_lines.h"
#include "liveries/cfg_reader.h"
#include "liveries/ivao_reader.h"
#include "liveries/scan_reports.h"
#include "refdata/code_tables.h"
#include "refdata/registrations.h"
#include "refdata/state.h"

namespace fs = std::filesystem;

namespace {
fs::path g_plainCfg;
fs::path g_ivaoCfg;

// The aircraft folders of this run, removed when the fuzzer exits.
struct FolderRemover {
    fs::path root;
    ~FolderRemover() {
        std::error_code error;
        if (!root.empty()) fs::remove_all(root, error);
    }
} g_folders;

void check(bool condition) {
    if (!condition) std::abort();
}

void makeAircraftFolder(const fs::path& folder) {
    fs::create_directories(folder / "model.M");
    fs::create_directories(folder / "texture.T");
    fs::create_directories(folder / "model");
    std::ofstream(folder / "S.air") << "air";
}

// A small data base: known and fixed models, a heavy one, airlines, and
// registrations with and without an airline.
void fillReferenceData() {
    gf_airlineId("");
    gf_modelId("");
    g_icaoModelCodes = {"A320", "B738", "B77W", "C172"};
    g_icaoAirlineCodes = {"AAL", "BAW", "DLH", "UPS"};
    g_modelFixes = {{"B737-800", "B738"}, {"E175", "A320"}};
    for (const auto& code : g_icaoModelCodes) gf_modelId(code);
    for (const auto& code : g_icaoAirlineCodes) gf_airlineId(code);
    g_modelCategorySets[kHeavySet].insert(gf_modelId("B77W"));
    g_modelCategorySets[kLargeSet].insert(gf_modelId("A320"));
    g_modelFixesActive = true;
    g_registrations = {
        {"D-", {}},
        {"D-AIZA", {gf_airlineId("DLH"), 0, gf_modelId("A320"), 0}},
        {"N", {}},
        {"N301UP", {gf_airlineId("UPS"), gf_airlineId("BAW"), gf_modelId("B77W"), 1}},
    };
    gf_sortRegistrations();
}

void writeInput(const fs::path& path, const std::uint8_t* data, std::size_t size) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(data), static_cast<std::streamsize>(size));
}

bool isClean(const std::string& text) {
    return !text.empty() && !lf_isCfgSpace(text.front()) && !lf_isCfgSpace(text.back()) &&
           text.find_first_of("\r\n") == std::string::npos;
}

void checkLiveries(const LiveryList& liveries, std::set<std::string>& titles, bool plainReader) {
    for (const LiveryData& livery : liveries) {
        check(!lf_liveryIncomplete(livery));
        check(isClean(livery.title));
        check(titles.insert(livery.title).second);
        check(livery.folderNumber == 1);
        check(livery.regcode.size() <= 12 && livery.regcode.find_first_of("*,") == std::string::npos);
        if (plainReader) check(livery.title.find("Fictional") == std::string::npos);
    }
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    const fs::path root = fs::temp_directory_path() / ("vlnt-livery-fuzz-" + std::to_string(::getpid()));
    g_folders.root = root;
    g_plainCfg = root / "plain" / "aircraft.cfg";
    g_ivaoCfg = root / "set" / "IVAO_MTL" / "IVAO_B738w" / "aircraft.cfg";
    makeAircraftFolder(g_plainCfg.parent_path());
    makeAircraftFolder(g_ivaoCfg.parent_path());
    fillReferenceData();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    gf_clearLiveryTables();
    writeInput(g_plainCfg, data, size);
    writeInput(g_ivaoCfg, data, size);
    std::set<std::string> titles;
    checkLiveries(lf_searchLiveriesinFile(1, g_plainCfg), titles, true);
    checkLiveries(lf_searchLiveriesinIVAOFile(1, g_ivaoCfg), titles, false);
    for (const std::string& entry : g_incompleteSections.entries) check(!entry.empty());
    return 0;
}
