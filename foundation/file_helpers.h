// Small helpers over the file system and the XML library that several
// subsystems share.
#pragma once

#include <cstdio>
#include <filesystem>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <string_view>
#include <vector>

#include <pugixml.hpp>

#include "foundation/fixed_code.h"

struct StdioFileCloser {
    void operator()(std::FILE* file) const;  // fclose when not null
};
using StdioFile = std::unique_ptr<std::FILE, StdioFileCloser>;
// fopen by the path's wide form on Windows, where a narrow path would go
// through the ANSI code page and miss every file whose name lies outside it.
// Null when the file cannot be opened.
StdioFile gf_openStdioFile(const std::filesystem::path& path, const char* mode);

// Removes the file when it exists; a failure is logged, never thrown.
void gf_removeFileIfExists(const std::filesystem::path& path);
// Saves with a "1.0"/"UTF-8" declaration and two-blank indent. The document
// goes to a temporary file in the same folder that then replaces the target,
// so a crash mid-write never leaves a half-written file.
bool gf_saveXmlDocument(pugi::xml_document& document, const std::filesystem::path& path);
// A name in the file's folder for a temporary copy of it, new with every
// call ("<name>.<process>-<count><suffix>"), so writers of one file on
// several threads or in several processes never share a temporary.
std::filesystem::path gf_temporarySibling(const std::filesystem::path& path, std::string_view suffix = ".tmp");
// Writes a file through a temporary name of its own in the same folder and
// renames it over the target; false (and no temporary left) when writing fails.
bool gf_writeFileAtomically(const std::filesystem::path& path,
                            const std::function<bool(const std::filesystem::path& temporary)>& write);
// Removes every regular file of the folder (not recursive); logs failures.
void gf_removeFilesFromDirectory(const std::filesystem::path& folder);
// Removes the files whose upper-cased extension is ".XML".
void gf_removeXMLFilesFromDirectory(const std::filesystem::path& folder);
bool lf_isXmlFile(const std::filesystem::directory_entry& entry);
// The 4-letter codes of the XML files in airports/my_thirdparty. An invalid
// code throws FixedCode's std::invalid_argument; file-system errors throw.
std::vector<AirportCode> gf_listXmlFiles();
std::vector<AirportCode> gf_listXmlFilesIn(const std::filesystem::path& folder);
// The attribute's text, empty when it is absent.
std::string gf_attributeText(const pugi::xml_node& node, const char* name);
// The number of entries directly in the folder; 0 when it does not exist.
std::size_t gf_countDirectoryEntries(const std::filesystem::path& folder);

// The airport-scan log lines, appended by the scan workers.
extern std::vector<std::string> g_scanLogLines;  // guarded by g_scanLogMutex
extern std::mutex g_scanLogMutex;                // leaf lock
void gf_addScanLogLine(const std::string& line);
