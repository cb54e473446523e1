// The words of the command line: the names it accepts for the three unit lists
// and the six input fields (forgiving of case, spaces and punctuation), and the
// dialog's default field texts.
#pragma once

#include <array>
#include <optional>
#include <string>
#include <string_view>

#include "core/correction_run.h"

namespace kestrane::cli {

// The texts the dialog shows in its six fields when it starts; a field the user
// does not give keeps its text, so every mode corrects the same default reading.
inline constexpr FieldTexts default_field_texts = {"20.95", "30.00", "30.00", "75", "   0", " 50"};

// The default texts as strings, for options that hold texts of their own.
std::array<std::string, field_count> default_field_values();

// The lower-case letters and digits of text, everything else dropped: "Degrees F",
// "degrees-f" and "DEGREES_F" all become "degreesf".
std::string name_key(std::string_view text);

// List index of a temperature unit ("F", "Degrees F", "fahrenheit", "C", ...).
std::optional<int> temperature_unit_index(std::string_view name);
// List index of a pressure unit ("inHg", "In Hg", "mmHg", "bar", "kPa", ...).
std::optional<int> pressure_unit_index(std::string_view name);
// List index of a distance unit ("ft", "feet", "m", "meters", "metres", ...).
std::optional<int> distance_unit_index(std::string_view name);

// The input field a column heading names: the form's label or its short name
// ("Target Gas (% Vol)", "gas", "target_gas", "barometer", "rh", ...).
std::optional<Field> field_from_heading(std::string_view heading);

// The canonical short name of a field, used for CSV headings: "target_gas", ...
std::string_view field_column_name(Field field);

}  // namespace kestrane::cli
