#include "app/services/install_path_check.h"

#include <fmt/format.h>

#include "foundation/user_error.h"
#include "settings/settings.h"

std::string gf_checkP3DInstallPath() {
    const std::string path = SIM_INSTALL_PATH.value.get();
    if (path.find("v5") != std::string::npos || path.find("V5") != std::string::npos) return "5";
    if (path.find("v6") != std::string::npos || path.find("V6") != std::string::npos) return "6";
    const std::int32_t version = P3D_VERSION.value.load();
    if (version == 5 || version == 6) return std::to_string(version);
    throw vlt::UserErrorException(
        77, fmt::format("P3D install path does not contain v5 or v6. Use hidden parameter {}, set it to 5 or 6.",
                        P3D_VERSION.key));
}
