// Installed aircraft folders as users have them, written into a test's
// folder: aircraft.cfg files in every encoding with their model and texture
// folders and flight-model files, and a whole livery tree of three livery
// folders with a file for every rule the scan reports on. The data base the
// tree is meant for comes with it.
#pragma once

#include <filesystem>
#include <string>
#include <vector>

namespace testing_support {

enum class CfgEncoding { Utf8, Utf8Bom, Utf16LeBom, Utf16LeNoBom, Utf16BeBom, Ansi };

// The UTF-8 text in the encoding, with CR LF line ends when asked (ANSI is
// Windows-1252).
std::string encodeCfgText(const std::string& utf8, CfgEncoding encoding, bool crlf = false);

// Writes the cfg file into the folder, and beside it a folder "model.<v>"
// for every model=<v> line, "texture.<v>" for every texture=<v> line and a
// file "<v>.air" for every sim=<v> line, except the names listed as omitted.
void writeAircraftFolder(const std::filesystem::path& folder, const std::string& cfgName, const std::string& utf8Text,
                         CfgEncoding encoding = CfgEncoding::Utf8, bool crlf = false,
                         const std::vector<std::string>& omitted = {});

// The data base the tree's files are checked against.
std::string liveryTreeDbase();

// The livery folders of the tree, in the order of the settings lfolder0 to 2.
struct LiveryTree {
    std::filesystem::path main;    // airliners, light aircraft and one file per broken rule
    std::filesystem::path extra;   // a Lufthansa A320 again, a KLM one found only here, Delta's own E175
    std::filesystem::path addons;  // the IVAO MTL model set and an X-CSL folder
};
LiveryTree writeLiveryTree(const std::filesystem::path& root);

// The user's regcode list of the tree (input/my_regcodes/mine.TXT): a title
// not to be used, a title with its registration, a short line.
inline constexpr const char* kLiveryTreeRegcodeList =
    "A320 Do Not Use Me\n"
    "A320 Lufthansa Retro D-AIZR;D-AIZR\n"
    "short\n";

}  // namespace testing_support
