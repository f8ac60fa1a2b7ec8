#include "liveries/livery_record.h"

#include "refdata/code_tables.h"

bool lf_liveryIncomplete(const LiveryData& livery) { return livery.airline == 0 || livery.model == 0; }

LiveryCodeTexts lf_liveryCodeTexts(const LiveryData& livery) {
    return {gf_airlineCodeText(livery.airline), gf_airlineCodeText(livery.airline2), gf_modelCodeText(livery.model)};
}

bool lf_liveryLess(const LiveryData& x, const LiveryCodeTexts& xTexts, const LiveryData& y,
                   const LiveryCodeTexts& yTexts) {
    if (xTexts.airline < yTexts.airline) return true;
    if (x.airline != y.airline) return false;
    if (xTexts.airline2 < yTexts.airline2) return true;
    if (x.airline2 != y.airline2) return false;
    if (xTexts.model < yTexts.model) return true;
    if (x.model != y.model) return false;
    return x.title < y.title;
}

bool lf_liveryLess(const LiveryData& x, const LiveryData& y) {
    return lf_liveryLess(x, lf_liveryCodeTexts(x), y, lf_liveryCodeTexts(y));
}
