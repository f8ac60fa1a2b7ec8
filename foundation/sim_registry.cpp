#include "foundation/sim_registry.h"

#include "foundation/registry_key.h"

std::atomic<bool> g_p3dV5Installed{gf_isSimInstalled(5)};
std::atomic<bool> g_p3dV6Installed{gf_isSimInstalled(6)};

std::u16string gf_simRegistryKey(int version) {
    return u"SOFTWARE\\Lockheed Martin\\Prepar3D v" + std::u16string(1, static_cast<char16_t>(u'0' + version));
}

bool gf_isSimInstalled(int version) {
    if (version != 5 && version != 6) return false;
    try {
        RegistryKey key;
        key.open(gf_simRegistryKey(version), platform::kKeyRead);
        return true;
    } catch (const std::exception&) {  // a RegException, or no memory for the key name
        return false;
    }
}

std::u16string gf_simInstallPath(int version) {
    if (version != 5 && version != 6) return {};
    try {
        RegistryKey key;
        key.open(gf_simRegistryKey(version), platform::kKeyRead);
        return key.getString(u"SetupPath");
    } catch (const std::exception&) {
        return {};
    }
}

void gf_probeInstalledSims() {
    g_p3dV5Installed = gf_isSimInstalled(5);
    g_p3dV6Installed = gf_isSimInstalled(6);
}
