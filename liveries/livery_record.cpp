#include "liveries/livery_record.h"

#include "refdata/code_tables.h"

bool lf_liveryIncomplete(const LiveryData& livery) { return livery.airline == 0 || livery.model == 0; }

bool lf_liveryLess(const LiveryData& x, const LiveryData& y) {
    if (gf_airlineCodeText(x.airline) < gf_airlineCodeText(y.airline)) return true;
    if (x.airline != y.airline) return false;
    if (gf_airlineCodeText(x.airline2) < gf_airlineCodeText(y.airline2)) return true;
    if (x.airline2 != y.airline2) return false;
    if (gf_modelCodeText(x.model) < gf_modelCodeText(y.model)) return true;
    if (x.model != y.model) return false;
    return x.title < y.title;
}
