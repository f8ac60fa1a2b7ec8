// NOT BUILT YET: the livery scan. An empty body, so that the program starts
// with the results file it finds; the livery scan replaces this file.
#include "liveries/livery_services.h"

void gf_scanLiveries() {}
