#include "foundation/file_helpers.h"

#include <fmt/format.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <random>
#include <system_error>

#include "foundation/log.h"
#include "foundation/strings.h"
#include "foundation/text_convert.h"
#include "platform/files.h"
#include "settings/file_names.h"

namespace fs = std::filesystem;

std::vector<std::string> g_scanLogLines;
std::mutex g_scanLogMutex;

namespace {
std::string utf8(const fs::path& path) { return gf_wideToUtf8(path.u16string()); }

// Tells this process's temporary names from another's writing the same folder.
std::uint32_t processToken() {
    static const std::uint32_t token = [] {
        std::random_device device;
        return static_cast<std::uint32_t>(device()) ^
               static_cast<std::uint32_t>(std::chrono::steady_clock::now().time_since_epoch().count());
    }();
    return token;
}

std::atomic<std::uint64_t> g_temporaryCount{0};  // any thread; atomic

void removeFiles(const fs::path& folder, bool xmlOnly) {
    const fs::file_status status = fs::status(folder);  // throws on errors other than "not found"
    if (!fs::exists(status) || !fs::is_directory(status)) return;
    for (const auto& entry : fs::directory_iterator(folder)) {
        if (!entry.is_regular_file()) continue;
        if (xmlOnly && !lf_isXmlFile(entry)) continue;
        std::error_code ec;
        if (!fs::remove(entry.path(), ec) && ec)
            gf_logMarked(fmt::format("Failed to remove {} ({})", utf8(entry.path()), ec.message()));
    }
}

// Characters, not bytes: a UTF-8 continuation byte starts no character.
std::size_t characterCount(std::string_view utf8Text) {
    return static_cast<std::size_t>(std::count_if(utf8Text.begin(), utf8Text.end(), [](char byte) {
        return (static_cast<unsigned char>(byte) & 0xC0) != 0x80;
    }));
}

bool hasXmlExtension(const fs::path& path) {
    std::string extension = utf8(path.extension());
    gf_toUpper(extension);
    return extension == ".XML";
}
}  // namespace

fs::path gf_temporarySibling(const fs::path& path, std::string_view suffix) {
    fs::path temporary = path;
    temporary += fmt::format(".{:08x}-{}{}", processToken(), ++g_temporaryCount, suffix);
    return temporary;
}

void StdioFileCloser::operator()(std::FILE* file) const {
    if (file != nullptr) std::fclose(file);
}

StdioFile gf_openStdioFile(const fs::path& path, const char* mode) {
#ifdef _WIN32
    const std::wstring wideMode(mode, mode + std::char_traits<char>::length(mode));
    return StdioFile(_wfopen(path.c_str(), wideMode.c_str()));
#else
    return StdioFile(std::fopen(path.c_str(), mode));
#endif
}

void gf_removeFileIfExists(const fs::path& path) {
    std::error_code ec;
    if (!fs::exists(path, ec)) return;
    if (!fs::remove(path, ec) && ec)
        gf_logMarked(fmt::format("Warning: could not remove {}, errorcode: {}", utf8(path), ec.message()));
}

bool gf_writeFileAtomically(const fs::path& path, const std::function<bool(const fs::path&)>& write) {
    const fs::path temporary = gf_temporarySibling(path);
    bool written = false;
    try {
        written = write(temporary);
    } catch (...) {
        written = false;
    }
    std::error_code ec;
    if (written && platform::replaceFile(temporary, path, ec)) return true;
    if (written) gf_logMarked(fmt::format("Could not replace {}: {}", utf8(path), ec.message()));
    fs::remove(temporary, ec);
    return false;
}

bool gf_saveXmlDocument(pugi::xml_document& document, const fs::path& path) {
    pugi::xml_node declaration;
    for (pugi::xml_node child : document.children()) {
        if (child.type() == pugi::node_declaration) {
            declaration = child;
            break;
        }
    }
    if (!declaration) declaration = document.prepend_child(pugi::node_declaration);
    for (const char* name : {"version", "encoding"})
        if (!declaration.attribute(name)) declaration.append_attribute(name);
    declaration.attribute("version").set_value("1.0");
    declaration.attribute("encoding").set_value("UTF-8");
    return gf_writeFileAtomically(path, [&document](const fs::path& temporary) {
        return document.save_file(temporary.c_str(), "  ", pugi::format_indent, pugi::encoding_utf8);
    });
}

void gf_removeFilesFromDirectory(const fs::path& folder) {
    try {
        removeFiles(folder, false);
    } catch (const std::exception& e) {
        gf_logMarked(fmt::format("{} exception: {}", "gf_removeFilesFromDirectory", e.what()));
    }
}

void gf_removeXMLFilesFromDirectory(const fs::path& folder) {
    try {
        removeFiles(folder, true);
    } catch (const std::exception& e) {
        gf_logMarked(fmt::format("{} exception: {}", "gf_removeXMLFilesFromDirectory", e.what()));
    }
}

bool lf_isXmlFile(const fs::directory_entry& entry) { return entry.is_regular_file() && hasXmlExtension(entry.path()); }

std::vector<AirportCode> gf_listXmlFilesIn(const fs::path& folder) {
    std::vector<AirportCode> codes;
    if (!fs::exists(folder)) return codes;
    codes.reserve(512);
    for (const auto& entry : fs::directory_iterator(folder)) {
        if (!entry.is_regular_file() || !hasXmlExtension(entry.path())) continue;
        const std::string stem = utf8(entry.path().stem());
        if (characterCount(stem) != 4) continue;
        codes.emplace_back(stem);
    }
    return codes;
}

std::vector<AirportCode> gf_listXmlFiles() { return gf_listXmlFilesIn(g_myThirdpartyFolder); }

std::string gf_attributeText(const pugi::xml_node& node, const char* name) {
    return node.attribute(name).as_string();
}

std::size_t gf_countDirectoryEntries(const fs::path& folder) {
    std::error_code ec;
    if (!fs::is_directory(folder, ec)) return 0;
    std::size_t count = 0;
    for (fs::directory_iterator it(folder, ec), end; !ec && it != end; it.increment(ec)) ++count;
    return count;
}

void gf_addScanLogLine(const std::string& line) {
    const std::lock_guard lock(g_scanLogMutex);
    g_scanLogLines.push_back(line);
}
