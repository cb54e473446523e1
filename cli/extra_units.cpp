#include "extra_units.h"

#include <cstddef>
#include <span>

namespace kestrane::cli {
namespace {

// The extra unit a list index names, or nothing for one of the dialog's (or
// any index the dialog's tables take as their first unit).
const ExtraUnit* extra(std::span<const ExtraUnit> extras, std::size_t dialog_count, int index) {
    if (index < 0 || static_cast<std::size_t>(index) < dialog_count)
        return nullptr;
    const std::size_t at = static_cast<std::size_t>(index) - dialog_count;
    return at < extras.size() ? &extras[at] : nullptr;
}

const ExtraUnit* extra_pressure(UnitSelection units) {
    return extra(extra_pressure_units, pressure_unit_texts.size(), units.pressure);
}

}  // namespace

double into_first_unit(const ExtraUnit& unit, double value) {
    switch (unit.operation) {
        case IntoFirstUnit::divide: return value / unit.factor;
        case IntoFirstUnit::multiply: return value * unit.factor;
        case IntoFirstUnit::kelvin: return (value - unit.factor) * 1.8 + 32.0;
    }
    return value;
}

double from_first_unit(const ExtraUnit& unit, double value) {
    switch (unit.operation) {
        case IntoFirstUnit::divide: return value * unit.factor;
        case IntoFirstUnit::multiply: return value / unit.factor;
        case IntoFirstUnit::kelvin: break;  // no result is a temperature
    }
    return value;
}

UnitSelection to_dialog_units(CorrectionInputs& inputs, UnitSelection units) {
    if (const ExtraUnit* t = extra(extra_temperature_units, temperature_unit_texts.size(), units.temperature)) {
        inputs.temperature = into_first_unit(*t, inputs.temperature);
        units.temperature = 0;
    }
    if (const ExtraUnit* p = extra_pressure(units)) {
        inputs.target_pressure = into_first_unit(*p, inputs.target_pressure);
        inputs.barometric_pressure = into_first_unit(*p, inputs.barometric_pressure);
        units.pressure = 0;
    }
    return units;
}

double gas_pressure_in(double value, UnitSelection units) {
    const ExtraUnit* p = extra_pressure(units);
    return p ? from_first_unit(*p, value) : value;
}

}  // namespace kestrane::cli
