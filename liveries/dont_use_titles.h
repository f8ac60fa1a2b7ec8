// The titles the livery scan leaves out: the regcode sources' entries that
// name a title without any registration code.
#pragma once

#include <string_view>

// Reads the don't-use titles from the AIG file and then the user's lists
// (also when the AIG file cannot be deciphered). Start-up thread, before a
// scan's workers start.
void lf_readDontUseTitles();
void lf_readDontUseTitleFile();
void lf_readDontUseTitleFolder();
// The title is a don't-use title, byte for byte.
bool lf_isDontUseTitle(std::string_view title);
