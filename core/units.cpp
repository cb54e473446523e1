#include "units.h"

namespace kestrane {
namespace {

// The factor of a pressure unit, or 0 for the internal unit and any index
// outside the table (which converts as the internal unit).
double pressure_factor(PressureUnit unit) {
    switch (unit) {
        case PressureUnit::mm_hg: return mm_hg_per_in_hg;
        case PressureUnit::bar: return bar_per_in_hg;
        case PressureUnit::kpa: return kpa_per_in_hg;
        default: return 0.0;
    }
}

}  // namespace

double to_fahrenheit(double value, TemperatureUnit unit) {
    return unit == TemperatureUnit::degrees_c ? 1.8 * value + 32.0 : value;
}

double pressure_to_inhg(double value, PressureUnit unit) {
    const double factor = pressure_factor(unit);
    return factor != 0.0 ? value / factor : value;
}

double pressure_from_inhg(double value, PressureUnit unit) {
    const double factor = pressure_factor(unit);
    return factor != 0.0 ? value * factor : value;
}

double altitude_to_feet(double value, DistanceUnit unit) {
    return unit == DistanceUnit::meters ? value * feet_per_meter : value;
}

}  // namespace kestrane
