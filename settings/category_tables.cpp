#include "settings/category_tables.h"

#include "foundation/geodesy.h"

namespace {
template <class T>
CategoryTable<T> table(T light, T buzjets, T large, T heavy, T highPerf, T rotorcraft) {
    return CategoryTable<T>{{0, light}, {1, buzjets}, {2, large}, {3, heavy}, {4, highPerf}, {5, rotorcraft}};
}
}  // namespace

const CategoryTables g_categoryTables{
    table(0.15 * kDegToRad, 0.10 * kDegToRad, 0.07 * kDegToRad, 0.05 * kDegToRad, 0.10 * kDegToRad,
          0.20 * kDegToRad),
    table<std::int32_t>(250, 300, 400, 450, 150, 100),
    table<std::int32_t>(250, 300, 350, 450, 150, 100),
    table<std::int32_t>(100, 200, 200, 250, 100, 100),
    table<std::int32_t>(200, 250, 300, 400, 200, 100),
    table(-9.0, -8.0, -6.0, -5.0, -6.0, -20.0),
    table(-15.0, -18.0, -16.5, -12.5, -20.0, -30.0),
};
