#include "site_test.h"

#include <filesystem>

#include "app/services/window_bands.h"
#include "foundation/data_key.h"
#include "foundation/download_site.h"
#include "settings/file_names.h"
#include "settings/parameter_store.h"
#include "settings/program_version.h"
#include "settings/settings.h"
#include "support/shell_fixture.h"
#include "support/temp_dir.h"
#include "support/update_site.h"
#include "tools/encipher/encipher.h"

namespace fs = std::filesystem;

namespace updater_testing {

SiteTest::SiteTest() : site(kDownloadSiteVariable, server.url("/downloads/")) {
    testing_support::resetShellState();
    fs::create_directories(g_inputFolder);
    fs::create_directories(g_outputFolder);
    platform::setWindowHost(this);
    // The start-up has loaded the settings before the version check runs.
    gf_saveParameters(false, path());
    recorder_.clear();
}

SiteTest::~SiteTest() {
    platform::setWindowHost(nullptr);
    testing_support::resetShellState();
}

std::string SiteTest::encipheredBody(const std::string& plain, encipher::FinalChunk final) {
    const testing_support::TempDir folder;
    const fs::path file = folder / "body.enc";
    encipher::encipherBytes(gf_dataKey(), plain, file, final);
    return testing_support::readFile(file);
}

std::string SiteTest::program() { return g_programVersion.toString(); }

void SiteTest::serveVersions(const Items& items) {
    server.route("/downloads/versions.json", {200, testing_support::versionsJsonOf(items)});
}

const std::map<std::string, std::string>& SiteTest::dataFileBodies() {
    // Enciphered with the program's key, as the site's files are.
    static const std::map<std::string, std::string> bodies = [] {
        std::map<std::string, std::string> enciphered;
        for (const auto& [name, plain] : {std::pair{"airports.enc", "airports of the site"},
                                          std::pair{"AIG-regcodes.enc", "regcodes of the site"},
                                          std::pair{"dbase.enc", "data base of the site"}})
            enciphered[name] = encipheredBody(plain);
        return enciphered;
    }();
    return bodies;
}

void SiteTest::serveDataFiles() {
    for (const auto& [name, body] : dataFileBodies()) server.route("/downloads/11/" + name, {200, body});
}

void SiteTest::installEverything(const Items& settings) {
    for (const fs::path* file : {&g_airportsEncPath, &g_aigRegcodesEncPath, &g_dbaseEncPath})
        testing_support::writeFile(*file, "installed");
    testing_support::writeFile(g_liveriesScannedPath, "<root/>");
    for (const auto& [key, value] : settings)
        for (StringParam* param : g_stringParams)
            if (param->key == key) param->value = value;
}

std::vector<std::string> SiteTest::requestedPaths() const {
    std::vector<std::string> paths;
    const auto requests = server.requests();
    for (std::size_t i = mark_; i < requests.size(); ++i) paths.push_back(requests[i].path);
    return paths;
}

void SiteTest::markRequests() { mark_ = server.requests().size(); }

std::vector<std::string> SiteTest::logLinesFrom(const std::string& start) const {
    const std::vector<std::string> lines = log_.lines();
    for (auto it = lines.begin(); it != lines.end(); ++it)
        if (it->rfind(start, 0) == 0) return {it, lines.end()};
    return {};
}

void SiteTest::invalidateBand(const platform::Band& band) {
    if (band.top == kControlsBand.top && band.bottom == kControlsBand.bottom) ++controlRepaints_;
}

}  // namespace updater_testing
