// The answers of the stand-in download site: a folder served read-only below
// "/downloads/" the way the maker's site serves its files. It is strict: a
// request the program would never send (another method, no "VLNT" user
// agent, a path outside "/downloads/" or one that climbs out of the folder)
// is answered 400 and counted as a fault.
#pragma once

#include <cstddef>
#include <filesystem>
#include <string>
#include <string_view>

namespace download_site {

struct Answer {
    int status = 200;
    std::string body;       // the file for 200, else a short text
    std::size_t length = 0; // Content-Length
    bool fault = false;     // the request broke the protocol
    std::string logLine;    // "GET /downloads/x 200 123" or the fault
};

// The answer to one request head (request line and header lines, each ending
// in CR LF, up to the empty line).
Answer answer(const std::filesystem::path& root, std::string_view head);
// The whole HTTP/1.1 response, closing the connection.
std::string responseBytes(const Answer& answer);

}  // namespace download_site
