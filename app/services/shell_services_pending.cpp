// NOT BUILT YET: the shell's folder opening. These bodies open nothing and
// report failure; the main window's services replace this file.
#include "app/services/shell_services.h"

bool gf_openParametersFolder(const std::filesystem::path&) { return false; }
bool gf_openManual() { return false; }
