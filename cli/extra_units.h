// The units kestrane-cli knows beyond the dialog's lists (hectopascals, psi,
// atmospheres, kelvin), and how a reading in them reaches the core: each value
// is brought into the dialog's first unit of its list by one operation with its
// factor, and the calculated gas pressure is brought back by the inverse
// operation with the same factor. The dialog's own units never pass through here.
#pragma once

#include <array>
#include <string_view>

#include "core/correction_run.h"

namespace kestrane::cli {

// How a value in the unit becomes a value in the list's first unit.
enum class IntoFirstUnit {
    divide,    // value / factor
    multiply,  // value * factor
    kelvin,    // (value - factor) * 1.8 + 32, the subtraction first
};

// One unit of the command line's own.
struct ExtraUnit {
    std::string_view text;                        // as titles and JSON show it: "hPa"
    std::array<std::string_view, 2> other_names;  // other spellings it answers to, in any case: "mbar"
    IntoFirstUnit operation;
    double factor;
};

// hPa and mbar are one unit: 33.8637 of them to the inch of mercury, ten times
// the dialog's kPa factor. psi: 0.491154 to the inch; one atmosphere is 29.9213 inches.
inline constexpr std::array<ExtraUnit, 3> extra_pressure_units = {{
    {"hPa", {"mbar", "millibar"}, IntoFirstUnit::divide, 33.8637},
    {"psi", {"psia", ""}, IntoFirstUnit::divide, 0.491154},
    {"atm", {"", ""}, IntoFirstUnit::multiply, 29.9213},
}};
inline constexpr std::array<ExtraUnit, 1> extra_temperature_units = {{
    {"K", {"kelvin", ""}, IntoFirstUnit::kelvin, 273.15},
}};

// A value in the unit, in the list's first unit (degrees F, inches of mercury).
double into_first_unit(const ExtraUnit& unit, double value);
// A pressure in inches of mercury, in the unit (the inverse operation, same factor).
double from_first_unit(const ExtraUnit& unit, double value);

// The command line numbers its units after the dialog's: a list index past the
// dialog's entries names extras[index - dialog count]. Brings the inputs whose
// unit is one of the command line's own into the list's first unit and returns
// the selection the core computes with (the dialog's indices alone).
UnitSelection to_dialog_units(CorrectionInputs& inputs, UnitSelection units);

// The calculated gas pressure as the core gives it for to_dialog_units(units),
// in the pressure unit of units.
double gas_pressure_in(double value, UnitSelection units);

}  // namespace kestrane::cli
