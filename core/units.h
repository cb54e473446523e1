// The units a reading can be given in, one table per kind (temperature,
// pressure, distance), and the conversions into and out of the internal units
// of the correction (degrees Fahrenheit, inches of mercury, feet). Each table
// starts with the dialog's list, in its order; the units after it are the
// command line's and the page's own.
#pragma once

#include <array>
#include <cstddef>
#include <optional>
#include <span>
#include <string>
#include <string_view>

namespace kestrane {

// The three kinds of unit, in the order of a UnitSelection.
enum class UnitKind : int { temperature, pressure, distance };
inline constexpr std::size_t unit_kind_count = 3;
inline constexpr std::array<UnitKind, unit_kind_count> all_unit_kinds = {UnitKind::temperature, UnitKind::pressure,
                                                                         UnitKind::distance};

// How a value in a unit becomes a value in the internal unit, each in the one
// order of operations the correction has always used.
enum class Conversion {
    none,      // the internal unit itself
    divide,    // value / factor, and back by value * factor
    multiply,  // value * factor, and back by value / factor
    celsius,   // 1.8 * value + 32: the product, then the sum
    kelvin,    // (value - factor) * 1.8 + 32: the difference, the product, then the sum
};

// One unit: the text the dialog's list (or a title, or JSON) shows, the other
// names it answers to in any case (the first its short name), its conversion,
// and whether the dialog's list has it.
struct Unit {
    std::string_view text;
    std::array<std::string_view, 3> other_names;
    Conversion conversion;
    double factor;
    bool in_dialog;

    constexpr std::string_view short_name() const { return other_names[0]; }
};

// Units of a pressure per inch of mercury. Kilopascals are deliberately not
// 100 x the bar factor: the two tables were calibrated separately. Hectopascals
// (millibars) are ten times the kilopascal factor.
inline constexpr double mm_hg_per_in_hg = 25.4;
inline constexpr double bar_per_in_hg = 0.0338638;
inline constexpr double kpa_per_in_hg = 3.38637;
inline constexpr double hpa_per_in_hg = 33.8637;
inline constexpr double psi_per_in_hg = 0.491154;
inline constexpr double in_hg_per_atm = 29.9213;
inline constexpr double feet_per_meter = 3.2808;
inline constexpr double kelvin_at_freezing = 273.15;

// clang-format off
inline constexpr std::array<Unit, 3> temperature_units = {{
    {"Degrees F", {"F", "fahrenheit"}, Conversion::none,    0.0,                true},
    {"Degrees C", {"C", "celsius"},    Conversion::celsius, 0.0,                true},
    {"K",         {"K", "kelvin"},     Conversion::kelvin,  kelvin_at_freezing, false},
}};
inline constexpr std::array<Unit, 7> pressure_units = {{
    {"In Hg", {"inHg"},                Conversion::none,     0.0,             true},
    {"mm Hg", {"mmHg", "torr"},        Conversion::divide,   mm_hg_per_in_hg, true},
    {"Bar",   {"bar"},                 Conversion::divide,   bar_per_in_hg,   true},
    {"KPa",   {"kPa"},                 Conversion::divide,   kpa_per_in_hg,   true},
    {"hPa",   {"hPa", "mbar", "millibar"}, Conversion::divide, hpa_per_in_hg, false},
    {"psi",   {"psi", "psia"},         Conversion::divide,   psi_per_in_hg,   false},
    {"atm",   {"atm"},                 Conversion::multiply, in_hg_per_atm,   false},
}};
inline constexpr std::array<Unit, 2> distance_units = {{
    {"Feet",   {"ft"}, Conversion::none,     0.0,            true},
    {"Meters", {"m"},  Conversion::multiply, feet_per_meter, true},
}};
// clang-format on

// A unit of each kind, by its place in the kind's table. Any int is a valid
// value: an index outside the table (a list with no selection reports -1) is
// the internal unit.
struct UnitSelection {
    int temperature = 0;
    int pressure = 0;
    int distance = 0;

