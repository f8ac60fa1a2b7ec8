// A test of the updater against a download site on this machine: a fresh
// working folder with "input" and "output", parameters.xml in its own
// folder, the site's base address pointing at the test server, and the
// main window a recorder of repainted bands.
#pragma once

#include <map>
#include <string>
#include <utility>
#include <vector>

#include "platform/window_host.h"
#include "support/environment.h"
#include "support/http_test_server.h"
#include "support/store_fixture.h"
#include "tools/encipher/encipher.h"

namespace updater_testing {

using Items = std::vector<std::pair<std::string, std::string>>;

class SiteTest : public testing_support::StoreTest, public platform::WindowHost {
protected:
    SiteTest();
    ~SiteTest() override;

    // The program's own version, "11.0.2".
    static std::string program();
    // The version list the site serves.
    void serveVersions(const Items& items);
    // The three data files under the major version's folder.
    void serveDataFiles();
    static const std::map<std::string, std::string>& dataFileBodies();
    // The plain text enciphered as a data file of the site.
    static std::string encipheredBody(const std::string& plain,
                                      encipher::FinalChunk final = encipher::FinalChunk::LastData);
    // An installed program: the three data files hold "installed", a livery
    // scan result exists, and the version settings have these values.
    void installEverything(const Items& settings);

    // The paths requested since the last mark (or the start).
    std::vector<std::string> requestedPaths() const;
    void markRequests();
    // The log lines from the first one that begins with the text on.
    std::vector<std::string> logLinesFrom(const std::string& start) const;
    // How often the controls band was repainted.
    int controlRepaints() const { return controlRepaints_; }

    void postAppMessage(std::uint32_t) override {}
    void invalidateBand(const platform::Band& band) override;

    testing_support::HttpTestServer server;
    // Loopback requests must never go through a proxy the machine may name.
    testing_support::ScopedEnvironment noProxy{"no_proxy", "*"};
    testing_support::ScopedEnvironment site;

private:
    std::size_t mark_ = 0;
    int controlRepaints_ = 0;
};

}  // namespace updater_testing
