// Which simulator version the user runs, as the install path tells it.
#pragma once

#include <string>

// "5" when SIM_INSTALL_PATH holds "v5" or "V5", else "6" when it holds "v6"
// or "V6", else the P3D_VERSION setting. Throws vlt::UserErrorException 77
// when that gives no version either.
std::string gf_checkP3DInstallPath();
