// The words of the command line and of a log's header: the names of the six
// input fields and of the three units, and the dialog's default field texts.
#pragma once

#include <array>
#include <optional>
#include <string>
#include <string_view>

#include "core/correction_run.h"

namespace kestrane::cli {

// The texts the dialog shows in its six fields when it starts; a field the user
// does not give keeps its text, so a reading and a table start from the same inputs.
inline constexpr FieldTexts default_field_texts = {"20.95", "30.00", "30.00", "75", "   0", " 50"};

// The default texts as strings, for options that hold texts of their own.
std::array<std::string, field_count> default_field_values();

// The header names of the six field columns of a log, in field order. A log
// must use exactly these: a misspelt column must stop the run, not be filled in.
inline constexpr std::array<std::string_view, field_count> field_column_names = {
    "target_gas", "target_pressure", "barometric_pressure", "temperature", "altitude", "relative_humidity"};

// The field a log column is headed with, by its exact name.
std::optional<Field> field_from_column_name(std::string_view name);

// The field a table axis names: a column name ("relative_humidity") or the
// name of the field's option without its dashes ("humidity", "barometric-pressure").
std::optional<Field> field_from_axis_name(std::string_view name);

// The column name of a field, with words for a title: "relative humidity".
std::string field_words(Field field);

// The header names of the columns a corrected log gets, in their order: the
// four results (gas per cent, gas pressure, vapour per cent, corrected
// barometer), then why a row was not corrected, then its warnings.
inline constexpr std::array<std::string_view, 6> result_column_names = {
    "calculated_gas_pct", "calculated_gas_pressure", "vapor_pressure_pct", "corrected_barometer", "error", "warning"};
inline constexpr std::size_t error_column = 4;
inline constexpr std::size_t warning_column = 5;

enum class UnitKind { temperature, pressure, distance };
inline constexpr std::array<UnitKind, 3> unit_kinds = {UnitKind::temperature, UnitKind::pressure, UnitKind::distance};

// The header names of the optional unit columns of a log, in kind order.
inline constexpr std::array<std::string_view, 3> unit_column_names = {"temperature_unit", "pressure_unit",
                                                                      "distance_unit"};

// "temperature", "pressure" or "distance".
std::string_view unit_kind_name(UnitKind kind);

// The list index a unit name stands for: the dialog's list text ("mm Hg") or
// its short name ("mmHg"), in any case, blanks around it ignored.
std::optional<int> unit_index(UnitKind kind, std::string_view name);

// The names unit_index accepts, for messages: "Degrees F or F, Degrees C or C".
std::string accepted_unit_names(UnitKind kind);

// Why a unit name was refused, and what would be accepted:
// unknown pressure unit "psi"; use In Hg or inHg, mm Hg or mmHg, Bar, KPa (any case)
std::string unknown_unit_message(UnitKind kind, std::string_view name);

// The list text of a unit index (the first entry for one outside the list, as the run converts it).
std::string_view unit_text(UnitKind kind, int index);

}  // namespace kestrane::cli
