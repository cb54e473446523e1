// The columns a corrected log gets after its own, and the words its cells use.
#pragma once

#include <array>
#include <cstddef>
#include <string>
#include <string_view>

#include "core/reading.h"
#include "core/results.h"
#include "reading/evaluate.h"

namespace kestrane {

// The columns a corrected log may get: the four results (the result table's
// keys), why a row was not corrected, its warnings, and the expanded
// uncertainties of the two results an uncertainty is stated for.
inline constexpr std::size_t error_column = result_count;
inline constexpr std::size_t warning_column = result_count + 1;
inline constexpr std::size_t expanded_gas_column = result_count + 2;
inline constexpr std::size_t expanded_pressure_column = result_count + 3;
inline constexpr std::size_t added_column_count = result_count + 4;

constexpr std::array<std::string_view, added_column_count> added_column_table() {
    std::array<std::string_view, added_column_count> names{};
    for (std::size_t k = 0; k < result_count; ++k)
        names[k] = result_table[k].key;
    names[error_column] = error_key;
    names[warning_column] = warning_key;
    names[expanded_gas_column] = "expanded_uncertainty_gas_pct";
    names[expanded_pressure_column] = "expanded_uncertainty_gas_pressure";
    return names;
}
inline constexpr std::array<std::string_view, added_column_count> added_columns = added_column_table();

// The added columns in the order a log gets them: the results, the error and
// the warning; with uncertainties, their two columns right after the results.
inline constexpr std::array<std::size_t, 6> plain_column_order = {0, 1, 2, 3, error_column, warning_column};
inline constexpr std::array<std::size_t, 8> uncertainty_column_order = {
    0, 1, 2, 3, expanded_gas_column, expanded_pressure_column, error_column, warning_column};

// The columns that say how a row's cells are read, each cell one of two
// words (off, on); an empty cell or no column, as the options say. The mark:
// "," for a decimal comma, "." for a point; the reading: strict, or lenient as
// the dialog reads.
struct RuleColumn {
    std::string_view column;
    std::array<std::string_view, 2> values;
};
inline constexpr std::array<RuleColumn, 2> rule_columns = {{{"decimal_mark", {".", ","}},
                                                            {"reading", {"strict", "lenient"}}}};
inline constexpr std::string_view decimal_mark_column = rule_columns[0].column;
inline constexpr std::array<std::string_view, 2> decimal_marks = rule_columns[0].values;

// Whether the rule of rule_columns[k] is on, and setting it.
constexpr bool rule_on(const ReadingRules& rules, std::size_t k) {
    return k == 0 ? rules.decimal_comma : rules.mode == ReadingMode::lenient;
}
constexpr void set_rule(ReadingRules& rules, std::size_t k, bool on) {
    if (k == 0)
        rules.decimal_comma = on;
    else
        rules.mode = on ? ReadingMode::lenient : ReadingMode::strict;
}

// The input column of each field's standard uncertainty: "u_" and the field's column.
const std::array<std::string, field_count>& uncertainty_columns();

// A log's refusals speak of the command line's option, whichever front end wrote it.
inline constexpr MarkHints log_mark_hints = command_line_hints;

}  // namespace kestrane
