// NOT BUILT YET: zipping the off-line learning folder "tblo" waits for the
// project's zip archive; until then no zip is written.
#include "airports/offline_learning.h"

bool gf_zipFolder(const std::filesystem::path&) { return false; }
