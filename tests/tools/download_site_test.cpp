#include "tools/download_site/site.h"

#include <gtest/gtest.h>

#include "support/temp_dir.h"

namespace fs = std::filesystem;

namespace {
std::string get(const std::string& target, const std::string& agent = "VLNT") {
    return "GET " + target + " HTTP/1.1\r\nHost: 127.0.0.1\r\nUser-Agent: " + agent + "\r\nAccept: */*\r\n";
}
}  // namespace

TEST(DownloadSite, ServesTheFolderBelowDownloadsAndRefusesWhatTheProgramNeverAsks) {
    testing_support::TempDir site;
    fs::create_directories(site / "P3D" / "archive" / "thirdparty" / "Some Maker");
    testing_support::writeFile(site / "P3D" / "archive" / "thirdparty" / "Some Maker" / "EHAM.xml", "<root/>\n");
    testing_support::writeFile(site / "versions.json", "{}");
    struct Case {
        std::string head;
        int status;
        bool fault;
        std::string body;
    } cases[] = {
        {get("/downloads/P3D/archive/thirdparty/Some%20Maker/EHAM.xml"), 200, false, "<root/>\n"},
        {get("/downloads/versions.json"), 200, false, "{}"},
        {get("/downloads/P3D/archive/stock/EDDF.xml"), 404, false, "not found\n"},
        {get("/downloads/P3D/archive"), 404, false, "not found\n"},
        {get("/downloads/versions.json", "curl/8.0"), 400, true, ""},
        {get("/elsewhere/versions.json"), 400, true, ""},
        {get("/downloads/../secret"), 400, true, ""},
        {get("/downloads/P3D/%2e%2e/%2e%2e/secret"), 400, true, ""},
        {get("/downloads/P3D//x"), 400, true, ""},
        {get("/downloads/bad%2"), 400, true, ""},
        {"POST /downloads/versions.json HTTP/1.1\r\nUser-Agent: VLNT\r\n", 400, true, ""},
        {"nonsense\r\n", 400, true, ""},
        {"", 400, true, ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.head);
        const download_site::Answer a = download_site::answer(site.path(), c.head);
        EXPECT_EQ(a.status, c.status);
        EXPECT_EQ(a.fault, c.fault);
        if (!c.fault) {
            EXPECT_EQ(a.body, c.body);
        }
        EXPECT_EQ(a.length, a.body.size());
    }
    const download_site::Answer ok = download_site::answer(site.path(), get("/downloads/versions.json"));
    EXPECT_EQ(ok.logLine, "GET /downloads/versions.json 200 2");
    EXPECT_EQ(download_site::responseBytes(ok),
              "HTTP/1.1 200 OK\r\nContent-Length: 2\r\nContent-Type: application/octet-stream\r\nConnection: close\r\n\r\n{}");
}
