#include "traffic/motion_tables.h"

#include <cstdint>
#include <stdexcept>
#include <unordered_map>
#include <utility>

#include "foundation/geodesy.h"

namespace {

using Table = std::unordered_map<std::uint32_t, double>;
using Row = std::pair<SizeCategory, double>;

// Built from degrees, held in radians.
template <std::size_t N>
Table radiansTable(const Row (&rows)[N]) {
    Table table;
    for (const auto& [category, degrees] : rows) table.emplace(static_cast<std::uint32_t>(category), degrees * kDegToRad);
    return table;
}

double lookUp(const Table& table, SizeCategory category) {
    const auto it = table.find(static_cast<std::uint32_t>(category));
    if (it == table.end()) throw std::out_of_range("invalid unordered_map<K, T> key");
    return it->second;
}

}  // namespace

double gf_maxBankRad(SizeCategory category) {
    static constexpr Row rows[] = {{SizeCategory::Light, 40.0},   {SizeCategory::Buzjets, 35.0},
                                   {SizeCategory::Large, 30.0},   {SizeCategory::Heavy, 20.0},
                                   {SizeCategory::HighPerf, 90.0}, {SizeCategory::Rotorcraft, 75.0}};
    static const Table table = radiansTable(rows);
    return lookUp(table, category);
}

double gf_maxBankChangeRad(SizeCategory category) {
    static constexpr Row rows[] = {{SizeCategory::Light, 0.035},  {SizeCategory::Buzjets, 0.0275},
                                   {SizeCategory::Large, 0.02},   {SizeCategory::Heavy, 0.015},
                                   {SizeCategory::HighPerf, 0.1}, {SizeCategory::Rotorcraft, 0.06}};
    static const Table table = radiansTable(rows);
    return lookUp(table, category);
}

double gf_maxPitchChangeRad(SizeCategory category) {
    static constexpr Row rows[] = {{SizeCategory::Light, 0.01},    {SizeCategory::Buzjets, 0.0085},
                                   {SizeCategory::Large, 0.0075},  {SizeCategory::Heavy, 0.005},
                                   {SizeCategory::HighPerf, 0.03}, {SizeCategory::Rotorcraft, 0.03}};
    static const Table table = radiansTable(rows);
    return lookUp(table, category);
}