    friend bool operator==(const UnitSelection&, const UnitSelection&) = default;
};

// One kind of unit as the front ends name it.
struct UnitKindInfo {
    std::string_view name;        // "pressure"
    std::string_view list_label;  // the label of the dialog's list: "Pressure Units"
    std::string_view column;      // the column of a log: "pressure_unit"
    std::string_view option;      // the command line's option, without its dashes: "pressure-unit"
    std::span<const Unit> units;
    int UnitSelection::*selection;  // where a selection keeps the index
};

// clang-format off
inline constexpr std::array<UnitKindInfo, unit_kind_count> unit_kinds = {{
    {"temperature", "Temperature Units", "temperature_unit", "temperature-unit", temperature_units,
     &UnitSelection::temperature},
    {"pressure",    "Pressure Units",    "pressure_unit",    "pressure-unit",    pressure_units,
     &UnitSelection::pressure},
    {"distance",    "Distance Units",    "distance_unit",    "distance-unit",    distance_units,
     &UnitSelection::distance},
}};
// clang-format on

constexpr const UnitKindInfo& info(UnitKind kind) {
    return unit_kinds[static_cast<std::size_t>(kind)];
}

// The unit at index in the kind's table, or its internal unit for an index outside it.
constexpr const Unit& unit_at(UnitKind kind, int index) {
    const std::span<const Unit> units = info(kind).units;
    return index >= 0 && static_cast<std::size_t>(index) < units.size() ? units[static_cast<std::size_t>(index)]
                                                                         : units[0];
}

// The unit a selection has of a kind.
constexpr const Unit& selected_unit(UnitKind kind, UnitSelection selection) {
    return unit_at(kind, selection.*info(kind).selection);
}

// A value in the unit, in the internal unit of its kind.
double to_internal(double value, const Unit& unit);
// A value in the internal unit, in the unit: the inverse operation, with the same factor.
double from_internal(double value, const Unit& unit);
// How much the internal value changes for a change of one in the unit: the
// derivative of to_internal.
double internal_per_unit(const Unit& unit);

// The index of the unit a name stands for: its text or one of its other
// names, in any case, blanks around it ignored; nothing when none.
std::optional<int> unit_index(UnitKind kind, std::string_view name);

// The names unit_index accepts, for messages: "Degrees F or F or fahrenheit, ...".
std::string accepted_unit_names(UnitKind kind);

// Why a unit name was refused, what would be accepted, and the nearest name:
// unknown pressure unit "mmgh"; use In Hg or inHg, mm Hg or mmHg, ... (any case); did you mean mmHg?
std::string unknown_unit_message(UnitKind kind, std::string_view name);

// The entries the dialog's lists show, in their order: the start of each table.
template <const auto& table>
constexpr std::size_t dialog_entry_count() {
    std::size_t n = 0;
    while (n < table.size() && table[n].in_dialog)
        ++n;
    return n;
}
template <const auto& table>
constexpr auto dialog_texts() {
    std::array<std::string_view, dialog_entry_count<table>()> texts{};
    for (std::size_t i = 0; i < texts.size(); ++i)
        texts[i] = table[i].text;
    return texts;
}
inline constexpr auto temperature_unit_texts = dialog_texts<temperature_units>();
inline constexpr auto pressure_unit_texts = dialog_texts<pressure_units>();
inline constexpr auto distance_unit_texts = dialog_texts<distance_units>();

// The dialog's lists as unit indices: an index past a list's entries (or -1,
// no selection) is the internal unit, as the dialog's tables have no more.
enum class TemperatureUnit : int { degrees_f = 0, degrees_c = 1 };
enum class PressureUnit : int { in_hg = 0, mm_hg = 1, bar = 2, kpa = 3 };
enum class DistanceUnit : int { feet = 0, meters = 1 };

// The selection of the dialog's lists, with every index past their entries the internal unit.
UnitSelection dialog_selection(UnitSelection lists);

// Returns the temperature in degrees Fahrenheit.
double to_fahrenheit(double value, TemperatureUnit unit);
// Returns the pressure in inches of mercury (value / factor).
double pressure_to_inhg(double value, PressureUnit unit);
// Returns an inches-of-mercury pressure in the given unit (value * factor).
double pressure_from_inhg(double value, PressureUnit unit);
// Returns the altitude in feet.
double altitude_to_feet(double value, DistanceUnit unit);

}  // namespace kestrane
