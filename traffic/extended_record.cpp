#include "traffic/extended_record.h"

#include <stdexcept>
#include <unordered_map>
#include <utility>

#include "foundation/geodesy.h"
#include "foundation/random.h"
#include "refdata/code_tables.h"

const CategoryValues& gf_categoryValues(SizeCategory category) {
    static const std::unordered_map<std::uint32_t, CategoryValues> table = {
        {0, {250, 250, 100, 200, -9.0, -15.0, 0.15 * kDegToRad, 0.5, 5.0}},
        {1, {300, 300, 200, 250, -8.0, -18.0, 0.10 * kDegToRad, 0.75, 4.5}},
        {2, {400, 350, 200, 300, -6.0, -16.5, 0.07 * kDegToRad, 0.6, 4.0}},
        {3, {450, 450, 250, 400, -5.0, -12.5, 0.05 * kDegToRad, 0.5, 3.0}},
        {4, {150, 150, 100, 200, -6.0, -20.0, 0.10 * kDegToRad, 1.0, 4.5}},
        {5, {100, 100, 100, 100, -20.0, -30.0, 0.20 * kDegToRad, 0.75, 5.0}},
    };
    const auto found = table.find(static_cast<std::uint32_t>(category));
    if (found == table.end()) throw std::out_of_range("invalid unordered_map<K, T> key");
    return found->second;
}

AcBase gf_extendAcRecord(AcIdent ident) {
    AcBase base;
    base.sizeCategory = SizeCategory::Large;
    gf_moveAcIdent(base, ident);
    base.radiusNm = hwsp(base.modelKey.modelId);
    base.sizeCategory = gf_modelCategory(base.modelKey.modelId);
    const CategoryValues& values = gf_categoryValues(base.sizeCategory);
    base.flareSteps = values.flareSteps;
    base.touchdownSteps = values.touchdownSteps;
    base.rotationSteps = values.rotationSteps;
    base.climbOutSteps = values.climbOutSteps;
    base.takeOffPitch = gf_randomizePercent(values.takeOffPitchDeg, 2.5) * kDegToRad;
    base.climbPitch = gf_randomizePercent(values.climbPitchDeg, 5.0) * kDegToRad;
    base.turnRateBase = values.turnRateBase;
    return base;
}
