// The words of the command line and of a log: the names of the six input
// fields (from the core's field table), of the three unit lists and their
// units, and of the columns a corrected log gets.
#pragma once

#include <array>
#include <optional>
#include <span>
#include <string>
#include <string_view>

#include "core/correction_run.h"
#include "extra_units.h"

namespace kestrane::cli {

// The dialog's default texts of the six fields: a field the user does not give
// keeps its text, so a reading and a table start from the same inputs.
std::array<std::string, field_count> default_field_values();

// The header names of the six field columns of a log, in field order. A log
// must use exactly these: a misspelt column must stop the run, not be filled in.
inline constexpr std::array<std::string_view, field_count> field_column_names = field_column<&FieldInfo::column>();

// A second option name a field answers to, besides its own: --barometer.
inline constexpr std::string_view barometer_alias = "barometer";

// The field a log column is headed with, by its exact name.
std::optional<Field> field_from_column_name(std::string_view name);

// The field a table axis names: a column name ("relative_humidity") or the
// name of the field's option without its dashes ("humidity", "barometric-pressure").
std::optional<Field> field_from_axis_name(std::string_view name);

// The column name of a field, with words for a title: "relative humidity".
std::string field_words(Field field);

// The column names of the six fields, as a list for messages and help: "target_gas, ..., relative_humidity".
std::string field_column_list();

// The header names of the columns a corrected log gets, in their order: the
// four results (gas per cent, gas pressure, vapour per cent, corrected
// barometer), then why a row was not corrected, then its warnings.
inline constexpr std::array<std::string_view, 6> result_column_names = {
    "calculated_gas_pct", "calculated_gas_pressure", "vapor_pressure_pct", "corrected_barometer", "error", "warning"};
inline constexpr std::size_t error_column = 4;
inline constexpr std::size_t warning_column = 5;

// The three unit lists, in the order of a UnitSelection.
enum class UnitKind { temperature, pressure, distance };

// One unit list as the command line and a log name it.
struct UnitKindInfo {
    UnitKind kind;
    std::string_view name;                          // "pressure"
    std::string_view column;                        // the log's column: "pressure_unit"
    std::string_view option;                        // the option, without its dashes: "pressure-unit"
    std::span<const std::string_view> texts;        // the dialog's list texts, in list order
    std::span<const std::string_view> short_names;  // a shorter name of each: "mmHg"
    std::span<const ExtraUnit> extras;              // the command line's own units, numbered after the dialog's
    int UnitSelection::*selection;                  // where a selection keeps its index
};

inline constexpr std::array<std::string_view, 2> temperature_short_names = {"F", "C"};
inline constexpr std::array<std::string_view, 4> pressure_short_names = {"inHg", "mmHg", "bar", "kPa"};
inline constexpr std::array<std::string_view, 2> distance_short_names = {"ft", "m"};

inline constexpr std::array<UnitKindInfo, 3> unit_kinds = {{
    {UnitKind::temperature, "temperature", "temperature_unit", "temperature-unit", temperature_unit_texts,
     temperature_short_names, extra_temperature_units, &UnitSelection::temperature},
    {UnitKind::pressure, "pressure", "pressure_unit", "pressure-unit", pressure_unit_texts, pressure_short_names,
     extra_pressure_units, &UnitSelection::pressure},
    {UnitKind::distance,
     "distance",
     "distance_unit",
     "distance-unit",
     distance_unit_texts,
     distance_short_names,
     {},
     &UnitSelection::distance},
}};

constexpr const UnitKindInfo& info(UnitKind kind) {
    return unit_kinds[static_cast<std::size_t>(kind)];
}

// "temperature", "pressure" or "distance".
constexpr std::string_view unit_kind_name(UnitKind kind) {
    return info(kind).name;
}

// The index a unit name stands for: the dialog's list text ("mm Hg") or its
// short name ("mmHg"), or a name of one of the command line's own units
// ("hPa", "mbar"), in any case, blanks around it ignored.
std::optional<int> unit_index(UnitKind kind, std::string_view name);

// The names unit_index accepts, for messages: "Degrees F or F, Degrees C or C, K or kelvin".
std::string accepted_unit_names(UnitKind kind);

// Why a unit name was refused, what would be accepted, and the nearest name:
// unknown pressure unit "mmgh"; use In Hg or inHg, mm Hg or mmHg, ... (any case); did you mean mmHg?
std::string unknown_unit_message(UnitKind kind, std::string_view name);

// The text of a unit index: the dialog's list text, or the command line's own
// unit's ("hPa"); the first entry for an index outside both, as the run converts it.
std::string_view unit_text(UnitKind kind, int index);

// The unit an input field's value is in, as the lists name it, or "%".
std::string_view field_unit(Field field, UnitSelection units);

// The unit of one of the four results, by its place in result_column_names:
// per cent, the pressure unit for the gas pressure, and inches of mercury for
// the corrected barometer, which stays in them whatever the pressure unit.
std::string_view result_unit(std::size_t result, UnitSelection units);

// The name among candidates nearest to what was typed, ignoring case and the
// dashes before an option, when it is near enough to be what was meant (one
// or two letters wrong, missing, extra or swapped); empty when none is.
std::string_view nearest_name(std::string_view typed, std::span<const std::string_view> candidates);

// The character a --delimiter value names: "," ";" "|" or a tab ("tab", "\t"
// or the character itself); nothing for any other.
std::optional<char> delimiter_from_name(std::string_view name);

// The names delimiter_from_name accepts, for messages and help.
inline constexpr std::string_view delimiter_names = R"(",", ";", "|" or tab)";

}  // namespace kestrane::cli
