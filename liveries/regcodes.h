// The registration codes of the scanned liveries: the codes in the liveries
// themselves, the AIG regcode file and the user's own lists, merged into the
// maps the matching looks a registration up in. The same readers give the
// don't-use titles (liveries/dont_use_titles.h).
#pragma once

#include <filesystem>
#include <string>
#include <vector>

// One livery title of a regcode source with its codes (sorted, unique).
struct RegcodeEntry {
    std::string title;
    std::vector<std::string> regcodes;
    bool special = false;
};

// The codes of the scanned liveries: the first livery of a code keeps it;
// clashes go to InlineRegcodes.txt.
void lf_inlineRegcodes();
// The AIG file and the user's lists, each entry replacing an earlier pairing
// of its code; the report goes to OfflineRegcodes.txt.
void lf_processOfflineRegcodes();
void lf_processAigRegcodeFile();
void lf_processRegcodeFolder();
// Reads the deciphered AIG file (input/AIG-regcodes.xml); false when it was
// unusable or held a title twice in a row.
bool lf_readAigRegcodeXml(std::vector<RegcodeEntry>& entries);
// Reads the ".TXT" lists directly in the folder; false when a code of wrong
// length was met.
bool lf_readRegcodeFiles(const std::filesystem::path& folder, std::vector<RegcodeEntry>& entries);
// Merges the entries whose title is a scanned livery into the maps and
// appends one summary line to g_regcodeReport.
void lf_mergeRegcodes(const std::vector<RegcodeEntry>& entries);

// Removes a deciphered plain file on every way out.
class PlainFileGuard {
public:
    explicit PlainFileGuard(std::filesystem::path path) : path_(std::move(path)) {}
    ~PlainFileGuard();
    PlainFileGuard(const PlainFileGuard&) = delete;
    PlainFileGuard& operator=(const PlainFileGuard&) = delete;

private:
    std::filesystem::path path_;
};
