#include "app/services/controls.h"

#include "settings/control_updates.h"

void gf_enableControl(WindowControl& control) {
    ControlUpdateBatch batch;
    batch.enableControl(control, true);
    batch.apply();
}
