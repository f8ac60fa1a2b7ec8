// Which Prepar3D versions are installed, and where, from the simulator's
// registry key under HKEY_LOCAL_MACHINE.
#pragma once

#include <atomic>
#include <string>

// Probed during static initialisation, before the entry function runs; read
// by the start-up thread's simulator detection. Atomic, since tests re-probe.
extern std::atomic<bool> g_p3dV5Installed;
extern std::atomic<bool> g_p3dV6Installed;

// "SOFTWARE\Lockheed Martin\Prepar3D v5" for 5, "... v6" for 6 (the SimConnect
// client library reads its port values under the v5 key too).
std::u16string gf_simRegistryKey(int version);
// The simulator's key opens for reading. Throws nothing.
bool gf_isSimInstalled(int version);
// Its "SetupPath" value; empty when the key or the value is missing. Throws nothing.
std::u16string gf_simInstallPath(int version);
// Sets both flags from the registry as it is now (the static initialisers
// run it once; tests run it again after changing the registry).
void gf_probeInstalledSims();
