#include "app/services/settings_lock.h"

#include <initializer_list>

#include "app/services/state.h"
#include "app/services/window_bands.h"
#include "settings/control_updates.h"
#include "settings/settings.h"

std::atomic<bool> g_nowAllowed{false};

namespace {
// Called holding no lock: enabling a control waits for the window thread.
void enableLockedControls(bool enabled) {
    ControlUpdateBatch batch;
    for (const WindowControl* control : std::initializer_list<const WindowControl*>{
             &parking_percentage, &AMAX_FIT_FL, &MAX_PARK_SEL, &MAX_LIVE_SEL, &WEEK, &PARK_SOFT,
             &g_flushStaticButton, &g_rereadButton})
        batch.enableControl(*control, enabled);
    if (!INITIAL_LOAD_ONLY.value) batch.enableControl(g_nowButton, enabled);
    batch.apply();
    g_nowAllowed = true;
    platform::invalidateBand(kControlsBand);
}
}  // namespace

void gf_lockSettings() {
    g_settingsLocked = true;
    enableLockedControls(false);
}

void gf_unlockSettings() {
    g_settingsLocked = false;
    g_staticUpdateMinutesShown = 20;
    enableLockedControls(true);
}
