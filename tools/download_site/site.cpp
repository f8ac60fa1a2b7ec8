#include "tools/download_site/site.h"

#include <fmt/format.h>

#include <cctype>
#include <fstream>
#include <optional>
#include <sstream>
#include <vector>

namespace fs = std::filesystem;

namespace download_site {
namespace {
constexpr std::string_view kPrefix = "/downloads/";

Answer fault(std::string text) {
    Answer a;
    a.status = 400;
    a.fault = true;
    a.body = text + "\n";
    a.length = a.body.size();
    a.logLine = "FAULT " + text;
    return a;
}

std::vector<std::string_view> lines(std::string_view head) {
    std::vector<std::string_view> out;
    while (!head.empty()) {
        const auto end = head.find("\r\n");
        if (end == std::string_view::npos) {
            out.push_back(head);
            break;
        }
        out.push_back(head.substr(0, end));
        head.remove_prefix(end + 2);
    }
    return out;
}

bool equalsIgnoringCase(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i)
        if (std::tolower(static_cast<unsigned char>(a[i])) != std::tolower(static_cast<unsigned char>(b[i])))
            return false;
    return true;
}

// "%20" and the other escapes of a URL path; none for a bad escape.
std::optional<std::string> decoded(std::string_view path) {
    std::string text;
    for (std::size_t i = 0; i < path.size(); ++i) {
        if (path[i] != '%') {
            text += path[i];
            continue;
        }
        if (i + 2 >= path.size() || !std::isxdigit(static_cast<unsigned char>(path[i + 1])) ||
            !std::isxdigit(static_cast<unsigned char>(path[i + 2])))
            return std::nullopt;
        text += static_cast<char>(std::stoi(std::string(path.substr(i + 1, 2)), nullptr, 16));
        i += 2;
    }
    return text;
}

// The file below the root; none when a piece is empty, "." or "..", or holds a backslash or NUL.
std::optional<fs::path> fileBelow(const fs::path& root, std::string_view relative) {
    fs::path file = root;
    std::size_t start = 0;
    while (true) {
        const auto slash = relative.find('/', start);
        const std::string_view piece = relative.substr(start, slash == std::string_view::npos ? slash : slash - start);
        if (piece.empty() || piece == "." || piece == ".." || piece.find_first_of(std::string_view("\\\0:", 3)) !=
                                                                  std::string_view::npos)
            return std::nullopt;
        file /= std::string(piece);
        if (slash == std::string_view::npos) return file;
        start = slash + 1;
    }
}
}  // namespace

Answer answer(const fs::path& root, std::string_view head) {
    const std::vector<std::string_view> headLines = lines(head);
    if (headLines.empty()) return fault("empty request");
    const std::string_view requestLine = headLines.front();
    const auto firstBlank = requestLine.find(' ');
    const auto lastBlank = requestLine.rfind(' ');
    if (firstBlank == std::string_view::npos || lastBlank == firstBlank || !requestLine.substr(lastBlank + 1).starts_with("HTTP/1."))
        return fault(fmt::format("bad request line '{}'", requestLine));
    const std::string_view method = requestLine.substr(0, firstBlank);
    const std::string_view target = requestLine.substr(firstBlank + 1, lastBlank - firstBlank - 1);
    if (method != "GET") return fault(fmt::format("method {} of {}", method, target));
    std::string_view agent;
    for (std::size_t i = 1; i < headLines.size(); ++i) {
        const std::string_view line = headLines[i];
        const auto colon = line.find(':');
        if (colon != std::string_view::npos && equalsIgnoringCase(line.substr(0, colon), "User-Agent")) {
            agent = line.substr(colon + 1);
            while (!agent.empty() && agent.front() == ' ') agent.remove_prefix(1);
        }
    }
    if (agent != "VLNT") return fault(fmt::format("user agent '{}' for {}", agent, target));
    if (!target.starts_with(kPrefix)) return fault(fmt::format("{} is not below {}", target, kPrefix));
    const auto path = decoded(target.substr(kPrefix.size()));
    const auto file = path ? fileBelow(root, *path) : std::nullopt;
    if (!file) return fault(fmt::format("{} names no file of the site", target));

    Answer a;
    std::error_code error;
    if (!fs::is_regular_file(*file, error)) {
        a.status = 404;
        a.body = "not found\n";
        a.length = a.body.size();
    } else {
        std::ifstream in(*file, std::ios::binary);
        std::ostringstream bytes;
        bytes << in.rdbuf();
        a.body = bytes.str();
        a.length = a.body.size();
    }
    a.logLine = fmt::format("{} {} {} {}", method, target, a.status, a.length);
    return a;
}

std::string responseBytes(const Answer& a) {
    const char* reason = a.status == 200 ? "OK" : a.status == 404 ? "Not Found" : "Bad Request";
    return fmt::format("HTTP/1.1 {} {}\r\nContent-Length: {}\r\nContent-Type: application/octet-stream\r\n"
                       "Connection: close\r\n\r\n{}",
                       a.status, reason, a.length, a.body);
}

}  // namespace download_site
