// The program as a user starts it, with the download site on this machine:
// an airport list published on the site is downloaded at the next start and
// read there, and the start after that finds it up to date.
#include <fmt/format.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "foundation/data_key.h"
#include "foundation/download_site.h"
#include "foundation/text_convert.h"
#include "platform/folders.h"
#include "settings/program_version.h"
#include "support/data_set.h"
#include "support/environment.h"
#include "support/http_test_server.h"
#include "support/program_process.h"
#include "support/store_fixture.h"
#include "support/temp_dir.h"
#include "support/update_site.h"
#include "tools/encipher/encipher.h"

namespace fs = std::filesystem;
using namespace std::chrono_literals;
using testing_support::readFile;
using testing_support::TempDir;
using testing_support::writeFile;

namespace {

std::size_t countOf(const std::string& text, const std::string& part) {
    std::size_t count = 0;
    for (std::size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + part.size())) ++count;
    return count;
}

bool logHas(const fs::path& work, const std::string& line) {
    const std::string log = readFile(work / "Log.txt");
    return log.find("\n" + line + "\n") != std::string::npos;
}

// parameters.xml where the program looks for it, put back as it was at the end.
class ParametersFile {
public:
    explicit ParametersFile(const fs::path& appData) {
#ifdef _WIN32
        // The program asks the shell for the roaming folder, whatever APPDATA says.
        (void)appData;
        path_ = platform::roamingAppDataFolder() / "Velantra_P3D" / "parameters.xml";
#else
        path_ = appData / "Velantra_P3D" / "parameters.xml";
#endif
        fs::create_directories(path_.parent_path());
        if (fs::exists(path_)) previous_ = readFile(path_);
    }
    ~ParametersFile() {
        if (previous_)
            writeFile(path_, *previous_);
        else
            fs::remove(path_);
    }
    const fs::path& path() const { return path_; }

private:
    fs::path path_;
    std::optional<std::string> previous_;
};

}  // namespace

TEST(ProgramUpdate, AnAirportListPublishedOnTheSiteIsReadAtTheNextStart) {
    TempDir work;
    TempDir appData;
    TempDir simulator;
    fs::create_directories(work / "docs");
    fs::create_directories(work / "input");
    for (const char* name : {"dbase.enc", "airports.enc"})
        fs::copy_file(testing_support::dataSetFile(name), work / "input" / name);
    const ParametersFile parameters(appData.path());
    writeFile(parameters.path(), fmt::format(R"(<?xml version="1.0" encoding="UTF-8"?>
<root>
  <parameters>
    <parameter name="SIM_INSTALL_PATH" value="{}" />
    <parameter name="AIRPORTS_VERSION" value="11.0.0" />
    <parameter name="DBASE_VERSION" value="11.0.0" />
  </parameters>
</root>
)",
                                             gf_pathToUtf8(simulator.path())));

    // The site's airport list: the installed one and one more airport.
    std::string airportsXml = readFile(testing_support::sourceFile("data/airports.xml"));
    const std::size_t installedCount = countOf(airportsXml, "<ap ");
    airportsXml.insert(airportsXml.find("</airports>"),
                       R"(  <ap c="EHLE" i="LEY" la="52.4603" lo="5.5272" a="-13" s="0" />)" "\n    ");
    const fs::path published = work / "published-airports.enc";
    encipher::encipherBytes(gf_dataKey(), airportsXml, published);

    testing_support::HttpTestServer server;
    const testing_support::ScopedEnvironment noProxy("no_proxy", "*");
    const testing_support::ScopedEnvironment site(kDownloadSiteVariable, server.url("/downloads/"));
    const auto publish = [&](const std::string& airportsVersion) {
        server.route("/downloads/versions.json",
                     {200, testing_support::versionsJsonOf({{"p3d", g_programVersion.toString()},
                                                            {"airports", airportsVersion},
                                                            {"dbase", "11.0.0"}})});
    };
    server.route("/downloads/11/airports.enc", {200, readFile(published)});
    const auto run = [&](const std::string& name) {
        testing_support::ProgramProcess program(work.path(), name, {"--production"}, "APPDATA", appData.path().string());
        EXPECT_EQ(program.waitForExit(120s), 0) << name;
    };
    const auto airportRequests = [&] {
        const auto requests = server.requests();
        return std::count_if(requests.begin(), requests.end(),
                             [](const auto& request) { return request.path == "/downloads/11/airports.enc"; });
    };

    publish("11.0.0");
    run("before");
    EXPECT_TRUE(logHas(work.path(), "airports version up-to-date"));
    EXPECT_TRUE(logHas(work.path(), fmt::format("{:5} airports read", installedCount)));
    EXPECT_EQ(airportRequests(), 0);

    publish("11.1.0");
    run("published");
    EXPECT_TRUE(logHas(work.path(), "airports updated to 11.1.0"));
    EXPECT_TRUE(logHas(work.path(), fmt::format("{:5} airports read", installedCount + 1)));
    EXPECT_EQ(testing_support::storedParameterValue(parameters.path(), "AIRPORTS_VERSION"), "11.1.0");
    EXPECT_EQ(airportRequests(), 1);

    run("after");
    EXPECT_TRUE(logHas(work.path(), "airports version up-to-date"));
    EXPECT_TRUE(logHas(work.path(), fmt::format("{:5} airports read", installedCount + 1)));
    EXPECT_EQ(airportRequests(), 1) << "nothing fetched again";
    EXPECT_FALSE(fs::exists(work / "versions.json"));
}
