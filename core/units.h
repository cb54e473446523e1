// The three unit lists of the dialog and the conversions into and out of the
// internal units of the correction (degrees Fahrenheit, inches of mercury, feet).
#pragma once

#include <array>
#include <string_view>

namespace kestrane {

// A unit is the zero-based index of its list entry. Any int is a valid value:
// a list with no selection reports -1, and an index outside the table is
// treated as the internal unit.
enum class TemperatureUnit : int { degrees_f = 0, degrees_c = 1 };
enum class PressureUnit : int { in_hg = 0, mm_hg = 1, bar = 2, kpa = 3 };
enum class DistanceUnit : int { feet = 0, meters = 1 };

// List texts, in list order (the lists are unsorted, so index == position).
inline constexpr std::array<std::string_view, 2> temperature_unit_texts = {"Degrees F", "Degrees C"};
inline constexpr std::array<std::string_view, 4> pressure_unit_texts = {"In Hg", "mm Hg", "Bar", "KPa"};
inline constexpr std::array<std::string_view, 2> distance_unit_texts = {"Feet", "Meters"};

// Units of a pressure per inch of mercury. Kilopascals are deliberately not
// 100 x the bar factor: the two tables were calibrated separately.
inline constexpr double mm_hg_per_in_hg = 25.4;
inline constexpr double bar_per_in_hg = 0.0338638;
inline constexpr double kpa_per_in_hg = 3.38637;
inline constexpr double feet_per_meter = 3.2808;

// Returns the temperature in degrees Fahrenheit.
double to_fahrenheit(double value, TemperatureUnit unit);
// Returns the pressure in inches of mercury (value / factor).
double pressure_to_inhg(double value, PressureUnit unit);
// Returns an inches-of-mercury pressure in the given unit (value * factor).
double pressure_from_inhg(double value, PressureUnit unit);
// Returns the altitude in feet.
double altitude_to_feet(double value, DistanceUnit unit);

}  // namespace kestrane
